// Allocation of event codes and of power reduction modes to the report
// categories of a profile's category sets.

#include "reportdb/Categories.h"
#include "reportdb/PreparedStatement.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

#include <map>
#include <optional>
#include <set>
#include <variant>

namespace reportdb {

namespace {

using db::FieldType;

// Return values.
constexpr int kBadInput = 1001;
constexpr int kUnknownId = 1002;
constexpr int kSetOfAnotherProfile = 1003;
constexpr int kListTooLong = 1004;

// The longest list the save procedures take (the database's parameter size).
constexpr qsizetype kMaxListLength = 8000;

// A cell of an allocated category in the grid: allocated when loaded and
// still allocated.
constexpr int kAllocatedCell = 3;

ProcedureResult returning(int value) {
    ProcedureResult result;
    result.returnValue = value;
    return result;
}

bool exists(const ProcedureContext& context, const QString& sql, const std::vector<QVariant>& bindings) {
    return !context.scalar(sql, bindings).isNull();
}

bool profileExists(const ProcedureContext& context, int profileId) {
    return exists(context, QStringLiteral("SELECT 1 FROM TReportProfile WHERE ReportProfileId = ?"),
                  {profileId});
}

bool setExists(const ProcedureContext& context, int profileId, int setId) {
    return exists(context,
                  QStringLiteral("SELECT 1 FROM TReportCategorySet WHERE ReportProfileId = ? AND "
                                 "ReportCategorySetId = ?"),
                  {profileId, setId});
}

// The set's categories in member order: ReportCategoryId, ReportCategoryTitle.
db::ResultSet setMembers(const ProcedureContext& context, int profileId, int setId) {
    return context.query(
        QStringLiteral("SELECT SM.ReportCategoryId, RC.ReportCategoryTitle "
                       "FROM TReportCategorySet_TReportCategory AS SM "
                       "INNER JOIN TReportCategory AS RC ON RC.ReportCategoryId = SM.ReportCategoryId "
                       "WHERE SM.ReportProfileId = ? AND SM.ReportCategorySetId = ? "
                       "ORDER BY SM.MemberOrder"),
        {profileId, setId});
}

// The grid's pivot: one column per member category holding 3 where the row
// is allocated to it. The SQL names the columns neutrally; they are given
// the categories' titles afterwards, so a title can hold any character.
QString pivotColumns(const QString& categoryExpression, const db::ResultSet& members,
                     std::vector<QVariant>* bindings) {
    QString sql;
    for (size_t i = 0; i < members.rows.size(); ++i) {
        sql += QStringLiteral(", CASE WHEN %1 = ? THEN %2 ELSE 0 END AS Category%3")
                   .arg(categoryExpression)
                   .arg(kAllocatedCell)
                   .arg(i);
        bindings->push_back(members.rows[i][0]);
    }
    return sql;
}

// Names and types of the grid's columns: the fixed ones as given, then one
// integer column per member category named by its title.
void describeGridColumns(db::ResultSet* grid, const std::vector<std::pair<QString, FieldType>>& fixed,
                         const db::ResultSet& members) {
    for (size_t i = 0; i < grid->columns.size(); ++i) {
        db::Column& column = grid->columns[i];
        if (i < fixed.size()) {
            column.name = fixed[i].first;
            column.type = fixed[i].second;
        } else {
            column.name = members.rows.at(i - fixed.size())[1].toString();
            column.type = FieldType::Integer;
        }
    }
}

// WMS_SP_REP_SelectCategoryAllocationForProfile @ReportProfileId, @EventListId,
// @SelectionType, @CategorysetId: the profile's allocation of the list's
// event codes in the set. Rows missing for codes of the list are created
// first. The responsible sources are returned for selection type 2 only.
ProcedureResult selectCategoryAllocation(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    const int listId = args.toInt(QStringLiteral("@EventListId"));
    const int setId = args.toInt(QStringLiteral("@CategorysetId"));
    const bool withSources = args.toInt(QStringLiteral("@SelectionType")) == 2;
    if (!profileExists(context, profileId) || !setExists(context, profileId, setId) ||
        !exists(context, QStringLiteral("SELECT 1 FROM TEventList WHERE EventListId = ?"), {listId}))
        return returning(kBadInput);

    context.exec(
        QStringLiteral("INSERT INTO TCategoryAllocation (ReportProfileId, EventCodeId, ResponsibleSourceId) "
                       "SELECT ?1, EC.EventCodeId, ECRS.ResponsibleSourceId FROM TEventCode AS EC "
                       "LEFT JOIN TEventCode_TResponsibleSource AS ECRS ON ECRS.EventCodeId = EC.EventCodeId "
                       "WHERE EC.EventListId = ?2 AND NOT EXISTS (SELECT 1 FROM TCategoryAllocation AS CA "
                       "WHERE CA.ReportProfileId = ?1 AND CA.EventCodeId = EC.EventCodeId AND "
                       "IFNULL(CA.ResponsibleSourceId, 0) = IFNULL(ECRS.ResponsibleSourceId, 0)) "
                       "ORDER BY EC.EventCodeNumber, ECRS.ResponsibleSourceId"),
        {profileId, listId});

    const db::ResultSet members = setMembers(context, profileId, setId);
    // Only a category that is still a member of the set counts as the
    // row's allocation in it.
    std::vector<QVariant> bindings;
    const QString pivot = pivotColumns(QStringLiteral("IFNULL(SM.ReportCategoryId, 0)"), members, &bindings);
    bindings.insert(bindings.end(), {setId, profileId, listId});
    db::ResultSet grid = context.query(
        QStringLiteral(
            "SELECT EC.EventCodeId, EC.EventCodeNumber, CA.CategoryAllocationId, EC.EventCodeTitle, "
            "IFNULL(SM.ReportCategoryId, 0), CAST(CA.CategoryAllocationDisabled AS INTEGER)%1 "
            "FROM TEventCode AS EC "
            "INNER JOIN TCategoryAllocation AS CA ON CA.EventCodeId = EC.EventCodeId "
            "LEFT JOIN TResponsibleSource AS RS ON RS.ResponsibleSourceId = CA.ResponsibleSourceId "
            "LEFT JOIN TCategoryAllocation_TReportCategorySet AS CAS "
            "ON CAS.CategoryAllocationId = CA.CategoryAllocationId AND CAS.ReportCategorySetId = ? "
            "LEFT JOIN TReportCategorySet_TReportCategory AS SM ON SM.ReportProfileId = "
            "CA.ReportProfileId AND SM.ReportCategorySetId = CAS.ReportCategorySetId AND "
            "SM.ReportCategoryId = CAS.ReportCategoryId "
            "WHERE CA.ReportProfileId = ? AND EC.EventListId = ? "
            "ORDER BY EC.EventCodeNumber, RS.ResponsibleSourceNumber, CA.CategoryAllocationId")
            .arg(pivot),
        bindings);
    describeGridColumns(&grid,
                        {{QStringLiteral("EventCodeId"), FieldType::Integer},
                         {QStringLiteral("EventCodeNumber"), FieldType::Integer},
                         {QStringLiteral("CategoryAllocationId"), FieldType::Integer},
                         {QStringLiteral("EventCodeTitle"), FieldType::String},
                         {QStringLiteral("ReportCategoryId"), FieldType::Integer},
                         {QStringLiteral("CategoryAllocationDisabled"), FieldType::Integer}},
                        members);

    ProcedureResult result;
    result.resultSets.push_back(std::move(grid));
    result.resultSets.push_back(members);
    // Older clients do not show the sources: they get the columns, no rows.
    result.resultSets.push_back(context.query(
        QStringLiteral(
            "SELECT CA.CategoryAllocationId, RS.ResponsibleSourceTitle, RS.ResponsibleSourceNumber "
            "FROM TEventCode AS EC "
            "INNER JOIN TCategoryAllocation AS CA ON CA.EventCodeId = EC.EventCodeId "
            "INNER JOIN TResponsibleSource AS RS ON RS.ResponsibleSourceId = CA.ResponsibleSourceId "
            "WHERE CA.ReportProfileId = ? AND EC.EventListId = ? AND ? "
            "ORDER BY EC.EventCodeNumber, RS.ResponsibleSourceNumber"),
        {profileId, listId, withSources ? 1 : 0}));
    return result;
}

// WMS_SP_REP_SelectDerateCategoryAllocationForProfile @ReportProfileId: the
// allocation of every power reduction mode to the categories of the
// profile's main set. Rows missing for modes are created first.
ProcedureResult selectDerateCategoryAllocation(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    const int setId = categories::kMainSet;
    if (!profileExists(context, profileId) || !setExists(context, profileId, setId))
        return returning(kBadInput);

    context.exec(
        QStringLiteral("INSERT INTO TDerateCategoryAllocation (ReportProfileId, PowerReductionModeId) "
                       "SELECT ?1, PRM.PowerReductionModeId FROM TPowerReductionMode AS PRM "
                       "WHERE NOT EXISTS (SELECT 1 FROM TDerateCategoryAllocation AS DCA WHERE "
                       "DCA.ReportProfileId = ?1 AND DCA.PowerReductionModeId = PRM.PowerReductionModeId) "
                       "ORDER BY PRM.ReductionModeNumber, PRM.PowerReductionModeId"),
        {profileId});

    const db::ResultSet members = setMembers(context, profileId, setId);
    std::vector<QVariant> bindings;
    const QString pivot = pivotColumns(QStringLiteral("IFNULL(SM.ReportCategoryId, 0)"), members, &bindings);
    bindings.insert(bindings.end(), {setId, profileId});
    db::ResultSet grid = context.query(
        QStringLiteral(
            "SELECT PRM.PowerReductionModeId, PRM.ReductionModeNumber, DCA.DerateCategoryAllocationId, "
            "PRM.ReductionModeTitle, IFNULL(SM.ReportCategoryId, 0), "
            "CAST(DCA.DerateCategoryAllocationDisabled AS INTEGER)%1 "
            "FROM TPowerReductionMode AS PRM INNER JOIN TDerateCategoryAllocation AS DCA "
            "ON DCA.PowerReductionModeId = PRM.PowerReductionModeId "
            "LEFT JOIN TReportCategorySet_TReportCategory AS SM ON SM.ReportProfileId = "
            "DCA.ReportProfileId AND SM.ReportCategorySetId = ? AND "
            "SM.ReportCategoryId = DCA.ReportCategoryId "
            "WHERE DCA.ReportProfileId = ? ORDER BY PRM.ReductionModeNumber, PRM.PowerReductionModeId")
            .arg(pivot),
        bindings);
    describeGridColumns(&grid,
                        {{QStringLiteral("PowerReductionModeId"), FieldType::Integer},
                         {QStringLiteral("ReductionModeNumber"), FieldType::Integer},
                         {QStringLiteral("DerateCategoryAllocationId"), FieldType::Integer},
                         {QStringLiteral("ReductionModeTitle"), FieldType::String},
                         {QStringLiteral("ReportCategoryId"), FieldType::Integer},
                         {QStringLiteral("DerateCategoryAllocationDisabled"), FieldType::Integer}},
                        members);
    ProcedureResult result;
    result.resultSets.push_back(std::move(grid));
    result.resultSets.push_back(members);
    return result;
}

// One changed row of an allocation save.
struct AllocationChange {
    int allocationId = 0;
    int categoryId = 0;  // 0: none
    bool disabled = false;
};

// The three comma-separated lists of a save, or the return value that
// refuses them. Empty lists give no changes.
std::variant<std::vector<AllocationChange>, int> parseChanges(const Arguments& args) {
    const QString lists[] = {args.toString(QStringLiteral("@CategoryAllocationIdList")),
                             args.toString(QStringLiteral("@ReportCategoryIdList")),
                             args.toString(QStringLiteral("@CategoryAllocationDisabledList"))};
    for (const QString& list : lists)
        if (list.size() > kMaxListLength) return kListTooLong;
    std::vector<AllocationChange> changes;
    if (lists[0].trimmed().isEmpty() && lists[1].trimmed().isEmpty() && lists[2].trimmed().isEmpty())
        return changes;
    const QStringList ids = lists[0].split(QLatin1Char(','));
    const QStringList categories = lists[1].split(QLatin1Char(','));
    const QStringList disabled = lists[2].split(QLatin1Char(','));
    if (ids.size() != categories.size() || ids.size() != disabled.size()) return kBadInput;
    changes.reserve(size_t(ids.size()));
    for (qsizetype i = 0; i < ids.size(); ++i) {
        bool ok[3] = {};
        const AllocationChange change{ids[i].trimmed().toInt(&ok[0]), categories[i].trimmed().toInt(&ok[1]),
                                      disabled[i].trimmed().toInt(&ok[2]) != 0};
        if (!ok[0] || !ok[1] || !ok[2]) return kBadInput;
        changes.push_back(change);
    }
    return changes;
}

// The members of each profile's set, read once per profile.
class SetMembership {
public:
    SetMembership(const ProcedureContext& context, int setId)
        : setId_(setId),
          members_(
              context.handle(),
              QStringLiteral("SELECT S.ReportCategorySetId, SM.ReportCategoryId FROM TReportCategorySet AS S "
                             "LEFT JOIN TReportCategorySet_TReportCategory AS SM ON SM.ReportProfileId = "
                             "S.ReportProfileId AND SM.ReportCategorySetId = S.ReportCategorySetId "
                             "WHERE S.ReportProfileId = ? AND S.ReportCategorySetId = ?")) {}

