// The report menu through its buttons: the enabling by source and
// printer, the orientation kept per printer, the PDF of a list and of a
// screen dump with the viewer and its failures, and the print preview; the
// export dialog: a workbook written while the dialog is up, from a data set
// and from a grid, and the messages of its failures.

#include "MenuEnvironment.h"
#include "ReportTestSupport.h"
#include "db/DataSet.h"
#include "reports/ReportJobs.h"
#include "reports/ReportTexts.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTimer>

using namespace report_test;
using testing_support::child;
using testing_support::RecordedPrompt;
using testing_support::WhenShown;
namespace rt = reports::texts;

namespace {

db::ResultSet rows(int count) {
    db::ResultSet set;
    set.columns = {{QStringLiteral("EventCodeNumber"), db::FieldType::Integer, 0},
                   {QStringLiteral("EventCodeTitle"), db::FieldType::String, 80}};
    for (int i = 1; i <= count; ++i) set.rows.push_back({qlonglong(i), QStringLiteral("Event %1").arg(i)});
    return set;
}

struct Menu {
    explicit Menu(MenuEnvironment& env) : window(env.context) {
        window.setSettingsFile(env.file(QStringLiteral("printers.ini")));
        QObject::connect(&window, &TFormReportMenu::printerChecked, [this] { checked = true; });
    }
    // Executes the menu for `source`, running `action` once it is shown and
    // has looked for the printer.
    void run(const reports::ReportSource& source, const std::function<void()>& action) {
        checked = false;
        WhenShown when(window, action, [this] { return checked; });
        window.Execute(source);
        EXPECT_TRUE(when.fired());
    }
    QPushButton* button(const char* name) { return child<QPushButton>(window, name); }
    QRadioButton* radio(const char* name) { return child<QRadioButton>(window, name); }
    QCheckBox* saveSetting() { return child<QCheckBox>(window, "CheckBoxSaveSetting"); }

    TFormReportMenu window;
    bool checked = false;
};

reports::ReportSource listSource(const db::DataSet& dataSet) {
    reports::ReportSource source;
    source.kind = reports::SourceKind::DataSet;
    source.dataSet = &dataSet;
    source.headerTexts[0] = QStringLiteral("Event codes");
    source.headerTexts[1] = QStringLiteral("Report profile: North");
    return source;
}

}  // namespace

TEST(TFormReportMenu, EnablesCommandsBySourceAndPrinter) {
    MenuEnvironment env;
    Menu menu(env);
    QStandardItemModel grid(2, 2);
    reports::ReportSource source;
    source.kind = reports::SourceKind::GridLink;  // a preview, but no PDF
    source.model = &grid;
    source.orientation = QPageLayout::Landscape;
    for (const QString& printer : {QString(), QStringLiteral("Office")}) {
        SCOPED_TRACE(printer.toStdString());
        env.prompts.setPrinter(printer);
        const bool hasPrinter = !printer.isEmpty();
        menu.run(source, [&] {
            EXPECT_TRUE(menu.button("ButtonReportPreview")->isEnabled());
            EXPECT_FALSE(menu.button("ButtonSaveReport")->isEnabled());
            EXPECT_TRUE(menu.button("ButtonSaveScreenDump")->isEnabled());
            EXPECT_EQ(menu.radio("RadioButtonLandscape")->isEnabled(), hasPrinter);
            EXPECT_EQ(menu.saveSetting()->isEnabled(), hasPrinter);
            // Without a printer, portrait is assumed.
            EXPECT_EQ(menu.window.chosenOrientation(),
                      hasPrinter ? QPageLayout::Landscape : QPageLayout::Portrait);
            menu.button("ButtonClose")->click();
        });
    }
    EXPECT_FALSE(env.context.isBusy());
}

TEST(TFormReportMenu, KeepsTheOrientationPerPrinterOnlyWhenAsked) {
    MenuEnvironment env;
    Menu menu(env);
    db::DataSet list;
    list.setRows(rows(2));
    const auto source = listSource(list);
    const auto runWith = [&](const QString& printer, const std::function<void()>& action) {
        env.prompts.setPrinter(printer);
        menu.run(source, [&] {
            action();
            menu.button("ButtonClose")->click();
        });
    };
    QPageLayout::Orientation seen{};
    const auto look = [&] { seen = menu.window.chosenOrientation(); };
    runWith("Office", [&] {
        EXPECT_TRUE(env.context.isBusy());
        menu.radio("RadioButtonLandscape")->click();
        menu.saveSetting()->click();
    });
    runWith("Office", look);
    EXPECT_EQ(seen, QPageLayout::Landscape);
    // Unticked: the choice is used once, the kept orientation stays.
    runWith("Office", [&] { menu.radio("RadioButtonPortrait")->click(); });
    runWith("Office", look);
    EXPECT_EQ(seen, QPageLayout::Landscape);
    // Another printer has its own setting.
    runWith("Plotter", look);
    EXPECT_EQ(seen, QPageLayout::Portrait);
}

