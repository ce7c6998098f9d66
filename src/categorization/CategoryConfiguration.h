#pragma once
// The category configuration of one report profile as the configuration
// window holds it: its report categories, its category sets with their
// members, the check-list rules and the five lists the save sends.

#include "db/Value.h"

#include <QString>
#include <vector>

namespace categorization {

// What the window holds at most; a load that returns more is refused rather
// than cut short, since a save of a cut configuration would drop the rest.
inline constexpr int kMaxReportCategories = 1000;
inline constexpr int kMaxCategorySets = 20;
inline constexpr int kMaxSetMembers = 1000;
// The database takes each save list as a text of this size.
inline constexpr int kMaxSaveTextLength = 8000;

struct ReportCategoryEntry {
    QString title;
    QString description;
    int id = 0;
    bool manualTitleEnabled = false;
    QString manualTitle;
    bool iecCategory = false;
    bool eegCategory = false;
};

struct CategorySetEntry {
    int id = 0;
    std::vector<int> members;  // category ids, in member order
    int sortOrder = 0;         // 1-based position
    bool enabled = false;
    QString title;

    int memberCount() const { return int(members.size()); }
};

struct CategoryConfiguration {
    std::vector<CategorySetEntry> sets;
    std::vector<ReportCategoryEntry> categories;
};

// Which optional category columns are read; the others stay false / empty.
struct ReadOptions {
    bool manualTitles = false;  // the manual title is available to the user
    bool iecCategories = false;
    bool eegCategories = false;
};

// True when the categories result set offers manual titles.
bool hasManualTitleColumns(const db::ResultSet& categories);

// Reads the three result sets of the load (sets, categories, membership).
// False, with the reason in `why`, when one is missing, lacks a column the
// window needs, or holds more than the window can keep. Membership rows of
// sets the profile does not have are ignored.
bool readConfiguration(const std::vector<db::ResultSet>& resultSets, const ReadOptions& options,
                       CategoryConfiguration* configuration, QString* why);

// --- The check list (one item per category, same index) ---

// Items that are always checked and cannot be unchecked: the IEC categories
// of a profile with IEC reporting, the EEG categories of a profile with EEG
// reporting, and the first item of a profile with neither.
std::vector<bool> lockedItems(const std::vector<ReportCategoryEntry>& categories, bool useIECReporting,
                              bool useEEGReporting);

// The check marks that show `set`: an item is checked when its category is a
// member; locked items are always checked. Items go by their category's id,
// so two categories of the same title are told apart.
std::vector<bool> checkMarksFor(const CategorySetEntry& set,
                                const std::vector<ReportCategoryEntry>& categories,
                                const std::vector<bool>& locked);

// The members the check marks stand for: the ids of the checked items' own
// categories, in list order, each once.
std::vector<int> membersFromCheckMarks(const std::vector<ReportCategoryEntry>& categories,
                                       const std::vector<bool>& checked);

// Makes the locked items' categories members of every set. A missing one is
// inserted where list order puts it; the other members keep their order.
void addLockedMembers(std::vector<CategorySetEntry>& sets, const std::vector<ReportCategoryEntry>& categories,
                      const std::vector<bool>& locked);

// --- The set choice (the combo box offers the enabled sets) ---

// Sets are told apart by id: titles need not be unique.
struct SetChoice {
    int id = 0;
    QString title;
};
// The enabled sets in set order.
std::vector<SetChoice> enabledSets(const std::vector<CategorySetEntry>& sets);
// The index of the set with this id, or -1.
int setIndexById(const std::vector<CategorySetEntry>& sets, int id);

// True when saving `current` would change what was loaded: a set's id,
// position, enabled flag or title, or its members (their order aside).
bool setsDiffer(const std::vector<CategorySetEntry>& current, const std::vector<CategorySetEntry>& loaded);

// --- Saving ---

// The five lists over all sets in set order: ids, sort orders and enabled
// flags as decimals separated by ";", titles as they stand separated by ";",
// and per set a group of member ids separated by ",", groups separated by ";".
struct SaveTexts {
    QString categoryIds;
    QString setIds;
    QString sortOrders;
    QString enabled;
    QString titles;

    // Each list fits the database's text parameter.
    bool fits() const;
};

SaveTexts buildSaveTexts(const std::vector<CategorySetEntry>& sets);

// A title holding a list separator (";" or ",") would shift every later
// value of the lists; the index of the first set with such a title, or -1.
// The text dialog keeps them out; other writers of the database may not.
int setWithSeparatorInTitle(const std::vector<CategorySetEntry>& sets);

// --- The database calls (stored procedures, "@ReturnValue" first) ---

// The module that lets a user give categories manual titles.
inline constexpr int kManualTitleModule = 1000000;

// WMS_SP_CRQ_HandleReportCategory action 3: sets, categories, membership.
db::Command loadCommand(int profileId);
// WMS_SP_CRQ_HandleReportCategory action 1 with the five lists.
db::Command saveCommand(int profileId, const SaveTexts& texts);
// WMS_SP_CRQ_UpdateCategoryTitleManual.
db::Command manualTitleCommand(int categoryId, const QString& title);
// WMS_SP_CRQ_HasModuleAccess for the manual title module; "@HasAccess" is
// the answer.
db::Command moduleAccessCommand(int userId);
// The "@ReturnValue" after a run (0 without one).
int returnValueOf(const db::Command& command);

}  // namespace categorization
