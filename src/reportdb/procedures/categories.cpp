// Report categories and the category sets of a profile.

#include "reportdb/Categories.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

#include <optional>
#include <set>

namespace reportdb {

namespace {

using db::FieldType;

// Actions of WMS_SP_CRQ_HandleReportCategory.
constexpr int kSaveAction = 1;
constexpr int kLoadAction = 3;
constexpr int kSelectionAction = 4;

// Return values.
constexpr int kUnknownAction = 1;
constexpr int kDuplicateTitle = 100;
constexpr int kBadInput = 1001;
constexpr int kNoSuchCategory = 1002;
constexpr int kManualTitleNotEnabled = 1003;

bool profileExists(const ProcedureContext& context, int profileId) {
    return !context
                .scalar(QStringLiteral("SELECT 1 FROM TReportProfile WHERE ReportProfileId = ?"), {profileId})
                .isNull();
}

ProcedureResult returning(int value) {
    ProcedureResult result;
    result.returnValue = value;
    return result;
}

// The profile's sets, all categories and the sets' members.
ProcedureResult loadConfiguration(ProcedureContext& context, int profileId) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT ReportCategorySetId, ReportCategorySetTitle, CategorySetSortOrder, "
                       "CategorySetEnabled FROM TReportCategorySet WHERE ReportProfileId = ? "
                       "ORDER BY ReportCategorySetId"),
        {profileId}));
    // Manual titles exist from 3.16 on; older databases do not return them.
    const QString manual =
        context.versionAtLeast(QStringLiteral("3.16.0.0"))
            ? QStringLiteral(", ReportCategoryTitleManualEnabled, ReportCategoryTitleManual")
            : QString();
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT ReportCategoryId, ReportCategoryTitle, ReportCategoryDescription, "
                       "IECCategory, EEGCategory%1 FROM TReportCategory ORDER BY ReportCategoryId")
            .arg(manual)));
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT ReportCategorySetId, ReportCategoryId FROM TReportCategorySet_TReportCategory "
                       "WHERE ReportProfileId = ? ORDER BY ReportCategorySetId, MemberOrder"),
        {profileId}));
    return result;
}

// The enabled sets and the event lists that the profile's units report from.
ProcedureResult loadSelection(ProcedureContext& context, int profileId) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT ReportCategorySetId, ReportCategorySetTitle FROM TReportCategorySet "
                       "WHERE ReportProfileId = ? AND CategorySetEnabled = 1 "
                       "ORDER BY CategorySetSortOrder, ReportCategorySetId"),
        {profileId}));
    result.resultSets.push_back(context.query(
        QStringLiteral(
            "SELECT EL.EventListId, EL.EventListTitle FROM TEventList AS EL WHERE EL.EventListId IN "
            "(SELECT UT.EventListId FROM TParkUnit_TReportProfile AS PUP "
            "INNER JOIN TParkUnit AS PU ON PU.ParkUnitId = PUP.ParkUnitId "
            "INNER JOIN TUnitType AS UT ON UT.UnitTypeId = PU.UnitTypeId "
            "WHERE PUP.ReportProfileId = ?) ORDER BY EL.EventListTitle, EL.EventListId"),
        {profileId}));
    return result;
}

std::optional<int> parseNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The five save lists, one ";"-entry per set. An empty set id list means no
// sets at all (then every list must be empty).
struct SaveLists {
    std::vector<categories::CategorySet> sets;
    bool ok = false;
};

SaveLists parseSaveLists(const Arguments& args) {
    auto text = [&](const char* name) { return args.toString(QLatin1String(name)); };
    const QString ids = text("@ReportCategorySetIds");
    const QStringList parts[] = {
        ids.split(QLatin1Char(';')),
        text("@ReportCategorySetSortOrder").split(QLatin1Char(';')),
        text("@ReportCategorySetEnabled").split(QLatin1Char(';')),
        text("@ReportCategorySetTitles").split(QLatin1Char(';')),
        text("@ReportCategoryIds").split(QLatin1Char(';')),
    };
    SaveLists out;
    if (ids.trimmed().isEmpty()) {
        out.ok = true;
        for (const QStringList& list : parts)
            if (list.size() != 1 || !list[0].trimmed().isEmpty()) out.ok = false;
        return out;
    }
    const qsizetype count = parts[0].size();
    for (const QStringList& list : parts)
        if (list.size() != count) return out;
    std::set<int> seen;
    for (qsizetype i = 0; i < count; ++i) {
        const auto id = parseNumber(parts[0][i]);
        const auto sortOrder = parseNumber(parts[1][i]);
        const auto enabled = parseNumber(parts[2][i]);
        if (!id || *id < 1 || !seen.insert(*id).second || !sortOrder || !enabled) return out;
        categories::CategorySet set{*id, parts[3][i], *sortOrder, *enabled != 0, {}};
        if (!parts[4][i].trimmed().isEmpty()) {
            std::set<int> members;
            for (const QString& member : parts[4][i].split(QLatin1Char(','))) {
                const auto category = parseNumber(member);
                if (!category) return out;
                // A category named twice is a member once, at its first place.
                if (members.insert(*category).second) set.members.push_back(*category);
            }
        }
        out.sets.push_back(std::move(set));
    }
    out.ok = true;
    return out;
}

