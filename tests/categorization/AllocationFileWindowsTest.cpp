// Export, import and re-map of the allocation windows on the demo database:
// files carried back into the same window and into another profile's,
// files of the other window refused, unknown categories resolved by the
// user, the move of one category's codes driven through its dialog, and
// when the commands are on.

#include "AllocationTestSupport.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormMapCategory.h"
#include "categorization/TFormReMapCategory.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <map>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;
using categorization_test::Setup;
using categorization_test::WhenShown;

namespace {

using Prompt = testing_support::RecordedPrompt;

constexpr int kProfile = 5;       // not locked, no IEC reporting
constexpr int kOtherProfile = 4;  // the same turbine types
constexpr int kLockedProfile = 2;
constexpr int kDeratingProfile = 3;

// Per row: (key, responsible source) -> title of the allocated category
// and the switched-off flag, every row whatever the view.
using Allocation = std::map<std::pair<qlonglong, int>, std::pair<QString, bool>>;

Allocation allocationOf(CategoryAllocationWindow& window) {
    db::DataSet& set = window.dataSet();
    set.clearFilter();
    Allocation allocation;
    for (int r = 0; r < set.recordCount(); ++r) {
        QString title;
        for (int f = af::kFirstCategory; f < set.fieldCount(); ++f) {
            const auto state = window.grid().cellState(r, f);
            if (state == AllocationCellState::New || state == AllocationCellState::Kept)
                title = set.field(f).displayLabel;
        }
        allocation[{set.valueAt(r, af::kKey).toLongLong(), window.grid().sourceNumber(r)}] = {
            title, window.grid().isSwitchedOff(r)};
    }
    window.grid().applyView();
    return allocation;
}

struct Windows {
    explicit Windows(const Setup& setup = {})
        : env(setup), map(env.context), reMap(env.context), events(env.context), derating(env.context) {
        events.setMappingDialogs(&map, &reMap);
        derating.setMappingDialogs(&map, &reMap);
    }
    bool openEvents(int profileId) {
        if (events.isVisible()) events.reject();
        const ProfileInfo profile = profileInfo(env, profileId);
        events.setImportAndRemapAllowed(!profile.Locked);
        events.Prepare(profile, selectionFor(env, profileId), [] {});
        return showAndLoad(events);
    }
    bool openDerating() {
        const ProfileInfo profile = profileInfo(env, kDeratingProfile);
        derating.setImportAndRemapAllowed(true);
        derating.Prepare(profile, [] {});
        return showAndLoad(derating);
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    // What was shown: the file dialog, and a message where there is one.
    std::vector<Prompt> exportTo(CategoryAllocationWindow& window, const QString& chosen) {
        env.prompts.answerFile(chosen);
        window.findChild<QToolButton*>(QStringLiteral("SpeedButtonExport"))->click();
        return env.prompts.take();
    }
    std::vector<Prompt> importFrom(CategoryAllocationWindow& window, const QString& file) {
        env.prompts.answerFile(file);
        window.findChild<QToolButton*>(QStringLiteral("SpeedButtonImport"))->click();
        return env.prompts.take();
    }
    bool applyEnabled(CategoryAllocationWindow& window) {
        return window.findChild<QPushButton*>(QStringLiteral("ApplyButton"))->isEnabled();
    }

    QTemporaryDir dir;
    Environment env;
    TFormMapCategory map;
    TFormReMapCategory reMap;
    TFormCatagoryAllocation events;
    TFormDeratingCatagoryAllocation derating;
};

}  // namespace

TEST(AllocationFileWindows, AnExportedFileReadsBackUnchangedAndCarriesToAnotherProfile) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const Allocation exported = allocationOf(w.events);
    // The chosen name's extension gives way to the file's.
    w.exportTo(w.events, w.path("allocation.txt"));
    ASSERT_TRUE(QFile::exists(w.path("allocation.XML")));
    WhenShown unexpected(w.reMap, [&] { w.reMap.reject(); });

