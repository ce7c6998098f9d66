// Validation limits of the measured values, and the sign-off records of a
// profile's shadow data periods.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

namespace reportdb {

namespace {

using db::FieldType;

// Return values of WMS_SP_REP_InsertShadowDataLockPeriod.
constexpr int kUnknownProfile = 1;
constexpr int kPeriodNotForward = 2;
constexpr int kBadDescription = 3;
constexpr int kUnknownUser = 4;
constexpr int kMaxDescriptionLength = 256;

// The validation group of a park unit: its turbine type, or the
// meteorological group (0) for every other unit.
int groupOfUnit(const ProcedureContext& context, int parkUnitId) {
    const db::ResultSet rows = context.query(
        QStringLiteral("SELECT T.UnitTypeId, T.UnitTypeDevice FROM TParkUnit AS P "
                       "INNER JOIN TUnitType AS T ON T.UnitTypeId = P.UnitTypeId WHERE P.ParkUnitId = ?"),
        {parkUnitId});
    if (rows.rows.empty()) throw SqlError(QStringLiteral("The park unit %1 does not exist").arg(parkUnitId));
    return rows.rows[0][1].toString() == QLatin1String("WTG") ? rows.rows[0][0].toInt() : 0;
}

// DCE_SP_SelectValidationParameters @ParkUnitId, @UnitTypeId: the limits of
// one group, by measured value. @ParkUnitId 0 selects the group by
// @UnitTypeId (absent or NULL: the meteorological units); a unit id selects
// the group whose limits apply to that unit. ValidationParameterId is the
// key the editor writes back by; the title and unit are joined.
ProcedureResult selectValidationParameters(ProcedureContext& context, const Arguments& args) {
    const int unitId = args.toInt(QStringLiteral("@ParkUnitId"));
    const int group = unitId != 0 ? groupOfUnit(context, unitId) : args.toInt(QStringLiteral("@UnitTypeId"));
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT V.ValidationParameterId, M.MeasuredValueTitle, V.ValidationActive, "
                       "V.ValidationMinimumValue, V.ValidationMaximumValue, M.MeasuredValueUnit "
                       "FROM TValidationParameter AS V "
                       "INNER JOIN TMeasuredValue AS M ON M.MeasuredValueId = V.MeasuredValueId "
                       "WHERE IFNULL(V.UnitTypeId, 0) = ? ORDER BY M.MeasuredValueId"),
        {group}));
    return result;
}

bool profileExists(const ProcedureContext& context, int profileId) {
    return !context
                .scalar(QStringLiteral("SELECT 1 FROM TReportProfile WHERE ReportProfileId = ?"), {profileId})
                .isNull();
}

// WMS_SP_REP_SelectShadowDataLockPeriod @ReportProfileId: every lock and
// unlock record of the profile by TimeFrom, with the initials of the user
// who wrote it. Returns 1 for an unknown profile.
ProcedureResult selectLockPeriods(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    ProcedureResult result;
    if (!profileExists(context, profileId)) {
        result.returnValue = kUnknownProfile;
        return result;
    }
    result.resultSets.push_back(context.query(
        QStringLiteral(
            "SELECT L.Locked, L.Customer, U.UserInitials, L.TimeFrom, L.TimeTo, L.LockDescription, "
            "L.LastModifiedDateTimeStamp FROM TShadowDataLockPeriod AS L "
            "LEFT JOIN TUser AS U ON U.UserId = L.UserId WHERE L.ReportProfileId = ? "
            "ORDER BY L.TimeFrom, L.ShadowDataLockPeriodId"),
        {profileId}));
    return result;
}

// WMS_SP_REP_InsertShadowDataLockPeriod: appends a lock or unlock record and
// returns its id in @Id. Refuses (non-zero return value, nothing written) an
// unknown profile or user, a period whose start is not before its stop, and
// an empty description or one over 256 characters.
ProcedureResult insertLockPeriod(ProcedureContext& context, const Arguments& args) {
    ProcedureResult result;
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    const QDateTime from = args.value(QStringLiteral("@TimeFrom")).toDateTime();
    const QDateTime to = args.value(QStringLiteral("@TimeTo")).toDateTime();
    const QString description = args.toString(QStringLiteral("@LockDescription"));
    const QVariant userId = args.value(QStringLiteral("@UserId"));
    if (!profileExists(context, profileId))
        result.returnValue = kUnknownProfile;
    else if (!from.isValid() || !to.isValid() || from >= to)
        result.returnValue = kPeriodNotForward;
    else if (description.isEmpty() || description.size() > kMaxDescriptionLength)
        result.returnValue = kBadDescription;
    else if (context.scalar(QStringLiteral("SELECT 1 FROM TUser WHERE UserId = ?"), {userId}).isNull())
        result.returnValue = kUnknownUser;
    if (result.returnValue != 0) return result;
    context.exec(
        QStringLiteral("INSERT INTO TShadowDataLockPeriod (ReportProfileId, TimeFrom, TimeTo, Locked, "
                       "LockDescription, Customer, UserId, LastModifiedDateTimeStamp) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {profileId, from, to, args.toBool(QStringLiteral("@Locked")) ? 1 : 0, description,
         args.toBool(QStringLiteral("@Customer")) ? 1 : 0, userId,
         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    result.outputs[QStringLiteral("@Id")] = context.lastInsertId();
    return result;
}

}  // namespace

void registerValidationAndSignOffProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("DCE_SP_SelectValidationParameters"),
                 {ProcedureParameter::optional(QStringLiteral("@ParkUnitId"), FieldType::Integer, 0),
                  ProcedureParameter::optional(QStringLiteral("@UnitTypeId"), FieldType::Integer, {})},
                 selectValidationParameters, true);
    registry.add(QStringLiteral("WMS_SP_REP_SelectShadowDataLockPeriod"),
                 {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer)},
                 selectLockPeriods, true);
    registry.add(QStringLiteral("WMS_SP_REP_InsertShadowDataLockPeriod"),
                 {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@TimeFrom"), FieldType::DateTime),
                  ProcedureParameter::input(QStringLiteral("@TimeTo"), FieldType::DateTime),
                  ProcedureParameter::input(QStringLiteral("@Locked"), FieldType::Boolean),
                  ProcedureParameter::input(QStringLiteral("@LockDescription"), FieldType::String),
                  ProcedureParameter::input(QStringLiteral("@Customer"), FieldType::Boolean),
                  ProcedureParameter::input(QStringLiteral("@UserId"), FieldType::Integer),
                  ProcedureParameter::out(QStringLiteral("@Id"), FieldType::Integer)},
                 insertLockPeriod);
}

}  // namespace reportdb
