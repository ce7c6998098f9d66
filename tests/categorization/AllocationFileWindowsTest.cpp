// Export, import and re-map of the allocation windows on the demo database:
// a file back into its window and into another profile's, the other
// window's file refused, unknown categories resolved by the user, the map
// dialog driven through its controls, and when the commands are on.

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
#include <set>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;
using categorization_test::WhenShown;
using Prompt = testing_support::RecordedPrompt;

namespace {

constexpr int kProfile = 5;       // not locked, no IEC reporting
constexpr int kOtherProfile = 4;  // the same turbine types

// (key, responsible source) -> (title of the allocated category, switched off), every row.
using Allocation = std::map<std::pair<qlonglong, int>, std::pair<QString, bool>>;

Allocation allocationOf(CategoryAllocationWindow& window) {
    db::DataSet& set = window.dataSet();
    set.clearFilter();
    Allocation allocation;
    for (int r = 0; r < set.recordCount(); ++r) {
        QString title;
        for (int f = af::kFirstCategory; f < set.fieldCount(); ++f)
            if (int(window.grid().cellState(r, f)) % 2 == 1) title = set.field(f).displayLabel;  // New, Kept
        allocation[{set.valueAt(r, af::kKey).toLongLong(), window.grid().sourceNumber(r)}] = {
            title, window.grid().isSwitchedOff(r)};
    }
    window.grid().applyView();
    return allocation;
}

struct Windows {
    explicit Windows(const categorization_test::Setup& setup = {})
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
    // What was shown: the file dialog, then a message where there is one.
    std::vector<Prompt> run(CategoryAllocationWindow& window, const char* button, const QString& file) {
        env.prompts.answerFile(dir.filePath(file));
        child<QToolButton>(window, button)->click();
        return env.prompts.take();
    }
    std::vector<Prompt> exportTo(CategoryAllocationWindow& window, const QString& file) {
        return run(window, "SpeedButtonExport", file);
    }
    std::vector<Prompt> importFrom(CategoryAllocationWindow& window, const QString& file) {
        return run(window, "SpeedButtonImport", file);
    }

    QTemporaryDir dir;
    Environment env;
    TFormMapCategory map;
    TFormReMapCategory reMap;
    TFormCatagoryAllocation events;
    TFormDeratingCatagoryAllocation derating;
};

}  // namespace

TEST(AllocationFileWindows, FilesGoBackIntoTheirWindowAndToAnotherProfileButNotIntoTheOtherWindow) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const Allocation exported = allocationOf(w.events);
    const int changesAtLoad = w.events.dataSet().changeCount();
    // The chosen name's extension gives way to the file's; a folder that is not there is reported.
    w.exportTo(w.events, QStringLiteral("events.txt"));
    ASSERT_TRUE(QFile::exists(w.dir.filePath(QStringLiteral("events.XML"))));
    EXPECT_EQ(w.exportTo(w.events, QStringLiteral("missing/events.XML")).back().icon, ui::Icon::Error);
    WhenShown unexpected(w.reMap, [&] { w.reMap.reject(); });
    w.importFrom(w.events, QStringLiteral("events.XML"));
    EXPECT_EQ(allocationOf(w.events), exported);
    EXPECT_EQ(w.events.dataSet().changeCount(), changesAtLoad);
    EXPECT_TRUE(child(w.events, "ApplyButton")->isEnabled());

    w.derating.setImportAndRemapAllowed(true);
    w.derating.Prepare(profileInfo(w.env, 3), [] {});
    ASSERT_TRUE(showAndLoad(w.derating));
    w.exportTo(w.derating, QStringLiteral("derating.XML"));
    for (auto [window, file, text] :
         {std::tuple<CategoryAllocationWindow*, const char*, int>{&w.events, "derating.XML", 488},
          {&w.derating, "events.XML", 492}}) {
        SCOPED_TRACE(file);
        const int changes = window->dataSet().changeCount();
        const QString shown = w.importFrom(*window, QLatin1String(file)).back().text;
        EXPECT_TRUE(shown.startsWith(w.env.context.texts().profile(text)));
        EXPECT_EQ(window->dataSet().changeCount(), changes);
    }

    // Another profile reporting from the same event list takes the file and saves it.
    ASSERT_EQ(selectionFor(w.env, kOtherProfile).EventListId, selectionFor(w.env, kProfile).EventListId);
    w.env.prompts.answer(ui::Button::No);  // the correction of code 0 at loading
    ASSERT_TRUE(w.openEvents(kOtherProfile));
    const Allocation before = allocationOf(w.events);
    w.importFrom(w.events, QStringLiteral("events.XML"));
    child(w.events, "ApplyButton")->click();
    ASSERT_TRUE(w.openEvents(kOtherProfile));
    w.env.prompts.take();
    int differed = 0;
    for (const auto& [row, value] : allocationOf(w.events)) {
        if (!exported.count(row)) continue;
        EXPECT_EQ(value, exported.at(row)) << row.first << "/" << row.second;
        differed += before.at(row) != exported.at(row);
    }
    EXPECT_GT(differed, 0);
    EXPECT_FALSE(unexpected.fired());
}

