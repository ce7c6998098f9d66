// The main window's reference curve and free wind parameter commands: what
// each window's result marks for regeneration.

#include "MainWindowFixture.h"

#include "curves/TFormFWPTable.h"
#include "curves/TFormNormCurve.h"
#include "support/WhenShown.h"

#include <QToolButton>

using namespace testing_support;

namespace {

int pending(MainWindowFixture& f, const QString& where = QStringLiteral("1 = 1")) {
    return f.database
        .scalar("SELECT sum(ReportProfileRegeneratePendingFlag) FROM TReportProfile WHERE " + where)
        .toInt();
}

TEST(MainWindowCurves, InUseMarksTheCurrentProfileChangedSetsMarkAll) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    f.database.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 0"));
    f.prompts.allowMessages();
    struct Case {
        QDialog* window;
        const char* button;
        int result;
        int marked;  // profiles pending afterwards
    } cases[] = {
        {f.windows.normCurve.get(), "SpeedButtonNormCurve", TFormNormCurve::kResultNotInUse, 0},
        {f.windows.normCurve.get(), "SpeedButtonNormCurve", TFormNormCurve::kResultInUse, 1},
        {f.windows.freeWindTable.get(), "SpeedButtonFreeWindParameters", TFormFWPTable::kResultUnchanged, 1},
        {f.windows.freeWindTable.get(), "SpeedButtonFreeWindParameters", TFormFWPTable::kResultChanged, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        WhenShown close(*c.window, [&] { c.window->done(c.result); });
        f.window.findChild<QToolButton*>(QLatin1String(c.button))->click();
        EXPECT_TRUE(close.fired());
        EXPECT_EQ(pending(f), c.marked);
    }
    EXPECT_EQ(pending(f, QStringLiteral("ReportProfileId = %1").arg(kNorthRow)), 1);
    EXPECT_EQ(f.prompts.lastText(), f.context.texts().profile(560));
    EXPECT_EQ(f.window.currentProfile().ProfileId, kNorthRow);
}

}  // namespace
