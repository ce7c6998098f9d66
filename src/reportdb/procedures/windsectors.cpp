// Wind sector group and wind sector procedures.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace reportdb {

namespace {

using db::FieldType;

constexpr std::array<const char*, 8> kCoefficientColumns = {"RunA",  "RunB",  "RunC",  "RunD",
                                                            "StopA", "StopB", "StopC", "StopD"};

// WMS_SP_CRQ_SelectWindSectorGroup: every group, by id.
ProcedureResult selectWindSectorGroups(ProcedureContext& context, const Arguments&) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(QStringLiteral(
        "SELECT WindSectorGroupId, WindSectorGroupTitle FROM TWindSectorGroup ORDER BY WindSectorGroupId")));
    return result;
}

// WMS_SP_CRQ_SelectWindSectors: every sector of every group, each group's
// in the order they were written; WindSectorTempId is the editor's working
// key and starts as the sector's id.
ProcedureResult selectWindSectors(ProcedureContext& context, const Arguments&) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(QStringLiteral(
        "SELECT WindSectorId, WindSectorId AS WindSectorTempId, WindSectorGroupId, WindSectorAngleFrom, "
        "WindSectorAngleTo, WindSectorRunA, WindSectorRunB, WindSectorRunC, WindSectorRunD, "
        "WindSectorStopA, WindSectorStopB, WindSectorStopC, WindSectorStopD, WindSectorExcluded "
        "FROM TWindSector ORDER BY WindSectorGroupId, WindSectorId")));
    return result;
}

// One list parameter split at ","; an empty text is an empty list.
QStringList listOf(const Arguments& args, const QString& name) {
    const QString text = args.toString(name);
    return text.isEmpty() ? QStringList() : text.split(u',');
}

struct SectorRow {
    int excluded = 0;
    int from = 0;
    int to = 0;
    std::array<QString, 8> coefficients;
};

// The sectors the lists describe; throws when they do not agree.
std::vector<SectorRow> sectorsFromLists(const Arguments& args) {
    const QStringList excluded = listOf(args, QStringLiteral("@WindSectorExcluded"));
    const QStringList from = listOf(args, QStringLiteral("@WindSectorAngleFrom"));
    const QStringList to = listOf(args, QStringLiteral("@WindSectorAngleTo"));
    std::array<QStringList, 8> coefficients;
    for (std::size_t i = 0; i < kCoefficientColumns.size(); ++i)
        coefficients[i] = listOf(args, QStringLiteral("@WindSector") + QLatin1String(kCoefficientColumns[i]));
    const qsizetype count = excluded.size();
    bool equal = from.size() == count && to.size() == count;
    for (const QStringList& list : coefficients) equal = equal && list.size() == count;
    if (!equal) throw SqlError(QStringLiteral("The wind sector lists are not of equal length"));

    const auto angle = [](const QString& text) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok || value < 0 || value > 360)
            throw SqlError(QStringLiteral("'%1' is not a wind sector angle").arg(text));
        return value;
    };
    std::vector<SectorRow> rows(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        SectorRow& row = rows[std::size_t(i)];
        const QString flag = excluded[i].trimmed();
        if (flag != QLatin1String("0") && flag != QLatin1String("1"))
            throw SqlError(QStringLiteral("'%1' is not a wind sector exclusion flag").arg(excluded[i]));
        row.excluded = flag.toInt();
        row.from = angle(from[i]);
        row.to = angle(to[i]);
        for (std::size_t c = 0; c < coefficients.size(); ++c) {
            const QString text = coefficients[c][i].trimmed();
            bool ok = false;
            const double value = QLocale::c().toDouble(text, &ok);
            if (!ok || !std::isfinite(value))
                throw SqlError(
                    QStringLiteral("'%1' is not a wind sector coefficient").arg(coefficients[c][i]));
            row.coefficients[c] = text;
        }
    }
    return rows;
}

