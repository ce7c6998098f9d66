#pragma once
// Shared by the reporting database tests: calling procedures as the windows
// do (a stored-procedure command whose first parameter is "@ReturnValue"),
// reading rows back as text, the demo these tests share, a small park to
// build on, and holding a connection at rows it writes.

#include "db/Connection.h"
#include "reportdb/EmbeddedConnection.h"
#include "support/Gate.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <ostream>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& value, std::ostream* out) { *out << '"' << value.toStdString() << '"'; }

namespace reportdb_tests {

inline db::Parameter integer(const char* name, const QVariant& value) {
    return {QString::fromLatin1(name), db::FieldType::Integer, 0, db::ParameterDirection::Input, value};
}

inline db::Parameter text(const char* name, const QVariant& value) {
    return {QString::fromLatin1(name), db::FieldType::String, 8000, db::ParameterDirection::Input, value};
}

inline db::Parameter output(const char* name,
                            db::ParameterDirection direction = db::ParameterDirection::Output,
                            const QVariant& value = {}) {
    return {QString::fromLatin1(name), db::FieldType::Integer, 0, direction, value};
}

struct Call {
    db::Result result;
    db::Command command;

    int returnValue() const { return command.parameters.front().value.toInt(); }
    const db::ResultSet& set(size_t index) const { return result.resultSets.at(index); }
};

inline Call call(db::Connection& connection, const QString& procedure, db::Parameters parameters) {
    Call out;
    out.command.type = db::CommandType::StoredProcedure;
    out.command.text = procedure;
    out.command.parameters.push_back(
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}});
    for (db::Parameter& p : parameters) out.command.parameters.push_back(std::move(p));
    out.result = connection.execute(out.command);
    EXPECT_TRUE(out.result.ok()) << procedure.toStdString() << ": " << out.result.error.toStdString();
    return out;
}

// A text (SQL or a call text) as it is; the caller judges the result.
inline db::Result run(db::Connection& connection, const QString& text, db::Parameters parameters = {},
                      int timeoutSeconds = 0) {
    db::Command command;
    command.text = text;
    command.parameters = std::move(parameters);
    command.timeoutSeconds = timeoutSeconds;
    return connection.execute(command);
}

inline db::ResultSet query(db::Connection& connection, const QString& sql) {
    const db::Result result = run(connection, sql);
    EXPECT_TRUE(result.ok()) << result.error.toStdString() << "\n" << sql.toStdString();
    return result.resultSets.empty() ? db::ResultSet{} : result.resultSets[0];
}

inline QVariant scalar(db::Connection& connection, const QString& sql) {
    const db::ResultSet rows = query(connection, sql);
    return rows.rows.empty() ? QVariant() : rows.rows[0].at(0);
}