    w.importFrom(w.events, w.path("allocation.XML"));
    EXPECT_EQ(allocationOf(w.events), exported);
    // Rows without a category now say 0 rather than nothing: not worth a save.
    w.env.prompts.answer(ui::Button::No);
    EXPECT_TRUE(w.applyEnabled(w.events));
    EXPECT_EQ(w.events.dataSet().recNo(), 1);

    // Another profile reporting from the same event list takes it and saves it.
    ASSERT_EQ(selectionFor(w.env, kOtherProfile).EventListId, selectionFor(w.env, kProfile).EventListId);
    ASSERT_TRUE(w.openEvents(kOtherProfile));
    const Allocation before = allocationOf(w.events);
    w.importFrom(w.events, w.path("allocation.XML"));
    w.events.findChild<QPushButton*>(QStringLiteral("ApplyButton"))->click();
    ASSERT_TRUE(w.openEvents(kOtherProfile));
    w.env.prompts.take();
    const Allocation after = allocationOf(w.events);
    EXPECT_FALSE(unexpected.fired());
    int carried = 0, differed = 0;
    for (const auto& [row, value] : after) {
        const auto source = exported.find(row);
        if (source == exported.end()) continue;
        EXPECT_EQ(value, source->second) << row.first << "/" << row.second;
        carried += value == source->second;
        differed += before.at(row) != source->second;
    }
    EXPECT_GT(carried, 100);
    EXPECT_GT(differed, 0);
}

TEST(AllocationFileWindows, EachWindowRefusesTheOtherWindowsFile) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    ASSERT_TRUE(w.openDerating());
    w.exportTo(w.events, w.path("events.XML"));
    w.exportTo(w.derating, w.path("derating.XML"));
    struct Case {
        CategoryAllocationWindow* window;
        const char* file;
        int text;
    };
    for (const Case& c : {Case{&w.events, "derating.XML", CategoryAllocationWindow::kTextOtherEventList},
                          Case{&w.derating, "events.XML", CategoryAllocationWindow::kTextNotADeratingFile}}) {
        SCOPED_TRACE(c.file);
        const int changes = c.window->dataSet().changeCount();
        const std::vector<Prompt> shown = w.importFrom(*c.window, w.path(c.file));
        ASSERT_EQ(shown.size(), 2u);  // the open dialog, then the refusal
        EXPECT_TRUE(shown.back().text.startsWith(w.env.context.texts().profile(c.text)));
        EXPECT_EQ(c.window->dataSet().changeCount(), changes);
    }
}

TEST(AllocationFileWindows, UnknownCategoriesAreResolvedByTheUserOrNothingIsApplied) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const Allocation exported = allocationOf(w.events);
    w.exportTo(w.events, w.path("allocation.XML"));
    // Two categories that hold codes are unknown in the file.
    QFile file(w.path("allocation.XML"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray content = file.readAll();
    file.close();
    const std::vector<std::pair<int, QString>> known = w.events.grid().categoryList();
    std::map<QString, int> codes;
    for (const auto& [row, value] : exported) ++codes[value.first];
    std::vector<QString> renamed;
    for (const auto& [id, title] : known)
        if (codes[title] > 0 && renamed.size() < 2 && title != QLatin1String(kNormalOperationTitle))
            renamed.push_back(title);
    ASSERT_EQ(renamed.size(), 2u);
    for (const QString& title : renamed)
        content.replace(',' + title.toUtf8() + "</CATEGORY>", ",Gone " + title.toUtf8() + "</CATEGORY>");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    const QString target = known.front().second;

    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        bool okWasOff = false;
        WhenShown answer(w.reMap, [&] {
            auto* unknown = w.reMap.findChild<QListWidget*>(QStringLiteral("ListViewUnknownCategories"));
            auto* choices = w.reMap.findChild<QListWidget*>(QStringLiteral("CheckListBoxKnownItems"));
            auto* okButton = w.reMap.findChild<QPushButton*>(QStringLiteral("ButtonOk"));
            ASSERT_EQ(unknown->count(), 2);
            for (int i = 0; i < 2; ++i) {
                okWasOff = okWasOff || !okButton->isEnabled();
                unknown->setCurrentRow(i);
                choices->findItems(target, Qt::MatchExactly).front()->setCheckState(Qt::Checked);
            }
            (ok ? okButton : w.reMap.findChild<QPushButton*>(QStringLiteral("ButtonCancel")))->click();
        });
        w.importFrom(w.events, w.path("allocation.XML"));
        ASSERT_TRUE(answer.fired());
        EXPECT_TRUE(okWasOff);
        Allocation expected = exported;
        if (ok)
            for (auto& [row, value] : expected)
                if (value.first == renamed[0] || value.first == renamed[1]) value.first = target;
        EXPECT_EQ(allocationOf(w.events), expected);
    }
}