    // Null when the profile has no such set.
    const std::set<int>* of(int profileId) {
        auto it = byProfile_.find(profileId);
        if (it == byProfile_.end()) {
            std::optional<std::set<int>> members;
            const db::ResultSet rows = members_.query({profileId, setId_});
            if (!rows.rows.empty()) {
                members.emplace();
                for (const db::Row& row : rows.rows)
                    if (!row[1].isNull()) members->insert(row[1].toInt());
            }
            it = byProfile_.emplace(profileId, std::move(members)).first;
        }
        return it->second ? &*it->second : nullptr;
    }

private:
    int setId_;
    PreparedStatement members_;
    std::map<int, std::optional<std::set<int>>> byProfile_;
};

// Checks every change; returns 0 when all may be written. A category must be
// a member of the set the row is allocated in. `rowsTable` holds the rows by
// `keyColumn`, with their ReportProfileId.
int checkChanges(const ProcedureContext& context, const std::vector<AllocationChange>& changes,
                 const QString& rowsTable, const QString& keyColumn, int setId, bool setMustExist) {
    std::set<int> knownCategories;
    for (const db::Row& row :
         context.query(QStringLiteral("SELECT ReportCategoryId FROM TReportCategory")).rows)
        knownCategories.insert(row[0].toInt());
    SetMembership membership(context, setId);
    // The profile of every listed row in one statement: thousands of lookups
    // one by one cost more than the writes.
    QString ids = QStringLiteral("[");
    for (const AllocationChange& change : changes) {
        if (ids.size() > 1) ids += u',';
        ids += QString::number(change.allocationId);
    }
    ids += u']';
    std::map<int, int> profileOf;  // allocation row -> profile
    const db::ResultSet rows =
        context.query(QStringLiteral("SELECT J.value, T.ReportProfileId FROM json_each(?) AS J "
                                     "LEFT JOIN %1 AS T ON T.%2 = J.value")
                          .arg(rowsTable, keyColumn),
                      {ids});
    for (const db::Row& row : rows.rows) {
        if (row[1].isNull()) return kUnknownId;
        profileOf[row[0].toInt()] = row[1].toInt();
    }
    for (const AllocationChange& change : changes)
        if (change.categoryId != 0 && !knownCategories.contains(change.categoryId)) return kUnknownId;
    if (setMustExist)
        for (const auto& [row, profile] : profileOf)
            if (!membership.of(profile)) return kSetOfAnotherProfile;
    for (const AllocationChange& change : changes) {
        if (change.categoryId == 0) continue;
        const std::set<int>* members = membership.of(profileOf[change.allocationId]);
        if (!members || !members->contains(change.categoryId)) return kUnknownId;
    }
    return 0;
}

// WMS_SP_REP_UpdateCategoryAllocation @CategoryAllocationIdList,
// @ReportCategoryIdList, @CategoryAllocationDisabledList, @ReportCategorySetId:
// per listed allocation row its switched-off flag and its category in the
// set (0: none). Nothing is written unless every entry is valid.
ProcedureResult updateCategoryAllocation(ProcedureContext& context, const Arguments& args) {
    const auto parsed = parseChanges(args);
    if (const int* refused = std::get_if<int>(&parsed)) return returning(*refused);
    const auto& changes = std::get<std::vector<AllocationChange>>(parsed);
    if (changes.empty()) return {};
    const int setId = args.toInt(QStringLiteral("@ReportCategorySetId"));
    if (const int refused = checkChanges(context, changes, QStringLiteral("TCategoryAllocation"),
                                         QStringLiteral("CategoryAllocationId"), setId, true))
        return returning(refused);

    PreparedStatement setDisabled(
        context.handle(), QStringLiteral("UPDATE TCategoryAllocation SET CategoryAllocationDisabled = ? "
                                         "WHERE CategoryAllocationId = ?"));
    PreparedStatement allocate(context.handle(),
                               QStringLiteral("INSERT INTO TCategoryAllocation_TReportCategorySet "
                                              "(CategoryAllocationId, ReportCategorySetId, ReportCategoryId) "
                                              "VALUES (?, ?, ?) ON CONFLICT (CategoryAllocationId, "
                                              "ReportCategorySetId) DO UPDATE SET ReportCategoryId = "
                                              "excluded.ReportCategoryId"));
    PreparedStatement unallocate(context.handle(),
                                 QStringLiteral("DELETE FROM TCategoryAllocation_TReportCategorySet WHERE "
                                                "CategoryAllocationId = ? AND ReportCategorySetId = ?"));
    for (const AllocationChange& change : changes) {
        setDisabled.exec({change.disabled ? 1 : 0, change.allocationId});
        if (change.categoryId == 0)
            unallocate.exec({change.allocationId, setId});
        else
            allocate.exec({change.allocationId, setId, change.categoryId});
    }
    return {};
}

// WMS_SP_REP_UpdateDerateCategoryAllocation @CategoryAllocationIdList,
// @ReportCategoryIdList, @CategoryAllocationDisabledList: as the event
// allocation, for derating allocation rows, in the profile's main set.
ProcedureResult updateDerateCategoryAllocation(ProcedureContext& context, const Arguments& args) {
    const auto parsed = parseChanges(args);
    if (const int* refused = std::get_if<int>(&parsed)) return returning(*refused);
    const auto& changes = std::get<std::vector<AllocationChange>>(parsed);
    if (changes.empty()) return {};
    if (const int refused =
            checkChanges(context, changes, QStringLiteral("TDerateCategoryAllocation"),
                         QStringLiteral("DerateCategoryAllocationId"), categories::kMainSet, false))
        return returning(refused);

    PreparedStatement update(
        context.handle(),
        QStringLiteral("UPDATE TDerateCategoryAllocation SET ReportCategoryId = NULLIF(?, 0), "
                       "DerateCategoryAllocationDisabled = ? WHERE DerateCategoryAllocationId = ?"));
    for (const AllocationChange& change : changes)
        update.exec({change.categoryId, change.disabled ? 1 : 0, change.allocationId});
    return {};
}

}  // namespace

void registerAllocationProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("WMS_SP_REP_SelectCategoryAllocationForProfile"),
                 {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@EventListId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@SelectionType"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@CategorysetId"), FieldType::Integer)},
                 selectCategoryAllocation);
    registry.add(
        QStringLiteral("WMS_SP_REP_UpdateCategoryAllocation"),
        {ProcedureParameter::input(QStringLiteral("@CategoryAllocationIdList"), FieldType::String),
         ProcedureParameter::input(QStringLiteral("@ReportCategoryIdList"), FieldType::String),
         ProcedureParameter::input(QStringLiteral("@CategoryAllocationDisabledList"), FieldType::String),
         ProcedureParameter::input(QStringLiteral("@ReportCategorySetId"), FieldType::Integer)},
        updateCategoryAllocation);
    registry.add(QStringLiteral("WMS_SP_REP_SelectDerateCategoryAllocationForProfile"),
                 {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer)},
                 selectDerateCategoryAllocation);
    registry.add(
        QStringLiteral("WMS_SP_REP_UpdateDerateCategoryAllocation"),
        {ProcedureParameter::input(QStringLiteral("@CategoryAllocationIdList"), FieldType::String),
         ProcedureParameter::input(QStringLiteral("@ReportCategoryIdList"), FieldType::String),
         ProcedureParameter::input(QStringLiteral("@CategoryAllocationDisabledList"), FieldType::String)},
        updateDerateCategoryAllocation);
}

}  // namespace reportdb
