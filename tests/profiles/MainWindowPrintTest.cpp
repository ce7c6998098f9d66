// The main window's print: the report menu gets the window (for its screen
// dump) and the profile list, titled with the application title and the date.

#include "MainWindowFixture.h"
#include "reports/ReportJobs.h"
#include "reports/TFormReportMenu.h"
#include "support/WhenShown.h"

#include <QDate>
#include <QPushButton>
#include <QToolButton>

using namespace testing_support;

TEST(MainWindowPrint, HandsTheWindowAndTheProfileListToTheReportMenu) {
    MainWindowFixture f;
    TFormReportMenu menu(f.context);
    menu.setSettingsFile(f.database.folder() + QStringLiteral("/printers.ini"));
    f.context.windows().reportMenu = &menu;
    ASSERT_TRUE(f.start());
    auto* print = f.find<QToolButton>("SpeedButtonPrint");
    ASSERT_NE(print, nullptr);
    ASSERT_TRUE(print->isEnabled());

    bool checked = false;
    QObject::connect(&menu, &TFormReportMenu::printerChecked, [&checked] { checked = true; });
    bool reportEnabled = false;
    WhenShown shown(
        menu,
        [&] {
            reportEnabled = menu.findChild<QPushButton*>(QStringLiteral("ButtonSaveReport"))->isEnabled();
            menu.findChild<QPushButton*>(QStringLiteral("ButtonClose"))->click();
        },
        [&checked] { return checked; });
    print->click();
    ASSERT_TRUE(shown.fired());
    EXPECT_TRUE(reportEnabled);
    const reports::ReportSource& source = menu.source();
    EXPECT_EQ(source.dataSet, &f.window.profileList());
    EXPECT_EQ(source.window, &f.window);
    EXPECT_EQ(source.headerTexts[0], reports::applicationTitle());
    EXPECT_EQ(source.headerTexts[1], QLocale().toString(QDate::currentDate(), QLocale::LongFormat));
}
