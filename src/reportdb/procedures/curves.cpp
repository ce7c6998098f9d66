// Reference curves and free wind parameter sets.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

#include <cmath>

namespace reportdb {

namespace {

using db::FieldType;

constexpr int kMaxPointCount = 10000;
constexpr int kListFreeWindParameters = 1;

// DCE_SP_InsertDefaultNormCurveData @Title, @Description, @AirDensity,
// @FirstWindSpeed, @Production, @PointCount, @WindSpeedStep, @Locked,
// @CutInWindSpeed, @CutOutWindSpeed, @NormCurveTypeId: a new curve with
// @PointCount points from @FirstWindSpeed on, @WindSpeedStep apart, all
// with @Production. Speeds are counted in exact tenths, so the point at
// 0.3 m/s is stored as 3 / 10 and found again by that value. A title in use
// is refused.
ProcedureResult insertDefaultNormCurveData(ProcedureContext& context, const Arguments& args) {
    const QString title = args.toString(QStringLiteral("@Title")).trimmed();
    if (title.isEmpty()) throw SqlError(QStringLiteral("A reference curve needs a title"));
    if (!context.scalar(QStringLiteral("SELECT 1 FROM TNormCurve WHERE NormCurveTitle = ?"), {title})
             .isNull())
        throw SqlError(QStringLiteral("A reference curve titled '%1' exists already").arg(title));
    const int count = args.toInt(QStringLiteral("@PointCount"));
    if (count < 0 || count > kMaxPointCount)
        throw SqlError(QStringLiteral("%1 is not a number of curve points").arg(count));
    const QVariant type = args.value(QStringLiteral("@NormCurveTypeId"));
    if (!type.isNull() && type.toInt() != 1 && type.toInt() != 2)
        throw SqlError(QStringLiteral("%1 is not a reference curve type").arg(type.toInt()));
    const QVariant airDensity = args.value(QStringLiteral("@AirDensity"));
    context.exec(
        QStringLiteral("INSERT INTO TNormCurve (NormCurveTitle, NormCurveDescription, NormCurveAirDensity, "
                       "NormCurveLocked, NormCurveCutInWindSpeed, NormCurveCutOutWindSpeed, "
                       "NormCurveTypeId) VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {title, args.value(QStringLiteral("@Description")),
         airDensity.isNull() ? QVariant(1.225) : airDensity, args.toBool(QStringLiteral("@Locked")) ? 1 : 0,
         args.value(QStringLiteral("@CutInWindSpeed")), args.value(QStringLiteral("@CutOutWindSpeed")),
         type});
    const long long curveId = context.lastInsertId();
    const long long first = std::llround(args.toDouble(QStringLiteral("@FirstWindSpeed")) * 10.0);
    const long long step = std::llround(args.toDouble(QStringLiteral("@WindSpeedStep")) * 10.0);
    if (count > 1 && step <= 0)
        throw SqlError(QStringLiteral("The wind speed step must be at least 0.1 m/s"));
    const double production = args.toDouble(QStringLiteral("@Production"));
    for (int i = 0; i < count; ++i)
        context.exec(QStringLiteral("INSERT INTO TNormCurveData (NormCurveId, NormCurveDataWindSpeed, "
                                    "NormCurveDataProduction) VALUES (?, ?, ?)"),
                     {curveId, double(first + i * step) / 10.0, production});
    ProcedureResult result;
    result.returnValue = int(curveId);
    return result;
}

// DCE_SP_DeleteNormCurveData @NormCurveId: the curve and its points. A curve
// that a park unit or a profile's unit configuration still refers to is
// refused, so no unit is left pointing at nothing.
ProcedureResult deleteNormCurveData(ProcedureContext& context, const Arguments& args) {
    const int curveId = args.toInt(QStringLiteral("@NormCurveId"));
    const QVariant users = context.scalar(
        QStringLiteral(
            "SELECT (SELECT count(*) FROM TParkUnit WHERE NormCurveId = ?1) + (SELECT count(*) FROM "
            "TParkUnit_TReportProfile WHERE NormCurveId = ?1)"),
        {curveId});
    if (users.toInt() > 0) throw SqlError(QStringLiteral("The reference curve %1 is in use").arg(curveId));
    context.exec(QStringLiteral("DELETE FROM TNormCurveData WHERE NormCurveId = ?"), {curveId});
    if (context.exec(QStringLiteral("DELETE FROM TNormCurve WHERE NormCurveId = ?"), {curveId}) == 0)
        throw SqlError(QStringLiteral("The reference curve %1 does not exist").arg(curveId));
    return {};
}

// DCE_SP_IsNormCurveIdInUse @NormCurveId: NormCurveIdInUse, the number of
// profile unit configurations that use the curve.
ProcedureResult isNormCurveIdInUse(ProcedureContext& context, const Arguments& args) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral(
            "SELECT count(*) AS NormCurveIdInUse FROM TParkUnit_TReportProfile WHERE NormCurveId = ?"),
        {args.toInt(QStringLiteral("@NormCurveId"))}));
    return result;
}

