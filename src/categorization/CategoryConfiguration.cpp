#include "categorization/CategoryConfiguration.h"

#include "categorization/IdLists.h"
#include "db/Parameters.h"

#include <algorithm>
#include <map>

namespace categorization {

namespace {

const QString kManualEnabledColumn = QStringLiteral("ReportCategoryTitleManualEnabled");

// Column positions of one result set, looked up once by name.
class Columns {
public:
    Columns(const db::ResultSet& resultSet, const char* what) : resultSet_(resultSet), what_(what) {}

    // -1, and the first missing name remembered, when the column is absent.
    int require(const char* name) {
        const int index = resultSet_.columnIndex(QString::fromLatin1(name));
        if (index < 0 && missing_.isEmpty())
            missing_ = QStringLiteral("The %1 lack the column %2")
                           .arg(QString::fromLatin1(what_), QString::fromLatin1(name));
        return index;
    }
    const QString& missing() const { return missing_; }

private:
    const db::ResultSet& resultSet_;
    const char* what_;
    QString missing_;
};

QVariant cell(const db::Row& row, int column) {
    return column >= 0 && size_t(column) < row.size() ? row[size_t(column)] : QVariant();
}

bool fail(QString* why, const QString& reason) {
    if (why) *why = reason;
    return false;
}

bool readSets(const db::ResultSet& resultSet, std::vector<CategorySetEntry>& sets, QString* why) {
    Columns columns(resultSet, "category sets");
    const int id = columns.require("ReportCategorySetId");
    const int title = columns.require("ReportCategorySetTitle");
    const int sortOrder = columns.require("CategorySetSortOrder");
    const int enabled = columns.require("CategorySetEnabled");
    if (!columns.missing().isEmpty()) return fail(why, columns.missing());
    if (resultSet.rows.size() > size_t(kMaxCategorySets))
        return fail(why, QStringLiteral("The profile has %1 category sets; at most %2 can be edited")
                             .arg(resultSet.rows.size())
                             .arg(kMaxCategorySets));
    for (const db::Row& row : resultSet.rows) {
        CategorySetEntry set;
        set.id = cell(row, id).toInt();
        set.title = cell(row, title).toString();
        set.sortOrder = cell(row, sortOrder).toInt();
        set.enabled = db::truthOf(cell(row, enabled));
        sets.push_back(std::move(set));
    }
    return true;
}

bool readCategories(const db::ResultSet& resultSet, const ReadOptions& options,
                    std::vector<ReportCategoryEntry>& categories, QString* why) {
    Columns columns(resultSet, "report categories");
    const int id = columns.require("ReportCategoryId");
    const int title = columns.require("ReportCategoryTitle");
    const int description = columns.require("ReportCategoryDescription");
    const int iec = options.iecCategories ? columns.require("IECCategory") : -1;
    const int eeg = options.eegCategories ? columns.require("EEGCategory") : -1;
    const int manualEnabled = options.manualTitles ? columns.require("ReportCategoryTitleManualEnabled") : -1;
    const int manualTitle = options.manualTitles ? columns.require("ReportCategoryTitleManual") : -1;
    if (!columns.missing().isEmpty()) return fail(why, columns.missing());
    if (resultSet.rows.size() > size_t(kMaxReportCategories))
        return fail(why, QStringLiteral("There are %1 report categories; at most %2 can be shown")
                             .arg(resultSet.rows.size())
                             .arg(kMaxReportCategories));
    for (const db::Row& row : resultSet.rows) {
        ReportCategoryEntry category;
        category.id = cell(row, id).toInt();
        category.title = cell(row, title).toString();
        category.description = cell(row, description).toString();
        category.iecCategory = iec >= 0 && db::truthOf(cell(row, iec));
        category.eegCategory = eeg >= 0 && db::truthOf(cell(row, eeg));
        category.manualTitleEnabled = manualEnabled >= 0 && db::truthOf(cell(row, manualEnabled));
        if (manualTitle >= 0) category.manualTitle = cell(row, manualTitle).toString();
        categories.push_back(std::move(category));
    }
    return true;
}

bool readMembership(const db::ResultSet& resultSet, std::vector<CategorySetEntry>& sets, QString* why) {
    Columns columns(resultSet, "set members");
    const int setId = columns.require("ReportCategorySetId");
    const int categoryId = columns.require("ReportCategoryId");
    if (!columns.missing().isEmpty()) return fail(why, columns.missing());
    for (const db::Row& row : resultSet.rows) {
        const int id = cell(row, setId).toInt();
        for (CategorySetEntry& set : sets) {
            if (set.id != id) continue;
            if (set.memberCount() >= kMaxSetMembers)
                return fail(why, QStringLiteral("The category set %1 has more than %2 members")
                                     .arg(set.title)
                                     .arg(kMaxSetMembers));
            set.members.push_back(cell(row, categoryId).toInt());
        }
    }
    return true;
}

bool contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

QString joinTexts(const std::vector<QString>& parts) {
    QString text = QStringLiteral("");  // never a null text: that would be sent as NULL
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += u';';
        text += parts[i];
    }
    return text;
}

void addInteger(db::Command& command, const char* name, const QString& value,
                db::ParameterDirection direction = db::ParameterDirection::Input) {
    db::AddParameter(command, {QString::fromLatin1(name), db::FieldType::Integer, 0, direction, value});
}

// Texts go in as they are: the "NULL" rule of AddParameter must not turn a
// title called NULL into no title, and an empty list is an empty text.
void addText(db::Command& command, const char* name, const QString& value) {
    db::Parameter parameter;
    parameter.name = QString::fromLatin1(name);
    parameter.type = db::FieldType::String;
    parameter.size = kMaxSaveTextLength;
    parameter.value = value.isNull() ? QStringLiteral("") : value;
    command.parameters.push_back(std::move(parameter));
}

db::Command procedure(const char* name) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QString::fromLatin1(name);
    addInteger(command, "@ReturnValue", {}, db::ParameterDirection::ReturnValue);
    return command;
}