TEST(TFormReportMenu, SavesTheListAsPdfAndOpensIt) {
    MenuEnvironment env;
    Menu menu(env);
    db::DataSet list;
    list.setRows(rows(120));
    list.moveTo(7);
    // The chosen name loses its extension; the viewer does not open, so the
    // download page is offered.
    env.prompts.answerFile(env.file(QStringLiteral("events.txt")));
    env.prompts.setDesktopOpens(false);
    env.prompts.answer(ui::Button::Yes);
    menu.run(listSource(list), [&] { menu.button("ButtonSaveReport")->click(); });

    const QString pdf = env.file(QStringLiteral("events.PDF"));
    const QStringList pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages.front().contains(QLatin1String("Event codes")));
    EXPECT_TRUE(pages.front().contains(QLatin1String("Report profile: North")));
    EXPECT_TRUE(pages.back().contains(QLatin1String("Event 120")));
    EXPECT_EQ(list.currentRow(), 7);

    std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, RecordedPrompt::Kind::SaveFile);
    EXPECT_EQ(shown[1].kind, RecordedPrompt::Kind::OpenWithDesktop);
    EXPECT_EQ(shown[1].text, pdf);
    EXPECT_EQ(shown[2].kind, RecordedPrompt::Kind::Question);
    EXPECT_EQ(shown[2].text, text::withLineBreaks(env.context.texts().window(rt::kNoViewerQuestion)));
    EXPECT_EQ(shown[3].kind, RecordedPrompt::Kind::OpenUrl);
    EXPECT_FALSE(env.status.isVisible());
}

TEST(TFormReportMenu, AFileThatCannotBeWrittenGivesThePdfCreateError) {
    MenuEnvironment env;
    Menu menu(env);
    db::DataSet list;
    list.setRows(rows(3));
    env.prompts.answerFile(env.file(QStringLiteral("no such folder/events.pdf")));
    menu.run(listSource(list), [&] { menu.button("ButtonSaveReport")->click(); });
    std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, RecordedPrompt::Kind::Message);
    EXPECT_EQ(shown[1].text, env.context.texts().window(rt::kPdfCreateError));
    EXPECT_FALSE(QDir(env.file(QStringLiteral("no such folder"))).exists());
    // A cancelled save dialog writes nothing and says nothing.
    env.prompts.answerFile(QString());
    menu.run(listSource(list), [&] { menu.button("ButtonSaveReport")->click(); });
    EXPECT_EQ(env.prompts.take().size(), 1u);
}

TEST(TFormReportMenu, ScreenDumpOfTheCallingWindowAsPdf) {
    MenuEnvironment env;
    Menu menu(env);
    QWidget caller;
    caller.resize(400, 300);
    auto* label = new QLabel(QStringLiteral("Profile list"), &caller);
    label->move(20, 20);
    reports::ReportSource source;
    source.window = &caller;
    source.headerTexts[0] = QStringLiteral("Main window");
    source.headerTexts[2] = QStringLiteral("As seen by the administrator");
    env.prompts.answerFile(env.file(QStringLiteral("dump")));
    menu.run(source, [&] { menu.button("ButtonSaveScreenDump")->click(); });

    const QString pdf = env.file(QStringLiteral("dump.PDF"));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    const QString& page = pages.front();
    for (const char* expected : {"Main window", "User: ADM", "Screen dump taken",
                                 "As seen by the administrator", "Comment", "Legend", "Page 1 of 1"})
        EXPECT_TRUE(page.contains(QLatin1String(expected))) << expected;
    const QImage dump(reports::screenDumpFileName(reports::applicationTitle(), QDir::tempPath()));
    EXPECT_EQ(dump.size(), caller.grab().size());
    EXPECT_TRUE(caller.isEnabled());
    EXPECT_EQ(env.prompts.take().size(), 2u);
}