// WMS_SP_REP_DoToFreeWindParameter @Action: 1 lists the sets by title, every
// column in table order; no other action is offered.
ProcedureResult doToFreeWindParameter(ProcedureContext& context, const Arguments& args) {
    const int action = args.toInt(QStringLiteral("@Action"));
    if (action != kListFreeWindParameters)
        throw SqlError(QStringLiteral("%1 is not an action on free wind parameters").arg(action));
    ProcedureResult result;
    result.resultSets.push_back(context.query(QStringLiteral(
        "SELECT * FROM TFreeWindParameter ORDER BY FreeWindParameterTitle, FreeWindParameterId")));
    return result;
}

// WMS_SP_CRQ_CountFreeWindParameterRelations @FreeWindParameterId:
// FreeWindParameterRelations, the unit configurations that use the set.
ProcedureResult countFreeWindParameterRelations(ProcedureContext& context, const Arguments& args) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT count(*) AS FreeWindParameterRelations FROM TParkUnit_TReportProfile "
                       "WHERE FreeWindParameterId = ?"),
        {args.toInt(QStringLiteral("@FreeWindParameterId"))}));
    return result;
}

// WMS_SP_CRQ_DeleteFreeWindParameter @FreeWindParameterId [, @ProcessId]:
// first the unit configurations let go of the set, then the set goes; each
// a step of the process. An unknown set is refused.
ProcedureResult deleteFreeWindParameter(ProcedureContext& context, const Arguments& args) {
    const int setId = args.toInt(QStringLiteral("@FreeWindParameterId"));
    ProcessReporter process = context.process(args);
    process.throwIfTerminated();
    if (context
            .scalar(QStringLiteral("SELECT 1 FROM TFreeWindParameter WHERE FreeWindParameterId = ?"), {setId})
            .isNull())
        throw SqlError(QStringLiteral("The free wind parameter set %1 does not exist").arg(setId));
    process.setRemaining(2);
    context.step(
        [&] {
            context.exec(
                QStringLiteral("UPDATE TParkUnit_TReportProfile SET FreeWindParameterId = NULL WHERE "
                               "FreeWindParameterId = ?"),
                {setId});
        },
        &process);
    process.setRemaining(1);
    context.step(
        [&] {
            context.exec(QStringLiteral("DELETE FROM TFreeWindParameter WHERE FreeWindParameterId = ?"),
                         {setId});
        },
        &process);
    process.setRemaining(0);
    return {};
}

}  // namespace

void registerCurveProcedures(ProcedureRegistry& registry) {
    using P = ProcedureParameter;
    registry.add(QStringLiteral("DCE_SP_InsertDefaultNormCurveData"),
                 {P::input(QStringLiteral("@Title"), FieldType::String),
                  P::input(QStringLiteral("@Description"), FieldType::String),
                  P::input(QStringLiteral("@AirDensity"), FieldType::Float),
                  P::input(QStringLiteral("@FirstWindSpeed"), FieldType::Float),
                  P::input(QStringLiteral("@Production"), FieldType::Float),
                  P::input(QStringLiteral("@PointCount"), FieldType::Integer),
                  P::input(QStringLiteral("@WindSpeedStep"), FieldType::Float),
                  P::input(QStringLiteral("@Locked"), FieldType::Integer),
                  P::input(QStringLiteral("@CutInWindSpeed"), FieldType::Float),
                  P::input(QStringLiteral("@CutOutWindSpeed"), FieldType::Float),
                  P::input(QStringLiteral("@NormCurveTypeId"), FieldType::Integer)},
                 insertDefaultNormCurveData);
    registry.add(QStringLiteral("DCE_SP_DeleteNormCurveData"),
                 {P::input(QStringLiteral("@NormCurveId"), FieldType::Integer)}, deleteNormCurveData);
    registry.add(QStringLiteral("DCE_SP_IsNormCurveIdInUse"),
                 {P::input(QStringLiteral("@NormCurveId"), FieldType::Integer)}, isNormCurveIdInUse, true);
    registry.add(QStringLiteral("WMS_SP_REP_DoToFreeWindParameter"),
                 {P::input(QStringLiteral("@Action"), FieldType::Integer)}, doToFreeWindParameter, true);
    registry.add(QStringLiteral("WMS_SP_CRQ_CountFreeWindParameterRelations"),
                 {P::input(QStringLiteral("@FreeWindParameterId"), FieldType::Integer)},
                 countFreeWindParameterRelations, true);
    registry.addStepwise(QStringLiteral("WMS_SP_CRQ_DeleteFreeWindParameter"),
                         {P::input(QStringLiteral("@FreeWindParameterId"), FieldType::Integer),
                          P::optional(QStringLiteral("@ProcessId"), FieldType::Integer, {})},
                         deleteFreeWindParameter);
}

}  // namespace reportdb
