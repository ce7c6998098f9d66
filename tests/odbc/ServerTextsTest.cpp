// What the server backend would send a SQL Server, checked without one: the
// session string's translation, the statements and bound parameters of the
// commands the windows send, and the messages made of diagnostic records.

#include "db/Connection.h"
#include "db/odbc/ConnectionString.h"
#include "db/odbc/Diagnostics.h"
#include "db/odbc/Statement.h"

#include <gtest/gtest.h>

namespace {

using namespace db::odbc;
using D = db::ParameterDirection;
using T = db::FieldType;

TEST(ServerConnectionString, SessionStringsTranslateForFreeTdsOrAreRefused) {
    const QString tail = QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    const std::pair<const char*, QString> cases[] = {
        // session -> ODBC string or the refusal's words
        {"Provider=SQLOLEDB.1;Password='pa;ss';Persist Security Info=True;User ID=report;Initial Catalog=Sky;"
         "Data Source=db01\\REPORTS",
         "Driver={FreeTDS};Server=db01\\REPORTS;Database=Sky;UID=report;PWD={pa;ss}" + tail},
        {"provider=sqloledb;data source=tcp:10.0.0.5,1499;initial catalog=Park Data;user id=sa;password=x}y",
         "Driver={FreeTDS};Server=10.0.0.5;Port=1499;Database={Park Data};UID=sa;PWD={x}}y}" + tail},
        {"Provider=MSOLEDBSQL;Data Source=db02;User ID=u;Encrypt=Mandatory",
         "Driver={FreeTDS};Server=db02;UID=u;Encryption=require" + tail},
        {"Provider=SQLNCLI11;Server=(local);Database=R;UID=u;PWD=",
         "Driver={FreeTDS};Server=127.0.0.1;Database=R;UID=u;PWD=" + tail},
        {"Driver={FreeTDS};Server=host;UID=u;PWD=p", "Driver={FreeTDS};Server=host;UID=u;PWD=p"},
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Sky;Data Source=db01",
         "SQL Server login"},
        {"Provider=SQLOLEDB.1;Data Source=db01;Trusted_Connection=Yes", "SQL Server login"},
        {"Provider=Oracle;Data Source=db01", "'Oracle' is not supported"},
        {"Provider=SQLOLEDB.1;Data Source=db01,70000", "no valid port"},
        {"Provider=SQLOLEDB.1;User ID=sa", "names no database server"},
        {"Provider=SQLOLEDB.1;Data Source=db01;Connect Timeout=soon", "not a number of seconds"},
    };
    for (const auto& [session, expected] : cases) {
        ServerTarget target;
        QString error;
        if (toServerTarget(QString::fromUtf8(session), &target, &error))
            EXPECT_EQ(target.odbc, expected) << session;
        else
            EXPECT_TRUE(error.contains(expected)) << session << ": " << error.toStdString();
    }
    ServerTarget target;
    ASSERT_TRUE(toServerTarget("Provider=SQLOLEDB.1;Data Source=h,1433;Connect Timeout=5", &target, nullptr));
    EXPECT_EQ(target.loginTimeoutSeconds, 5);
    EXPECT_EQ(target.server, QStringLiteral("h,1433"));

    EXPECT_EQ(backendOf("Provider=Embedded;Data Source=/tmp/a.db"), Backend::Embedded);
    EXPECT_EQ(backendOf("Data Source=/tmp/a.db"), Backend::Embedded);
    EXPECT_EQ(backendOf("Provider=SQLOLEDB.1;Data Source=h"), Backend::Server);
    EXPECT_EQ(backendOf("DSN=Reports;UID=u"), Backend::Server);
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
    for (const auto& [text, masked] : cases) EXPECT_EQ(db::maskPasswords(QString::fromUtf8(text)), masked);
}

db::Parameter p(const char* name, T type, D direction, QVariant value = {}) {
    return {QString::fromLatin1(name), type, 0, direction, std::move(value)};
}

// "source+direction(+*: by name)" of every binding, e.g. "0R 1I* 2O*".
QString bindingsOf(const Statement& statement) {
    QStringList out;
    for (const Binding& b : statement.bindings)
        out << QString::number(b.source) + QStringLiteral("IOBR")[int(b.parameter.direction)] +
                   (b.named ? QStringLiteral("*") : QString());
    return out.join(u' ');
}