TEST(AllocationFileWindows, UnknownCategoriesAreResolvedByTheUserOrNothingIsApplied) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const Allocation exported = allocationOf(w.events);
    const QString path = w.dir.filePath(QStringLiteral("events.XML"));
    w.exportTo(w.events, QStringLiteral("events.XML"));
    // Two categories that hold codes are unknown in the file.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray content = file.readAll();
    file.close();
    std::vector<QString> renamed;
    for (const auto& [id, title] : w.events.grid().categoryList())
        if (renamed.size() < 2 && title != QLatin1String(kNormalOperationTitle) &&
            std::any_of(exported.begin(), exported.end(),
                        [&](const auto& a) { return a.second.first == title; }))
            renamed.push_back(title);
    ASSERT_EQ(renamed.size(), 2u);
    for (const QString& title : renamed)
        content.replace(',' + title.toUtf8() + '<', ",Gone " + title.toUtf8() + '<');
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(content) == content.size());
    file.close();
    const QString target = QLatin1String(kNormalOperationTitle);

    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        bool okWasOff = false;
        WhenShown answer(w.reMap, [&] {
            auto* unknown = child<QListWidget>(w.reMap, "ListViewUnknownCategories");
            ASSERT_EQ(unknown->count(), 2);
            for (int i = 0; i < 2; ++i) {
                okWasOff = okWasOff || !child(w.reMap, "ButtonOk")->isEnabled();
                unknown->setCurrentRow(i);
                child<QListWidget>(w.reMap, "CheckListBoxKnownItems")
                    ->findItems(target, Qt::MatchExactly)
                    .front()
                    ->setCheckState(Qt::Checked);
            }
            child(w.reMap, ok ? "ButtonOk" : "ButtonCancel")->click();
        });
        w.importFrom(w.events, QStringLiteral("events.XML"));
        ASSERT_TRUE(answer.fired());
        EXPECT_TRUE(okWasOff);
        Allocation expected = exported;
        for (auto& [row, value] : expected)
            if (ok && (value.first == renamed[0] || value.first == renamed[1])) value.first = target;
        EXPECT_EQ(allocationOf(w.events), expected);
    }
}

TEST(AllocationFileWindows, TheMapDialogMovesOneCategorysCodesInTheGrid) {
    Windows w;
    ASSERT_TRUE(w.openEvents(kProfile));
    const Allocation before = allocationOf(w.events);
    std::set<QString> titles;
    for (const auto& [row, value] : before)
        if (!value.first.isEmpty() && value.first != QLatin1String(kNormalOperationTitle))
            titles.insert(value.first);
    ASSERT_GE(titles.size(), 2u);
    const QString from = *titles.begin(), to = *titles.rbegin();

    WhenShown drive(w.map, [&] {
        auto* source = child<QComboBox>(w.map, "ComboBoxSource");
        auto* destination = child<QComboBox>(w.map, "ComboBoxDestination");
        source->setCurrentIndex(source->findText(from));
        EXPECT_EQ(destination->findText(from), -1);
        EXPECT_FALSE(child(w.map, "ButtonMove")->isEnabled());
        destination->setCurrentIndex(destination->findText(to));
        child(w.map, "ButtonMove")->click();
        child(w.map, "ButtonDone")->click();
    });
    child(w.events, "ButtonRemapCategory")->click();
    ASSERT_TRUE(drive.fired());
    EXPECT_TRUE(child(w.events, "ApplyButton")->isEnabled());
    // What the grid shows, through its model.
    const int toField = w.events.dataSet().fieldIndex(to);
    int moved = 0;
    for (int r = 0; r < w.events.dataSet().recordCount(); ++r) {
        const qlonglong key = w.events.dataSet().valueAt(r, af::kKey).toLongLong();
        const QString was = before.at({key, w.events.grid().sourceNumber(r)}).first;
        const int shown = cellIndex(w.events, r, toField).data(AllocationGridModel::CellStateRole).toInt();
        // New there when moved, still Kept when it was there already.
        EXPECT_EQ(shown, was == from ? 1 : was == to ? 3 : shown);
        moved += was == from;
    }
    EXPECT_GT(moved, 0);
}

TEST(AllocationFileWindows, ImportAndRemapNeedAnEditableGridExportDoesNot) {
    for (const auto& [profile, features, on] :
         {std::tuple{kProfile, "3", true}, {2, "3,153", false}, {kProfile, "153", false}}) {
        SCOPED_TRACE(features);
        Windows w({.features = QLatin1String(features), .registry = {}});
        ASSERT_TRUE(w.openEvents(profile));  // profile 2 is locked
        EXPECT_EQ(child<QToolButton>(w.events, "SpeedButtonImport")->isEnabled(), on);
        EXPECT_EQ(child(w.events, "ButtonRemapCategory")->isEnabled(), on);
        EXPECT_TRUE(child<QToolButton>(w.events, "SpeedButtonExport")->isEnabled());
    }
}
