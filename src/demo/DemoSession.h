#pragma once
// The session a host would hand over for the demo database: the demo
// administrator, the park's units with one scenario per turbine type, and the
// embedded connection to the database file.

#include "app/SessionFile.h"
#include "reportdb/demo/Demo.h"

#include <QString>

namespace demo {

struct SessionChoices {
    int sessionId = 1;
    QString language = QStringLiteral("UK");
    QString features = QStringLiteral("3,6,101,102,146,153");
    int traceLevel = 5;
    // The installation folder; Data, System and Projects lie below it. Empty:
    // the session names no installation folders.
    QString baseDir;
    // The folder holding the language folders; empty: baseDir/System.
    QString sysDir;
    QString catalog = QStringLiteral("SkyloomDemo");
};

app::SessionDescription demoSession(const reportdb::demo::Summary& demo, const QString& databasePath,
                                    const SessionChoices& choices = {});

}  // namespace demo
