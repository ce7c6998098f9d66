#pragma once
#include <QStringList>

// `demo [--dir DIR] [--db-version V] [--language L] [--features LIST] [--tool PATH] ...`:
// sets up the demo installation in DIR when it has none (the embedded demo
// database, the system folder with the language files, a session file on
// the demo), then starts the tool on it as `start` does. Returns the exit
// code: the tool's, 1 when the set-up failed, 2 on bad usage.
int runDemoCommand(const QStringList& args);