TEST(ServerStatements, WindowCommandsBecomeCallsWithBoundParameters) {
    const auto call = db::CommandType::StoredProcedure;
    const auto text = db::CommandType::Text;
    const db::Parameter returned = p("@ReturnValue", T::Integer, D::ReturnValue);
    const struct {
        db::Command command;
        bool national;
        const char* statement;
        const char* bindings;
    } cases[] = {
        // clang-format off
        // Procedure commands: the user administration, the module access check.
        {{call, "WMS_SP_CRQ_AdminUser", {returned, p("@Operation", T::String, D::Input, "List"),
                                         p("@ShowKorvaneUsers", T::Boolean, D::Input, 0)}},
         false, "{? = call WMS_SP_CRQ_AdminUser(?, ?)}", "0R 1I* 2I*"},
        {{call, "WMS_SP_CRQ_HasModuleAccess", {returned, p("@ModuleId", T::Integer, D::Input, 4),
                                               p("@HasAccess", T::Integer, D::Output)}},
         false, "{? = call WMS_SP_CRQ_HasModuleAccess(?, ?)}", "0R 1I* 2O*"},
        {{call, "DCE_SP_GetPcTimeStampLimits", {}}, false, "{call DCE_SP_GetPcTimeStampLimits}", ""},
        // The process protocol's placeholders.
        {{text, "WMS_SP_UTL_CreateDataCalcProcess 'Add_Units', :ProcessId OUTPUT", {p("ProcessId", T::Integer, D::Output)}},
         false, "WMS_SP_UTL_CreateDataCalcProcess 'Add_Units', ? OUTPUT", "0O"},
        {{text, "EXEC WMS_SP_UTL_GetDataCalcProcessStatus 12, :DataCalcProcessStatus OUTPUT",
          {p("DataCalcProcessStatus", T::Integer, D::InputOutput)}},
         true, "EXEC WMS_SP_UTL_GetDataCalcProcessStatus 12, ? OUTPUT", "0B"},
        // Values written into the text stay as they are, also a quoted
        // marker or colon; for SQL Server text literals go as N'...'.
        {{text, "DCE_SP_CreateNewReportProfile @ProfileName = 'Why? 10:00 O''Neil', @ProfileLocked = 0 -- :x", {}},
         false, "DCE_SP_CreateNewReportProfile @ProfileName = 'Why? 10:00 O''Neil', @ProfileLocked = 0 -- :x", ""},
        {{text, "SELECT * FROM T WHERE A=N'x' AND [it's]='y' AND \"a'b\" IN('z☃')", {}},
         true, "SELECT * FROM T WHERE A=N'x' AND [it's]=N'y' AND \"a'b\" IN(N'z☃')", ""},
        // The batch update's positional markers.
        {{text, "UPDATE \"T\" SET \"A\" = ? WHERE \"Id\" = ?", {p("", T::String, D::Input, "a"), p("", T::Integer, D::Input, 1)}},
         true, "UPDATE \"T\" SET \"A\" = ? WHERE \"Id\" = ?", "0I 1I"},
        // clang-format on
    };
    for (const auto& c : cases) {
        Statement statement;
        QString error;
        ASSERT_TRUE(buildStatement(c.command, &statement, &error, c.national)) << error.toStdString();
        EXPECT_EQ(statement.text, QString::fromUtf8(c.statement));
        EXPECT_EQ(bindingsOf(statement), QLatin1String(c.bindings)) << c.statement;
    }

    const std::pair<db::Command, const char*> refused[] = {
        {{text, "EXEC P :Missing OUTPUT", {}}, "@Missing"},
        {{text, "SELECT ? + ?", {p("", T::Integer, D::Input, 1)}}, "2 parameter markers but 1"},
    };
    for (const auto& [command, reason] : refused) {
        Statement statement;
        QString error;
        EXPECT_FALSE(buildStatement(command, &statement, &error));
        EXPECT_TRUE(error.contains(QLatin1String(reason))) << error.toStdString();
    }
}

TEST(ServerDiagnostics, RecordsBecomeTheServersTextWithItsNumber) {
    const std::pair<std::vector<DiagRecord>, const char*> cases[] = {
        // RAISERROR of a procedure after its PRINT.
        {{{"01000", 0, "[FreeTDS][SQL Server]Checking 7"}, {"42000", 50000, "[FreeTDS][SQL Server]Locked"}},
         "Locked (error 50000)"},
        {{{"42000", 2812, "[FreeTDS][SQL Server]No procedure 'X'."},
          {"42000", 2812, "[FreeTDS][SQL Server]No procedure 'X'."},
          {"HY000", 0, "[unixODBC][Driver Manager]General error"}},
         "No procedure 'X'. (error 2812)\nGeneral error (HY000)"},
        {{{"01000", 0, "[FreeTDS][SQL Server]Only a PRINT"}}, "Only a PRINT (01000)"},
        {{{"HY008", 0, "[FreeTDS][SQL Server]Operation canceled"}}, "interrupted"},
    };
    for (const auto& [records, message] : cases) EXPECT_EQ(messageOf(records), QString::fromUtf8(message));
}

}  // namespace