const char kHandleReportCategory[] = "WMS_SP_CRQ_HandleReportCategory";

}  // namespace

bool hasManualTitleColumns(const db::ResultSet& categories) {
    return categories.columnIndex(kManualEnabledColumn) >= 0;
}

bool readConfiguration(const std::vector<db::ResultSet>& resultSets, const ReadOptions& options,
                       CategoryConfiguration* configuration, QString* why) {
    if (resultSets.size() < 3)
        return fail(why, QStringLiteral("The load returned %1 of 3 result sets").arg(resultSets.size()));
    CategoryConfiguration read;
    if (!readSets(resultSets[0], read.sets, why)) return false;
    if (!readCategories(resultSets[1], options, read.categories, why)) return false;
    if (!readMembership(resultSets[2], read.sets, why)) return false;
    *configuration = std::move(read);
    return true;
}

std::vector<bool> lockedItems(const std::vector<ReportCategoryEntry>& categories, bool useIECReporting,
                              bool useEEGReporting) {
    std::vector<bool> locked(categories.size(), false);
    for (size_t i = 0; i < categories.size(); ++i) {
        if (useIECReporting && categories[i].iecCategory) locked[i] = true;
        if (useEEGReporting && categories[i].eegCategory) locked[i] = true;
    }
    if (!useIECReporting && !useEEGReporting && !locked.empty()) locked[0] = true;
    return locked;
}

std::vector<bool> checkMarksFor(const CategorySetEntry& set,
                                const std::vector<ReportCategoryEntry>& categories,
                                const std::vector<bool>& locked) {
    std::vector<bool> checked(categories.size(), false);
    for (size_t i = 0; i < categories.size(); ++i) {
        const bool isLocked = i < locked.size() && locked[i];
        checked[i] = isLocked || contains(set.members, categories[i].id);
    }
    return checked;
}

std::vector<int> membersFromCheckMarks(const std::vector<ReportCategoryEntry>& categories,
                                       const std::vector<bool>& checked) {
    std::vector<int> members;
    for (size_t i = 0; i < categories.size() && i < checked.size(); ++i) {
        // The database keeps each member once.
        if (checked[i] && !contains(members, categories[i].id)) members.push_back(categories[i].id);
    }
    return members;
}

void addLockedMembers(std::vector<CategorySetEntry>& sets, const std::vector<ReportCategoryEntry>& categories,
                      const std::vector<bool>& locked) {
    std::map<int, size_t> listPosition;  // first position of each id in the list
    for (size_t i = 0; i < categories.size(); ++i) listPosition.emplace(categories[i].id, i);
    auto positionOf = [&](int id) {
        const auto found = listPosition.find(id);
        return found == listPosition.end() ? categories.size() : found->second;
    };
    for (CategorySetEntry& set : sets) {
        for (size_t i = 0; i < categories.size() && i < locked.size(); ++i) {
            if (!locked[i] || contains(set.members, categories[i].id)) continue;
            const size_t position = positionOf(categories[i].id);
            auto before = std::find_if(set.members.begin(), set.members.end(),
                                       [&](int member) { return positionOf(member) > position; });
            set.members.insert(before, categories[i].id);
        }
    }
}

