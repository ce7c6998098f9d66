#pragma once
#include <QStringList>

// `session write FILE [options]`, `session show FILE ID` and `session help`;
// `args` are the words after "session". Returns the exit code: 0 done,
// 1 failed, 2 bad usage.
int runSessionCommand(const QStringList& args);
