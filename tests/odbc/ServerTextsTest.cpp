// What the server backend would send a SQL Server, checked without one: the
// session string's translation, the statements and bound parameters of the
// commands the windows send, and the messages made of diagnostic records.

#include "db/Parameters.h"
#include "db/odbc/ConnectionString.h"
#include "db/odbc/Diagnostics.h"
#include "db/odbc/Statement.h"

#include <gtest/gtest.h>

namespace {

using namespace db::odbc;
using db::FieldType;
using db::ParameterDirection;

TEST(ServerConnectionString, SessionStringsTranslateForFreeTds) {
    struct Case {
        const char* session;
        const char* odbc;  // empty: refused, with `error` in the message
        const char* server;
        const char* error;
    };
    const Case cases[] = {
        {"Provider=SQLOLEDB.1;Password='pa;ss';Persist Security Info=True;User ID=report;Initial "
         "Catalog=Skyloom;"
         "Data Source=db01\\REPORTS",
         "Driver={FreeTDS};Server=db01\\REPORTS;Database=Skyloom;UID=report;PWD={pa;ss};TDS_Version=7.4;"
         "ClientCharset=UTF-8",
         "db01\\REPORTS", ""},
        {"provider=sqloledb;data source=tcp:10.0.0.5,1499;initial catalog=Park Data;user id=sa;password=x}y",
         "Driver={FreeTDS};Server=10.0.0.5;Port=1499;Database={Park Data};UID=sa;PWD={x}}y};TDS_Version=7.4;"
         "ClientCharset=UTF-8",
         "10.0.0.5,1499", ""},
        {"Provider=SQLNCLI11;Server=(local);Database=R;UID=u;PWD=",
         "Driver={FreeTDS};Server=127.0.0.1;Database=R;UID=u;PWD=;TDS_Version=7.4;ClientCharset=UTF-8",
         "127.0.0.1", ""},
        {"Driver={FreeTDS};Server=host;Port=1433;UID=u;PWD=p;Database=D",
         "Driver={FreeTDS};Server=host;Port=1433;UID=u;PWD=p;Database=D", "host", ""},
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Skyloom;Data Source=db01", "", "",
         "SQL Server login"},
        {"Provider=SQLOLEDB.1;Data Source=db01;Trusted_Connection=Yes", "", "", "SQL Server login"},
        {"Provider=Oracle;Data Source=db01", "", "", "'Oracle' is not supported"},
        {"Provider=SQLOLEDB.1;Data Source=db01,70000", "", "", "no valid port"},
        {"Provider=SQLOLEDB.1;Data Source=db01;Connect Timeout=soon", "", "", "not a number of seconds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.session);
        ServerTarget target;
        QString error;
        const bool ok = toServerTarget(QString::fromUtf8(c.session), &target, &error);
        EXPECT_EQ(ok, *c.odbc != 0) << error.toStdString();
        if (ok) {
            EXPECT_EQ(target.odbc, QString::fromUtf8(c.odbc));
            EXPECT_EQ(target.server, QString::fromUtf8(c.server));
        } else {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
        }
    }
    ServerTarget target;
    ASSERT_TRUE(toServerTarget(QStringLiteral("Provider=SQLOLEDB.1;Data Source=h;Connect Timeout=5"), &target,
                               nullptr));
    EXPECT_EQ(target.loginTimeoutSeconds, 5);
    ASSERT_TRUE(toServerTarget(QStringLiteral("Provider=SQLOLEDB.1;Data Source=h"), &target, nullptr));
    EXPECT_EQ(target.loginTimeoutSeconds, 60);

    EXPECT_EQ(backendOf(QStringLiteral("Provider=Embedded;Data Source=/tmp/a.db")), Backend::Embedded);
    EXPECT_EQ(backendOf(QStringLiteral("Data Source=/tmp/a.db")), Backend::Embedded);
    EXPECT_EQ(backendOf(QStringLiteral("Provider=SQLOLEDB.1;Data Source=h")), Backend::Server);
    EXPECT_EQ(backendOf(QStringLiteral("DSN=Reports;UID=u")), Backend::Server);
}

TEST(ServerConnectionString, PasswordsAreMaskedWhereverTheyAppear) {
    const std::pair<const char*, const char*> cases[] = {
        {"Provider=SQLOLEDB.1;Password=secret;User ID=sa", "Provider=SQLOLEDB.1;Password=***;User ID=sa"},
        {"PWD={se;cr}}et};UID=sa", "PWD=***;UID=sa"},
        {"cannot open 'Data Source=h;password = \"a;b\"' now",
         "cannot open 'Data Source=h;password = ***' now"},
        {"User ID=pwdkeeper;Pwd='x''y'", "User ID=pwdkeeper;Pwd=***"},
        {"no secrets here", "no secrets here"},
    };
    for (const auto& [text, masked] : cases)
        EXPECT_EQ(maskPasswords(QString::fromUtf8(text)), QString::fromUtf8(masked));
}

db::Parameter param(const char* name, FieldType type, ParameterDirection direction, QVariant value = {}) {
    return {QString::fromLatin1(name), type, 0, direction, std::move(value)};
}

TEST(ServerStatements, WindowCommandsBecomeCallsWithBoundParameters) {
    using D = ParameterDirection;
    struct Expected {
        int source;
        D direction;
        bool named;
    };
    struct Case {
        db::CommandType type;
        const char* text;
        db::Parameters parameters;
        const char* statement;
        std::vector<Expected> bindings;
    };
    const auto procedure = db::CommandType::StoredProcedure;
    const auto text = db::CommandType::Text;
    const Case cases[] = {
        // The user administration's procedure command.
        {procedure,
         "WMS_SP_CRQ_AdminUser",
         {param("@ReturnValue", FieldType::Integer, D::ReturnValue),
          param("@Operation", FieldType::String, D::Input, "List"),
          param("@UserAdministratorId", FieldType::Integer, D::Input, 3),
          param("@ShowKorvaneUsers", FieldType::Boolean, D::Input, false)},
         "{? = call WMS_SP_CRQ_AdminUser(?, ?, ?)}",
         {{0, D::ReturnValue, false}, {1, D::Input, true}, {2, D::Input, true}, {3, D::Input, true}}},
        // The module access check with its output parameter.
        {procedure,
         "WMS_SP_CRQ_HasModuleAccess",
         {param("@ReturnValue", FieldType::Integer, D::ReturnValue),
          param("@ModuleId", FieldType::Integer, D::Input, 4),
          param("@HasAccess", FieldType::Integer, D::Output)},
         "{? = call WMS_SP_CRQ_HasModuleAccess(?, ?)}",
         {{0, D::ReturnValue, false}, {1, D::Input, true}, {2, D::Output, true}}},
        {procedure, "DCE_SP_GetPcTimeStampLimits", {}, "{call DCE_SP_GetPcTimeStampLimits}", {}},
        // The process protocol's placeholders.
        {text,
         "WMS_SP_UTL_CreateDataCalcProcess 'Add_Profile_Units', :ProcessId OUTPUT",
         {param("ProcessId", FieldType::Integer, D::Output)},
         "WMS_SP_UTL_CreateDataCalcProcess 'Add_Profile_Units', ? OUTPUT",
         {{0, D::Output, false}}},
        {text,
         "EXEC WMS_SP_UTL_GetDataCalcProcessStatus 12, :DataCalcProcessStatus OUTPUT",
         {param("DataCalcProcessStatus", FieldType::Integer, D::InputOutput)},
         "EXEC WMS_SP_UTL_GetDataCalcProcessStatus 12, ? OUTPUT",
         {{0, D::InputOutput, false}}},
        // Text calls with their values written in: sent as they stand, also
        // when a quoted title holds a marker or a colon.
        {text, "DCE_SP_SelectProfiles 5, 3", {}, "DCE_SP_SelectProfiles 5, 3", {}},
        {text,
         "DCE_SP_CreateNewReportProfile @ProfileName = 'Why? 10:00 [x] O''Neil', @ProfileLocked = 0 -- :not",
         {},
         "DCE_SP_CreateNewReportProfile @ProfileName = 'Why? 10:00 [x] O''Neil', @ProfileLocked = 0 -- :not",
         {}},
        // The batch update's positional markers.
        {text,
         "UPDATE \"TReportProfile\" SET \"Title\" = ? WHERE \"Id\" = ? AND \"Title\" = ?",
         {param("", FieldType::String, D::Input, "a"), param("", FieldType::Integer, D::Input, 1),
          param("", FieldType::String, D::Input, "b")},
         "UPDATE \"TReportProfile\" SET \"Title\" = ? WHERE \"Id\" = ? AND \"Title\" = ?",
         {{0, D::Input, false}, {1, D::Input, false}, {2, D::Input, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        db::Command command;
        command.type = c.type;
        command.text = QString::fromLatin1(c.text);
        command.parameters = c.parameters;
        Statement statement;
        QString error;
        ASSERT_TRUE(buildStatement(command, &statement, &error)) << error.toStdString();
        EXPECT_EQ(statement.text, QString::fromLatin1(c.statement));
        ASSERT_EQ(statement.bindings.size(), c.bindings.size());
        for (size_t i = 0; i < c.bindings.size(); ++i) {
            EXPECT_EQ(statement.bindings[i].source, c.bindings[i].source) << i;
            EXPECT_EQ(statement.bindings[i].parameter.direction, c.bindings[i].direction) << i;
            EXPECT_EQ(statement.bindings[i].named, c.bindings[i].named) << i;
        }
    }

    // For SQL Server, text literals go as national text.
    const std::pair<const char*, const char*> national[] = {
        {"DCE_SP_CreateNewReportProfile @ProfileName = 'O''Neil ☃', @ProfileLocked = 0",
         "DCE_SP_CreateNewReportProfile @ProfileName = N'O''Neil ☃', @ProfileLocked = 0"},
        {"SELECT * FROM T WHERE Title=N'x' AND [it's]='y' AND \"a'b\" IN('z')",
         "SELECT * FROM T WHERE Title=N'x' AND [it's]=N'y' AND \"a'b\" IN(N'z')"},
        {"WMS_SP_UTL_CreateDataCalcProcess 'Add', :ProcessId OUTPUT",
         "WMS_SP_UTL_CreateDataCalcProcess N'Add', ? OUTPUT"},
    };
    for (const auto& [text, sent] : national) {
        db::Command command;
        command.text = QString::fromUtf8(text);
        command.parameters = {param("ProcessId", FieldType::Integer, D::Output)};
        Statement statement;
        ASSERT_TRUE(buildStatement(command, &statement, nullptr, true));
        EXPECT_EQ(statement.text, QString::fromUtf8(sent));
    }

    const std::pair<db::Command, const char*> refused[] = {
        {{db::CommandType::Text, QStringLiteral("EXEC P :Missing OUTPUT"), {}, 0}, "@Missing"},
        {{db::CommandType::Text,
          QStringLiteral("SELECT ? + ?"),
          {param("", FieldType::Integer, D::Input, 1)},
          0},
         "2 parameter markers but 1"},
        {{db::CommandType::StoredProcedure,
          QStringLiteral("P"),
          {param("@A", FieldType::Integer, D::Input, 1),
           param("@ReturnValue", FieldType::Integer, D::ReturnValue)},
          0},
         "first parameter"},
    };
    for (const auto& [command, reason] : refused) {
        Statement statement;
        QString error;
        EXPECT_FALSE(buildStatement(command, &statement, &error));
        EXPECT_TRUE(error.contains(QLatin1String(reason))) << error.toStdString();
    }
}

TEST(ServerDiagnostics, RecordsBecomeTheServersTextWithItsNumber) {
    struct Case {
        std::vector<DiagRecord> records;
        const char* message;
    };
    const Case cases[] = {
        // RAISERROR of a procedure after its PRINT.
        {{{"01000", 0, "[FreeTDS][SQL Server]Checking profile 7"},
          {"42000", 50000, "[FreeTDS][SQL Server]The profile is locked"}},
         "The profile is locked (error 50000)"},
        {{{"42000", 2812, "[FreeTDS][SQL Server]Could not find stored procedure 'X'."},
          {"42000", 2812, "[FreeTDS][SQL Server]Could not find stored procedure 'X'."},
          {"HY000", 0, "[unixODBC][Driver Manager]General error"}},
         "Could not find stored procedure 'X'. (error 2812)\nGeneral error (HY000)"},
        {{{"01000", 0, "[FreeTDS][SQL Server]Only a PRINT"}}, "Only a PRINT (01000)"},
        {{{"HY008", 0, "[FreeTDS][SQL Server]Operation canceled"}}, "interrupted"},
        {{}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(messageOf(c.records), QString::fromUtf8(c.message));
}

}  // namespace