std::vector<SetChoice> enabledSets(const std::vector<CategorySetEntry>& sets) {
    std::vector<SetChoice> choices;
    for (const CategorySetEntry& set : sets)
        if (set.enabled) choices.push_back({set.id, set.title});
    return choices;
}

int setIndexById(const std::vector<CategorySetEntry>& sets, int id) {
    for (size_t i = 0; i < sets.size(); ++i)
        if (sets[i].id == id) return int(i);
    return -1;
}

bool setsDiffer(const std::vector<CategorySetEntry>& current, const std::vector<CategorySetEntry>& loaded) {
    if (current.size() != loaded.size()) return true;
    const auto sorted = [](std::vector<int> ids) {
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        return ids;
    };
    for (size_t i = 0; i < current.size(); ++i) {
        const CategorySetEntry& now = current[i];
        const CategorySetEntry& then = loaded[i];
        if (now.id != then.id || now.sortOrder != then.sortOrder || now.enabled != then.enabled ||
            now.title != then.title || sorted(now.members) != sorted(then.members))
            return true;
    }
    return false;
}

bool SaveTexts::fits() const {
    for (const QString* text : {&categoryIds, &setIds, &sortOrders, &enabled, &titles})
        if (text->size() > kMaxSaveTextLength) return false;
    return true;
}

SaveTexts buildSaveTexts(const std::vector<CategorySetEntry>& sets) {
    std::vector<QString> groups, ids, sortOrders, enabled, titles;
    for (const CategorySetEntry& set : sets) {
        groups.push_back(joinIds(set.members));
        ids.push_back(QString::number(set.id));
        sortOrders.push_back(QString::number(set.sortOrder));
        enabled.push_back(set.enabled ? QStringLiteral("1") : QStringLiteral("0"));
        titles.push_back(set.title);
    }
    return {joinTexts(groups), joinTexts(ids), joinTexts(sortOrders), joinTexts(enabled), joinTexts(titles)};
}

int setWithSeparatorInTitle(const std::vector<CategorySetEntry>& sets) {
    for (size_t i = 0; i < sets.size(); ++i)
        if (sets[i].title.contains(u';') || sets[i].title.contains(u',')) return int(i);
    return -1;
}

db::Command loadCommand(int profileId) {
    db::Command command = procedure(kHandleReportCategory);
    addInteger(command, "@Action", QStringLiteral("3"));
    addInteger(command, "@ReportProfileId", QString::number(profileId));
    addInteger(command, "@ReportCategoryId", QStringLiteral("NULL"));
    return command;
}

db::Command saveCommand(int profileId, const SaveTexts& texts) {
    db::Command command = procedure(kHandleReportCategory);
    addInteger(command, "@Action", QStringLiteral("1"));
    addInteger(command, "@ReportProfileId", QString::number(profileId));
    addInteger(command, "@ReportCategoryId", QStringLiteral("NULL"));
    addText(command, "@ReportCategoryIds", texts.categoryIds);
    addText(command, "@ReportCategorySetIds", texts.setIds);
    addText(command, "@ReportCategorySetSortOrder", texts.sortOrders);
    addText(command, "@ReportCategorySetEnabled", texts.enabled);
    addText(command, "@ReportCategorySetTitles", texts.titles);
    return command;
}

db::Command manualTitleCommand(int categoryId, const QString& title) {
    db::Command command = procedure("WMS_SP_CRQ_UpdateCategoryTitleManual");
    addInteger(command, "@ReportCategoryId", QString::number(categoryId));
    addText(command, "@ReportCategoryTitleManual", title);
    return command;
}

db::Command moduleAccessCommand(int userId) {
    db::Command command = procedure("WMS_SP_CRQ_HasModuleAccess");
    addInteger(command, "@ModuleId", QString::number(kManualTitleModule));
    addInteger(command, "@UserId", QString::number(userId));
    addInteger(command, "@HasAccess", QStringLiteral("NULL"), db::ParameterDirection::Output);
    return command;
}

int returnValueOf(const db::Command& command) {
    const db::Parameter* parameter = command.returnValueParameter();
    return parameter ? parameter->value.toInt() : 0;
}

}  // namespace categorization
