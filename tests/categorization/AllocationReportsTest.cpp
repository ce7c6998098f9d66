// Print and copy of the allocation windows: the report menu opened from the
// event allocation with its list, a PDF written through the save dialog and
// read back, the derating list's title, and the clipboard copy of the
// allocation rows.

#include "AllocationTestSupport.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;
using categorization_test::WhenShown;

namespace {

constexpr int kProfile = 5;
constexpr int kDeratingProfile = 3;

// The report windows, registered as the program registers them.
struct ReportWindows {
    explicit ReportWindows(Environment& env) : menu(env.context), exporter(env.context) {
        menu.setSettingsFile(dir.filePath(QStringLiteral("printers.ini")));
        env.context.windows().reportMenu = &menu;
        env.context.windows().exportForm = &exporter;
        QObject::connect(&menu, &TFormReportMenu::printerChecked, [this] { checked = true; });
    }
    QTemporaryDir dir;
    TFormReportMenu menu;
    TFormExport exporter;
    bool checked = false;
};

template <typename T>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
}

QStringList pdfPages(const QString& file) {
    QProcess reader;
    reader.start(QStringLiteral(PA_PDFTOTEXT), {file, QStringLiteral("-")});
    reader.waitForFinished(20000);
    QStringList pages = QString::fromUtf8(reader.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

}  // namespace

TEST(AllocationReports, PrintFromTheEventAllocationWritesItsListAsPdf) {
    Environment env;
    ReportWindows reports(env);
    TFormCatagoryAllocation window(env.context);
    const ProfileInfo profile = profileInfo(env, kProfile);
    const CategorySelection selection = selectionFor(env, kProfile, 1, true);
    window.Prepare(profile, selection, [] {});
    ASSERT_TRUE(showAndLoad(window));
    db::DataSet& list = window.dataSet();
    const int rows = list.recordCount();
    ASSERT_GT(rows, 50);

    // No printer: the orientation cannot be chosen; the list can be printed.
    env.prompts.answerFile(reports.dir.filePath(QStringLiteral("allocation.list")));
    WhenShown shown(
        reports.menu,
        [&] {
            EXPECT_TRUE(env.context.isBusy());
            EXPECT_TRUE(child<QPushButton>(reports.menu, "ButtonReportPreview")->isEnabled());
            EXPECT_TRUE(child<QPushButton>(reports.menu, "ButtonSaveReport")->isEnabled());
            EXPECT_FALSE(child<QRadioButton>(reports.menu, "RadioButtonLandscape")->isEnabled());
            child<QPushButton>(reports.menu, "ButtonSaveReport")->click();
        },
        [&] { return reports.checked; });
    child<QToolButton>(window, "SpeedButtonPrint")->click();
    ASSERT_TRUE(shown.fired());

    const QString pdf = reports.dir.filePath(QStringLiteral("allocation.PDF"));
    EXPECT_EQ(env.prompts.openedFiles(), QStringList{pdf});
    env.prompts.take();
    const QStringList pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 2);
    text::TextTables& texts = env.context.texts();
    for (const QString& expected : {texts.profile(475), texts.profile(380) + u' ' + profile.Title,
                                    texts.profile(471) + u' ' + selection.EventListTitle})
        EXPECT_TRUE(pages.front().contains(expected)) << expected.toStdString();
    const QString lastNumber = list.valueAt(rows - 1, af::kNumber).toString();
    // The last row closes the last page, or the page before when the footer took a page of its own.
    EXPECT_TRUE((pages.end()[-2] + pages.back()).contains(lastNumber)) << lastNumber.toStdString();
    EXPECT_TRUE(pages.back().contains(QStringLiteral("%1 rows").arg(rows)));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(env.context.isBusy());
}

TEST(AllocationReports, PrintFromTheDeratingAllocationIsTitledWithoutHeaderLines) {
    Environment env;
    ReportWindows reports(env);
    TFormDeratingCatagoryAllocation window(env.context);
    window.Prepare(profileInfo(env, kDeratingProfile), [] {});
    ASSERT_TRUE(showAndLoad(window));
    WhenShown shown(
        reports.menu, [&] { child<QPushButton>(reports.menu, "ButtonClose")->click(); },
        [&] { return reports.checked; });
    child<QToolButton>(window, "SpeedButtonPrint")->click();
    ASSERT_TRUE(shown.fired());
    EXPECT_EQ(reports.menu.source().headerTexts[0], env.context.texts().profile(475));
    EXPECT_TRUE(reports.menu.source().headerTexts[1].isEmpty());
    EXPECT_EQ(reports.menu.source().dataSet, &window.dataSet());
}

TEST(AllocationReports, CopyPutsTheAllocationRowsOnTheClipboard) {
    Environment env;
    ReportWindows reports(env);
    const CategorySelection selection = selectionFor(env, kProfile);
    // A title with a tab and a line break in it stays in its own cell.
    env.exec(
        QStringLiteral("UPDATE TEventCode SET EventCodeTitle = 'Pitch' || char(9) || 'fault' || char(13, 10) "
                       "|| 'blade 2' WHERE EventCodeId = (SELECT MAX(EventCodeId) FROM TEventCode WHERE "
                       "EventListId = %1)")
            .arg(selection.EventListId));
    TFormCatagoryAllocation window(env.context);
    window.Prepare(profileInfo(env, kProfile), selection, [] {});
    ASSERT_TRUE(showAndLoad(window));
    // Every code of the list, the switched-off ones too.
    child<QToolButton>(window, "Expand")->click();
    db::DataSet& list = window.dataSet();
    list.moveTo(3);
    child<QToolButton>(window, "SpeedButtonCopy")->click();

    const QString text = env.prompts.clipboard();
    env.prompts.take();
    EXPECT_EQ(list.currentRow(), 3);
    EXPECT_EQ(text.count(u'\n'), text.count(QLatin1String("\r\n")));
    EXPECT_TRUE(text.endsWith(QLatin1String("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    ASSERT_EQ(lines.size(), list.recordCount() + 1);
    QStringList labels;
    for (int f = 0; f < list.fieldCount(); ++f)
        if (list.field(f).visible) labels << list.field(f).displayLabel;
    EXPECT_EQ(lines.front(), labels.join(u'\t'));
    int pitch = 0;
    for (const QString& line : lines) {
        EXPECT_EQ(line.count(u'\t'), labels.size() - 1) << line.toStdString();
        if (line.contains(QLatin1String("Pitch fault  blade 2"))) ++pitch;
    }
    EXPECT_EQ(pitch, 1);
}
