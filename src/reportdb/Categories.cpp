#include "reportdb/Categories.h"

namespace reportdb::categories {

std::vector<CategorySet> standardSets() {
    return {
        {1, QStringLiteral("Contractual availability"), 1, true, {1, 2, 3, 4, 5, 6, 7, 8}},
        {2, QStringLiteral("Technical availability"), 2, true, {1, 3, 4, 6, 7, 8}},
    };
}

void writeSet(const ProcedureContext& context, int profileId, const CategorySet& set) {
    context.exec(QStringLiteral("INSERT INTO TReportCategorySet (ReportProfileId, ReportCategorySetId, "
                                "ReportCategorySetTitle, CategorySetSortOrder, CategorySetEnabled) "
                                "VALUES (?, ?, ?, ?, ?) ON CONFLICT (ReportProfileId, ReportCategorySetId) "
                                "DO UPDATE SET ReportCategorySetTitle = excluded.ReportCategorySetTitle, "
                                "CategorySetSortOrder = excluded.CategorySetSortOrder, "
                                "CategorySetEnabled = excluded.CategorySetEnabled"),
                 {profileId, set.id, set.title, set.sortOrder, set.enabled ? 1 : 0});
    context.exec(QStringLiteral("DELETE FROM TReportCategorySet_TReportCategory WHERE ReportProfileId = ? "
                                "AND ReportCategorySetId = ?"),
                 {profileId, set.id});
    int order = 0;
    for (int category : set.members)
        context.exec(
            QStringLiteral("INSERT INTO TReportCategorySet_TReportCategory (ReportProfileId, "
                           "ReportCategorySetId, ReportCategoryId, MemberOrder) VALUES (?, ?, ?, ?)"),
            {profileId, set.id, category, ++order});
}

void addStandardSets(const ProcedureContext& context, int profileId) {
    for (const CategorySet& set : standardSets()) writeSet(context, profileId, set);
}

void dropAllocationsOfUnusedEventList(const ProcedureContext& context, int profileId, int unitTypeId) {
    const QVariant eventList = context.scalar(
        QStringLiteral("SELECT EventListId FROM TUnitType WHERE UnitTypeId = ?"), {unitTypeId});
    if (eventList.isNull()) return;
    const QVariant stillUsed =
        context.scalar(QStringLiteral("SELECT 1 FROM TParkUnit_TReportProfile AS PUP "
                                      "INNER JOIN TParkUnit AS PU ON PU.ParkUnitId = PUP.ParkUnitId "
                                      "INNER JOIN TUnitType AS UT ON UT.UnitTypeId = PU.UnitTypeId "
                                      "WHERE PUP.ReportProfileId = ? AND UT.EventListId = ? LIMIT 1"),
                       {profileId, eventList});
    if (!stillUsed.isNull()) return;
    // The per-set categories go with their rows (cascade).
    context.exec(
        QStringLiteral("DELETE FROM TCategoryAllocation WHERE ReportProfileId = ? AND EventCodeId IN "
                       "(SELECT EventCodeId FROM TEventCode WHERE EventListId = ?)"),
        {profileId, eventList});
}

}  // namespace reportdb::categories
