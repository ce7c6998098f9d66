#pragma once
// An application context for the report windows without a database: the UK
// texts, a session user, the status window, and a printer setting file of
// the test's own.

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "support/ScriptedPrompts.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"
#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace report_test {

class MenuEnvironment {
public:
    MenuEnvironment() : context(prompts, trace.log(), {}), status(context) {
        context.session().UserInit = QStringLiteral("ADM");
        context.session().BaseDir = dir.path();
        context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        for (const auto& [slot, file] : {std::pair{text::Slot::Printer, text::kPrinterFile},
                                         std::pair{text::Slot::ReportDialog, text::kReportDialogFile}})
            EXPECT_TRUE(context.texts().load(slot, QLatin1String(file))) << file;
        context.windows().status = &status;
    }
    ~MenuEnvironment() { context.windows() = app::SharedWindows{}; }

    QString file(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    app::AppContext context;
    TFormStatus status;
};

}  // namespace report_test