// WMS_SP_CRQ_HandleWindSectorGroup @WindSectorGroupId, @WindSectorGroupTitle,
// @WindSectorExcluded, @WindSectorAngleFrom, @WindSectorAngleTo,
// @WindSectorRunA..D, @WindSectorStopA..D, @Action [, @ProcessId]:
// actions 1 and 3 write the group's title and replace its sectors by the
// lists (one element per sector, in order), storing a new group under the
// id given, so a repeated call replaces what the first one wrote; action 2
// deletes the group with its sectors and takes it off the units it was
// given to (a group already gone is no error).
ProcedureResult handleWindSectorGroup(ProcedureContext& context, const Arguments& args) {
    const int groupId = args.toInt(QStringLiteral("@WindSectorGroupId"));
    const int action = args.toInt(QStringLiteral("@Action"));
    ProcessReporter process = context.process(args);
    process.throwIfTerminated();
    if (groupId <= 0) throw SqlError(QStringLiteral("%1 is not a wind sector group id").arg(groupId));

    if (action == 2) {
        process.setRemaining(1);
        context.step(
            [&] {
                context.exec(QStringLiteral("UPDATE TParkUnit_TReportProfile SET WindSectorGroupId = NULL "
                                            "WHERE WindSectorGroupId = ?"),
                             {groupId});
                context.exec(QStringLiteral("DELETE FROM TWindSector WHERE WindSectorGroupId = ?"),
                             {groupId});
                context.exec(QStringLiteral("DELETE FROM TWindSectorGroup WHERE WindSectorGroupId = ?"),
                             {groupId});
            },
            &process);
        process.setRemaining(0);
        return {};
    }
    if (action != 1 && action != 3)
        throw SqlError(QStringLiteral("%1 is not a wind sector action").arg(action));

    const QString title = args.toString(QStringLiteral("@WindSectorGroupTitle")).trimmed();
    if (title.isEmpty()) throw SqlError(QStringLiteral("A wind sector group needs a title"));
    const std::vector<SectorRow> sectors = sectorsFromLists(args);
    // Title and sectors go together: a group never shows half a save.
    process.setRemaining(1);
    context.step(
        [&] {
            context.exec(
                QStringLiteral("INSERT INTO TWindSectorGroup (WindSectorGroupId, WindSectorGroupTitle) "
                               "VALUES (?, ?) ON CONFLICT (WindSectorGroupId) DO UPDATE SET "
                               "WindSectorGroupTitle = excluded.WindSectorGroupTitle"),
                {groupId, title});
            context.exec(QStringLiteral("DELETE FROM TWindSector WHERE WindSectorGroupId = ?"), {groupId});
            for (const SectorRow& row : sectors) {
                std::vector<QVariant> values = {groupId, row.from, row.to, row.excluded};
                for (const QString& coefficient : row.coefficients) values.emplace_back(coefficient);
                context.exec(
                    QStringLiteral("INSERT INTO TWindSector (WindSectorGroupId, WindSectorAngleFrom, "
                                   "WindSectorAngleTo, WindSectorExcluded, WindSectorRunA, "
                                   "WindSectorRunB, WindSectorRunC, WindSectorRunD, WindSectorStopA, "
                                   "WindSectorStopB, WindSectorStopC, WindSectorStopD) VALUES "
                                   "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    values);
            }
        },
        &process);
    process.setRemaining(0);
    return {};
}

}  // namespace

void registerWindSectorProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("WMS_SP_CRQ_SelectWindSectorGroup"), {}, selectWindSectorGroups, true);
    registry.add(QStringLiteral("WMS_SP_CRQ_SelectWindSectors"), {}, selectWindSectors, true);
    std::vector<ProcedureParameter> parameters = {
        ProcedureParameter::input(QStringLiteral("@WindSectorGroupId"), FieldType::Integer),
        ProcedureParameter::optional(QStringLiteral("@WindSectorGroupTitle"), FieldType::String, {}),
        ProcedureParameter::optional(QStringLiteral("@WindSectorExcluded"), FieldType::String, QString()),
        ProcedureParameter::optional(QStringLiteral("@WindSectorAngleFrom"), FieldType::String, QString()),
        ProcedureParameter::optional(QStringLiteral("@WindSectorAngleTo"), FieldType::String, QString())};
    for (const char* column : kCoefficientColumns)
        parameters.push_back(ProcedureParameter::optional(
            QStringLiteral("@WindSector") + QLatin1String(column), FieldType::String, QString()));
    parameters.push_back(ProcedureParameter::input(QStringLiteral("@Action"), FieldType::Integer));
    parameters.push_back(ProcedureParameter::optional(QStringLiteral("@ProcessId"), FieldType::Integer, {}));
    registry.addStepwise(QStringLiteral("WMS_SP_CRQ_HandleWindSectorGroup"), std::move(parameters),
                         handleWindSectorGroup);
}

}  // namespace reportdb