// The rows of a result set as "a|b|c" lines (NULL for null values).
inline QStringList lines(const db::ResultSet& rows) {
    QStringList out;
    for (const db::Row& row : rows.rows) {
        QStringList cells;
        for (const QVariant& cell : row) cells << (cell.isNull() ? QStringLiteral("NULL") : cell.toString());
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

inline QStringList lines(db::Connection& connection, const QString& sql) {
    return lines(query(connection, sql));
}

inline QStringList columnNames(const db::ResultSet& rows) {
    QStringList out;
    for (const db::Column& column : rows.columns) out << column.name;
    return out;
}

// The content of tables, to see that a refused call changed nothing.
inline QString snapshot(db::Connection& connection, const QStringList& tables) {
    QString out;
    for (const QString& table : tables)
        out += table + QLatin1Char('\n') +
               lines(connection, QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table))
                   .join(QLatin1Char('\n')) +
               QLatin1Char('\n');
    return out;
}

// A data calculation process for a step of `name`; returns its id.
inline int createProcess(db::Connection& connection, const QString& name) {
    db::Command command;
    command.text = QStringLiteral("WMS_SP_UTL_CreateDataCalcProcess '%1', :ProcessId OUTPUT").arg(name);
    command.parameters = {output("ProcessId")};
    const db::Result result = connection.execute(command);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return command.parameters[0].value.toInt();
}

// The process's remaining work as the progress dialog reads it: the output
// value, NULL when unknown.
inline QVariant processStatus(db::Connection& connection, int id) {
    db::Command command;
    command.text =
        QStringLiteral("EXEC WMS_SP_UTL_GetDataCalcProcessStatus %1, :DataCalcProcessStatus OUTPUT").arg(id);
    command.parameters = {output("DataCalcProcessStatus", db::ParameterDirection::InputOutput)};
    const db::Result result = connection.execute(command);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return command.parameters[0].value;
}

// The version the database reports to procedure calls from now on.
inline void setVersion(db::Connection& connection, const QString& versionText) {
    query(connection, QStringLiteral("UPDATE TDatabaseVersion SET VersionText = '%1'").arg(versionText));
}

// The demo these tests share: four turbines, three met masts and a grid
// point; raw data from 2024-11-01 to 2024-12-31. Its profiles: 1 the whole
// park (eight units), 4 used by an export job, 6 without units or shadow
// data start.
inline testing_support::DemoContent sharedDemo() { return testing_support::DemoContent::small(4, 61); }
constexpr int kWholePark = 1;
constexpr int kExported = 4;
constexpr int kNewProfile = 6;
constexpr int kParkUnits = 8;

// Holds the statements of `connection` at rows they write: each of
// `triggers` is a temporary trigger's condition ("AFTER INSERT ON
// main.TShadowData WHEN ...") whose every firing passes the next point of
// `gate` (0, 1, ...). Other connections do not see the triggers.
inline void holdWrites(db::Connection& connection, testing_support::Gate& gate, const QStringList& triggers) {
    struct Hold {
        testing_support::Gate* gate;
        std::atomic<int> next{0};
    };
    sqlite3* handle = dynamic_cast<reportdb::EmbeddedConnection&>(connection).handle();
    const auto pass = [](sqlite3_context* context, int, sqlite3_value**) {
        auto* hold = static_cast<Hold*>(sqlite3_user_data(context));
        hold->gate->pass(hold->next++);
    };
    ASSERT_EQ(sqlite3_create_function_v2(handle, "test_hold", 0, SQLITE_UTF8, new Hold{&gate}, pass, nullptr,
                                         nullptr, [](void* hold) { delete static_cast<Hold*>(hold); }),
              SQLITE_OK);
    for (qsizetype i = 0; i < triggers.size(); ++i) {
        const db::Result created =
            run(connection, QStringLiteral("CREATE TEMP TRIGGER TestHold%1 %2 BEGIN SELECT test_hold(); END")
                                .arg(i)
                                .arg(triggers[i]));
        ASSERT_TRUE(created.ok()) << created.error.toStdString();
    }
}

// A small park: two turbine types that report from the same event list, a
// met mast type with a list of its own and a grid meter without one; two
// users. Event code 20 of the turbine list names two responsible sources.
inline void addSmallPark(db::Connection& connection) {
    for (const char* sql : {
             "INSERT INTO TUser (UserId, UserInitials) VALUES (1, 'ADM'), (2, 'JDO')",
             "INSERT INTO TEventList VALUES (1, 'Turbine list', 'T.evl'), (2, 'Mast list', 'M.evl'), "
             "(3, 'Spare list', NULL)",
             "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, EventListId) VALUES "
             "(1, 'T-A', 'WTG', 1), (2, 'T-B', 'WTG', 1), (3, 'Mast', 'MET', 2), (4, 'Meter', 'GRID', NULL)",
             "INSERT INTO TParkUnit (ParkUnitId, ParkUnitTitle, UnitTypeId) VALUES (1, 'A1', 1), (2, 'A2', "
             "1), (3, 'B1', 2), (4, 'M1', 3), (5, 'G1', 4)",
             "INSERT INTO TResponsibleSource VALUES (1, 1, 'Grid operator'), (2, 2, 'Owner')",
             "INSERT INTO TEventCode (EventCodeId, EventListId, EventCodeNumber, EventCodeTitle) VALUES "
             "(1, 1, 0, 'System OK'), (2, 1, 20, 'Grid loss'), (3, 1, 10, 'Pitch fault'), "
             "(4, 2, 0, 'System OK'), (5, 2, 5, 'Sensor fault')",
             "INSERT INTO TEventCode_TResponsibleSource VALUES (2, 2), (2, 1)",
         })
        query(connection, QString::fromLatin1(sql));
}

// A new profile of user 1 through the procedure; returns its id.
inline int createProfile(db::Connection& connection, const QString& title) {
    Call created = call(connection, QStringLiteral("DCE_SP_CreateNewReportProfile"),
                        {text("@ProfileName", title), integer("@ProfileLocked", 0),
                         integer("@ReportProfileJobScheduleEnabled", 0),
                         text("@ProfileDescription", QString()), integer("@UserId", 1)});
    EXPECT_EQ(created.returnValue(), 0);
    return scalar(connection, QStringLiteral("SELECT max(ReportProfileId) FROM TReportProfile")).toInt();
}

inline void addUnits(db::Connection& connection, int profileId, const QList<int>& units) {
    for (int unit : units)
        query(connection, QStringLiteral("INSERT INTO TParkUnit_TReportProfile (ParkUnitId, ReportProfileId) "
                                         "VALUES (%1, %2)")
                              .arg(unit)
                              .arg(profileId));
}

}  // namespace reportdb_tests
