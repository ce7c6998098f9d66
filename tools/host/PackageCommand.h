#pragma once
#include <QStringList>

// `package show FILE [--xml] [--show-passwords]`: prints an export package's
// header and every record decrypted, as JSON (the shape is in README.md) or
// as XML. Passwords are masked unless asked for. Returns 0, 1 when the file
// cannot be read as a package, 2 on bad usage.
int runPackageCommand(const QStringList& args);