// Writes the sets the lists name; the profile's other sets stay as they are.
ProcedureResult saveConfiguration(ProcedureContext& context, int profileId, const Arguments& args) {
    if (!profileExists(context, profileId)) return returning(kBadInput);
    const SaveLists lists = parseSaveLists(args);
    if (!lists.ok) return returning(kBadInput);
    std::set<int> known;
    for (const db::Row& row :
         context.query(QStringLiteral("SELECT ReportCategoryId FROM TReportCategory")).rows)
        known.insert(row[0].toInt());
    for (const auto& set : lists.sets)
        for (int category : set.members)
            if (!known.contains(category)) return returning(kNoSuchCategory);
    for (const auto& set : lists.sets) categories::writeSet(context, profileId, set);
    return {};
}

// WMS_SP_CRQ_HandleReportCategory @Action, @ReportProfileId, @ReportCategoryId
// [, the five save lists]: 3 loads the category configuration, 1 saves it,
// 4 loads what the allocation needs to be chosen.
ProcedureResult handleReportCategory(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    switch (args.toInt(QStringLiteral("@Action"))) {
        case kLoadAction:
            if (!profileExists(context, profileId)) return returning(kBadInput);
            return loadConfiguration(context, profileId);
        case kSaveAction: return saveConfiguration(context, profileId, args);
        case kSelectionAction:
            if (!profileExists(context, profileId)) return returning(kBadInput);
            return loadSelection(context, profileId);
        default: return returning(kUnknownAction);
    }
}

// WMS_SP_CRQ_UpdateCategoryTitleManual @ReportCategoryId, @ReportCategoryTitleManual:
// the trimmed text becomes the category's manual title (an empty one
// removes it). No two categories may be called the same, by either title.
ProcedureResult updateCategoryTitleManual(ProcedureContext& context, const Arguments& args) {
    const int categoryId = args.toInt(QStringLiteral("@ReportCategoryId"));
    const QString title = args.toString(QStringLiteral("@ReportCategoryTitleManual")).trimmed();
    const db::ResultSet categories = context.query(
        QStringLiteral("SELECT ReportCategoryId, ReportCategoryTitle, ReportCategoryTitleManual, "
                       "ReportCategoryTitleManualEnabled FROM TReportCategory"));
    const db::Row* own = nullptr;
    for (const db::Row& row : categories.rows)
        if (row[0].toInt() == categoryId) own = &row;
    if (!own) return returning(kNoSuchCategory);
    if (!(*own)[3].toBool()) return returning(kManualTitleNotEnabled);
    if (!title.isEmpty()) {
        auto same = [&](const QVariant& other) {
            return !other.isNull() && other.toString().trimmed().compare(title, Qt::CaseInsensitive) == 0;
        };
        for (const db::Row& row : categories.rows)
            if (row[0].toInt() != categoryId && (same(row[1]) || same(row[2])))
                return returning(kDuplicateTitle);
    }
    context.exec(
        QStringLiteral("UPDATE TReportCategory SET ReportCategoryTitleManual = ? WHERE ReportCategoryId = ?"),
        {title.isEmpty() ? QVariant() : QVariant(title), categoryId});
    return {};
}

// WMS_SP_CRQ_HasModuleAccess @ModuleId, @UserId, @HasAccess OUTPUT.
ProcedureResult hasModuleAccess(ProcedureContext& context, const Arguments& args) {
    const QVariant granted =
        context.scalar(QStringLiteral("SELECT 1 FROM TUserModuleAccess WHERE ModuleId = ? AND UserId = ?"),
                       {args.value(QStringLiteral("@ModuleId")), args.value(QStringLiteral("@UserId"))});
    ProcedureResult result;
    result.outputs[QStringLiteral("@HasAccess")] = granted.isNull() ? 0 : 1;
    return result;
}

}  // namespace

void registerCategoryProcedures(ProcedureRegistry& registry) {
    registry.add(
        QStringLiteral("WMS_SP_CRQ_HandleReportCategory"),
        {ProcedureParameter::input(QStringLiteral("@Action"), FieldType::Integer),
         ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
         ProcedureParameter::optional(QStringLiteral("@ReportCategoryId"), FieldType::Integer, {}),
         ProcedureParameter::optional(QStringLiteral("@ReportCategoryIds"), FieldType::String, {}),
         ProcedureParameter::optional(QStringLiteral("@ReportCategorySetIds"), FieldType::String, {}),
         ProcedureParameter::optional(QStringLiteral("@ReportCategorySetSortOrder"), FieldType::String, {}),
         ProcedureParameter::optional(QStringLiteral("@ReportCategorySetEnabled"), FieldType::String, {}),
         ProcedureParameter::optional(QStringLiteral("@ReportCategorySetTitles"), FieldType::String, {})},
        handleReportCategory);
    registry.add(QStringLiteral("WMS_SP_CRQ_UpdateCategoryTitleManual"),
                 {ProcedureParameter::input(QStringLiteral("@ReportCategoryId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@ReportCategoryTitleManual"), FieldType::String)},
                 updateCategoryTitleManual);
    registry.add(QStringLiteral("WMS_SP_CRQ_HasModuleAccess"),
                 {ProcedureParameter::input(QStringLiteral("@ModuleId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@UserId"), FieldType::Integer),
                  ProcedureParameter::out(QStringLiteral("@HasAccess"), FieldType::Integer)},
                 hasModuleAccess, true);
}

}  // namespace reportdb
