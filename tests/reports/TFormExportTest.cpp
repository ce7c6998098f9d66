// The export dialog: a workbook written while the dialog is up, from a data
// set and from a grid, and the messages of its failures.

#include "MenuEnvironment.h"
#include "ReportTestSupport.h"
#include "db/DataSet.h"
#include "reports/ReportTexts.h"
#include "reports/TFormExport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardItemModel>

using namespace report_test;
using testing_support::RecordedPrompt;
using testing_support::WhenShown;
namespace rt = reports::texts;

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