TEST(AllocationFileWindows, TheMapDialogMovesOneCategorysCodesInTheGrid) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const Allocation before = allocationOf(w.events);
    std::map<QString, int> codes;
    for (const auto& [row, value] : before) ++codes[value.first];
    QString from, to;
    for (const auto& [title, count] : codes)
        if (!title.isEmpty() && title != QLatin1String(kNormalOperationTitle))
            (from.isEmpty() ? from : to) = title;
    ASSERT_FALSE(to.isEmpty());

    WhenShown drive(w.map, [&] {
        auto* source = w.map.findChild<QComboBox*>(QStringLiteral("ComboBoxSource"));
        auto* destination = w.map.findChild<QComboBox*>(QStringLiteral("ComboBoxDestination"));
        auto* move = w.map.findChild<QPushButton*>(QStringLiteral("ButtonMove"));
        source->setCurrentIndex(source->findText(from));
        EXPECT_EQ(destination->findText(from), -1);
        EXPECT_FALSE(move->isEnabled());
        destination->setCurrentIndex(destination->findText(to));
        move->click();
        w.map.findChild<QPushButton*>(QStringLiteral("ButtonDone"))->click();
    });
    w.events.findChild<QPushButton*>(QStringLiteral("ButtonRemapCategory"))->click();
    ASSERT_TRUE(drive.fired());
    EXPECT_TRUE(w.applyEnabled(w.events));
    // What the grid shows, through its model.
    const int toField = w.events.dataSet().fieldIndex(to);
    int moved = 0;
    for (int r = 0; r < w.events.dataSet().recordCount(); ++r) {
        const qlonglong key = w.events.dataSet().valueAt(r, af::kKey).toLongLong();
        const QString was = before.at({key, w.events.grid().sourceNumber(r)}).first;
        const auto shown = AllocationCellState(
            cellIndex(w.events, r, toField).data(AllocationGridModel::CellStateRole).toInt());
        if (was == from) {
            EXPECT_EQ(shown, AllocationCellState::New) << key;
            ++moved;
        } else if (was == to) {
            EXPECT_EQ(shown, AllocationCellState::Kept) << key;
        }
    }
    EXPECT_GT(moved, 0);
}

TEST(AllocationFileWindows, ImportAndRemapNeedAnEditableGridExportDoesNot) {
    struct Case {
        const char* what;
        int profile;
        const char* features;
        bool on;
    };
    for (const Case& c :
         {Case{"editable", kProfile, "3", true}, Case{"locked", kLockedProfile, "3,153", false},
          Case{"without the right to edit", kProfile, "153", false}}) {
        SCOPED_TRACE(c.what);
        Windows w({.features = QLatin1String(c.features), .registry = {}});
        ASSERT_TRUE(w.openEvents(c.profile));
        EXPECT_EQ(w.events.findChild<QToolButton*>(QStringLiteral("SpeedButtonImport"))->isEnabled(), c.on);
        EXPECT_EQ(w.events.findChild<QPushButton*>(QStringLiteral("ButtonRemapCategory"))->isEnabled(), c.on);
        EXPECT_TRUE(w.events.findChild<QToolButton*>(QStringLiteral("SpeedButtonExport"))->isEnabled());
    }
}

TEST(AllocationFileWindows, AnExportThatCannotBeWrittenIsReported) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const std::vector<Prompt> shown = w.exportTo(w.events, w.path("missing/allocation.XML"));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown.back().icon, ui::Icon::Error);
    EXPECT_FALSE(QFile::exists(w.path("missing/allocation.XML")));
}