TEST(TFormReportMenu, AReportThatCannotBeBuiltIsNamedInAnErrorBox) {
    MenuEnvironment env;
    Menu menu(env);
    reports::ReportSource source;  // no window to capture
    menu.run(source, [&] { menu.button("ButtonScreenDumpPreview")->click(); });
    std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(shown[0].text.startsWith(env.context.texts().window(rt::kBuildFailed).section(u'%', 0, 0)));
}

TEST(TFormReportMenu, PreviewShowsThePagesOfTheReport) {
    MenuEnvironment env;
    Menu menu(env);
    db::DataSet list;
    list.setRows(rows(150));
    int pages = -1;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview) return;
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        if (!widget || widget->pageCount() == 0) return;
        pages = widget->pageCount();
        poll.stop();
        preview->reject();
    });
    poll.start();
    menu.run(listSource(list), [&] { menu.button("ButtonReportPreview")->click(); });
    EXPECT_GE(pages, 2);
    EXPECT_FALSE(env.context.isBusy());
}

namespace {

db::ResultSet rows() {
    db::ResultSet set;
    set.columns = {{QStringLiteral("Number"), db::FieldType::Integer, 0},
                   {QStringLiteral("Title"), db::FieldType::String, 80}};
    set.rows = {{qlonglong(4), QStringLiteral("Icing")}, {qlonglong(9), QStringLiteral("Grid loss")}};
    return set;
}

// Per file, as openpyxl reads it: the first sheet's name, its first cell and
// cell B4, joined by "|".
QStringList sheetsAndTitles(const QStringList& files) {
    const QString script = QStringLiteral(
        "import sys, openpyxl\n"
        "for f in sys.argv[1:]:\n"
        "    b = openpyxl.load_workbook(f); s = b.worksheets[0]\n"
        "    print(b.sheetnames[0] + '|' + str(s['A1'].value) + '|' + str(s['B4'].value))");
    return runTool(QStringLiteral(PA_PYTHON3), QStringList{QStringLiteral("-c"), script} + files)
        .trimmed()
        .split(u'\n');
}

}  // namespace

TEST(TFormExport, WritesTheWorkbookWhileTheDialogIsUp) {
    MenuEnvironment env;
    TFormExport dialog(env.context);
    db::DataSet dataSet;
    dataSet.setRows(rows());
    const QString file = env.file(QStringLiteral("events.xlsx"));
    bool writtenBeforeShown = true;
    WhenShown when(dialog, [&] {
        writtenBeforeShown = QFileInfo::exists(file);
        EXPECT_TRUE(env.context.isBusy());
    });
    EXPECT_TRUE(dialog.ExportToExcel(dataSet, file, QStringLiteral("Events"), QStringLiteral("Event codes")));
    EXPECT_TRUE(when.fired());
    EXPECT_FALSE(writtenBeforeShown);
    EXPECT_FALSE(dialog.isVisible());

    // A grid's sheet is named after the file.
    QStandardItemModel grid(1, 2);
    grid.setHorizontalHeaderLabels({QStringLiteral("User"), QStringLiteral("Role")});
    grid.setItem(0, 0, new QStandardItem(QStringLiteral("anna")));
    const QString users = env.file(QStringLiteral("Users 2024.xlsx"));
    EXPECT_TRUE(dialog.ExportToExcel(grid, users, QStringLiteral("Users")));
    EXPECT_EQ(sheetsAndTitles({file, users}),
              (QStringList{"Events|Event codes|Grid loss", "Users 2024|Users|None"}));
}

TEST(TFormExport, FailuresAreShownAndLeaveNoWorkbook) {
    MenuEnvironment env;
    TFormExport dialog(env.context);
    db::DataSet dataSet;
    dataSet.setRows(rows());
    text::TextTables& texts = env.context.texts();
    const QString blocked = env.file(QStringLiteral("blocked.xlsx"));
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
    const QString missing = env.file(QStringLiteral("gone/events.xlsx"));
    struct Case {
        QString file;
        QString message;
    };
    const Case cases[] = {
        {blocked, texts.reportDialog(rt::kExcelDeleteFailed)},
        {missing, texts.reportDialog(rt::kExcelCannotSave).replace(QLatin1String("%s"), missing) + u'\n' +
                      texts.reportDialog(rt::kExcelDiskFull)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        EXPECT_FALSE(dialog.ExportToExcel(dataSet, c.file, QStringLiteral("Events"), QString()));
        std::vector<RecordedPrompt> shown = env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        EXPECT_EQ(shown[0].text, c.message);
        // Nothing is left behind, not even a temporary file.
        EXPECT_TRUE(QDir(env.dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}
