#pragma once
#include <QStringList>

// `start SESSIONFILE ID [--tool PATH]` and `send ID CODE`.
int runStartCommand(const QStringList& args);
int runSendCommand(const QStringList& args);
// Starts the tool on a session and relays commands from standard input until
// it exits; shared by `start` and `demo`.
int startToolAndRelay(const QString& toolPath, const QString& sessionFile, int sessionId);
// The tool next to this program (build tree or installation), or on PATH.
QString defaultToolPath();
// "reset", "close", ... or a bare number; -1 for anything else.
int hostCodeFromWord(const QString& word);
