// Calling procedures: reading calls written as T-SQL text; text calls and
// stored-procedure commands map their arguments the same way, return result
// sets, output values and the return value, and fail with clear messages.

#include "ReportDbTestSupport.h"
#include "reportdb/CallParser.h"
#include "reportdb/ProcedureRegistry.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using db::FieldType;
using db::ParameterDirection;
using reportdb::Arguments;
using reportdb::CallArgument;
using reportdb::CallParse;
using reportdb::parseCallText;
using reportdb::ProcedureContext;
using reportdb::ProcedureParameter;
using reportdb::ProcedureResult;
using testing_support::TempDatabase;

namespace {

// TEST_SP_Echo: returns its arguments as one row, @Total = 2 * @Id,
// @Label = @Title + "!", and 7 as return value when @Id > 100.
std::shared_ptr<reportdb::ProcedureRegistry> echoRegistry() {
    auto registry = reportdb::standardRegistry();
    registry->add("TEST_SP_Echo",
                  {ProcedureParameter::input("@Id", FieldType::Integer),
                   ProcedureParameter::optional("@Title", FieldType::String, "none"),
                   ProcedureParameter::optional("@Factor", FieldType::Float, 1.5),
                   ProcedureParameter::optional("@Flag", FieldType::Boolean, false),
                   ProcedureParameter::optional("@When", FieldType::DateTime, {}),
                   ProcedureParameter::out("@Total", FieldType::Integer),
                   ProcedureParameter::out("@Label", FieldType::String)},
                  [](ProcedureContext&, const Arguments& args) {
                      ProcedureResult result;
                      db::ResultSet echo;
                      db::Row row;
                      for (const auto& [name, value] : args.all()) {
                          echo.columns.push_back({name, FieldType::Unknown, 0});
                          row.push_back(value);
                      }
                      echo.rows.push_back(row);
                      result.resultSets.push_back(echo);
                      if (!args.isNull("@Id")) result.outputs["@Total"] = args.toLongLong("@Id") * 2;
                      if (!args.isNull("@Title")) result.outputs["Label"] = args.toString("@Title") + "!";
                      result.returnValue = args.toLongLong("@Id") > 100 ? 7 : 0;
                      return result;
                  });
    return registry;
}

db::Parameter param(const QString& name, const QVariant& value,
                    ParameterDirection direction = ParameterDirection::Input) {
    return {name, FieldType::Unknown, 0, direction, value};
}

db::Result command(db::Connection& connection, const QString& name, db::Parameters parameters) {
    db::Command c;
    c.type = db::CommandType::StoredProcedure;
    c.text = name;
    c.parameters = std::move(parameters);
    return connection.execute(c);
}

// The echoed @Id.
QVariant firstValue(const db::Result& result) {
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return result.resultSets.empty() || result.resultSets[0].rows.empty() ? QVariant()
                                                                          : result.resultSets[0].rows[0][0];
}

}  // namespace

TEST(ProcedureCall, PositionalAndNamedArgumentsMapTheSameWay) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    // The echoed arguments @Id, @Title, @Factor, @Flag, @When, @Total, @Label.
    const struct {
        const char* text;
        const char* echo;
    } cases[] = {
        {"TEST_SP_Echo 5, 'abc', 2, 1, '2024-01-02 03:04:05'",
         "5|abc|2|true|2024-01-02T03:04:05.000|NULL|NULL"},
        {"exec test_sp_ECHO @When = '2024-01-02 03:04:05', @Flag = 'true', @Id = '5', @Factor = 2, @Title = "
         "abc",
         "5|abc|2|true|2024-01-02T03:04:05.000|NULL|NULL"},
        // Left-out parameters take their defaults; DEFAULT asks for one; NULL
        // is NULL; an output nobody passed starts as NULL.
        {"TEST_SP_Echo 1, DEFAULT, NULL", "1|none|NULL|false|NULL|NULL|NULL"},
        // An empty text is 0 for a number, as the server converts it.
        {"TEST_SP_Echo ''", "0|none|1.5|false|NULL|NULL|NULL"},
    };
    for (const auto& c : cases) {
        const db::Result result = run(*connection, c.text);
        ASSERT_EQ(result.resultSets.size(), 1u) << c.text << ": " << result.error.toStdString();
        EXPECT_EQ(lines(result.resultSets[0]), QStringList{c.echo}) << c.text;
    }
    // Each argument takes its parameter's type.
    const db::Row row = run(*connection, cases[0].text).resultSets.at(0).rows.at(0);
    std::vector<int> types;
    for (size_t i = 0; i < 5; ++i) types.push_back(row[i].typeId());
    EXPECT_EQ(types, (std::vector<int>{QMetaType::LongLong, QMetaType::QString, QMetaType::Double,
                                       QMetaType::Bool, QMetaType::QDateTime}));
}

TEST(ProcedureCall, IntegerArgumentsAreThirtyTwoBitsAndLoseTheirFraction) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    // @Id as written in a text call: the value it takes, or the error.
    const QString overflow = "Arithmetic overflow error converting expression to data type int.";
    const std::pair<const char*, QVariant> cases[] = {
        {"2147483647", qlonglong(2147483647)},
        {"-2147483648", -2147483648LL},
        {"2.7", qlonglong(2)},
        {"-2.7", qlonglong(-2)},
        {"-0.5", qlonglong(0)},
        {"1e3", qlonglong(1000)},
        {"'+12'", qlonglong(12)},
        {"2147483647.5", qlonglong(2147483647)},
        {"2147483648", overflow},
        {"4294967298", overflow},
        {"-2147483649", overflow},
        {"2147483648.0", overflow},
        {"1e300", overflow},
        {"99999999999999999999", overflow},
        {"'4294967298'", "overflowed an int column"},
        {"'99999999999999999999'", "overflowed an int column"},
        {"'2.5'", "Error converting the value '2.5' to data type int."}};
    for (const auto& [argument, expected] : cases) {
        SCOPED_TRACE(argument);
        const db::Result result = run(*connection, QStringLiteral("TEST_SP_Echo @Id = %1").arg(argument));
        if (expected.typeId() == QMetaType::LongLong)
            EXPECT_EQ(firstValue(result), expected);
        else
            EXPECT_TRUE(result.error.contains(expected.toString())) << result.error.toStdString();
    }

    // The same rule for the values of a stored-procedure command.
    const std::pair<QVariant, QVariant> values[] = {
        {qlonglong(4294967298), {}}, {2.7, qlonglong(2)},       {-1e300, {}},
        {QString("4294967298"), {}}, {qulonglong(1) << 63, {}}, {true, qlonglong(1)}};
    for (const auto& [value, expected] : values) {
        SCOPED_TRACE(value.toString().toStdString());
        const db::Result result = command(*connection, "TEST_SP_Echo", {param("@Id", value)});
        if (expected.isValid())
            EXPECT_EQ(firstValue(result), expected);
        else
            EXPECT_TRUE(result.error.contains("overflow")) << result.error.toStdString();
    }
}

TEST(ProcedureCall, TextCallsFillOutputPlaceholdersAndTheReturnValue) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // ":Name OUTPUT" binds to the command parameter of that name, with or without "@".
    db::Command command;
    command.text = "TEST_SP_Echo 150, 'x', @Total = :Total OUTPUT, @Label = @Label OUTPUT";
    command.parameters = {param("@ReturnValue", {}, ParameterDirection::ReturnValue),
                          param("Total", {}, ParameterDirection::Output),
                          param("@Label", {}, ParameterDirection::Output)};
    const auto values = [&command] {
        QStringList out;
        for (const db::Parameter& p : command.parameters) out << p.value.toString();
        return out;
    };
    db::Result result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(values(), (QStringList{"7", "300", "x!"}));
    EXPECT_EQ(result.resultSets.size(), 1u);

    // Input variables pass the parameter's value; "EXEC @rc =" takes the return value.
    command.text = "EXEC :rc = TEST_SP_Echo @Id = :Id, @Title = :Id, @Total = :Total OUTPUT";
    command.parameters = {param("Id", 101), param("rc", {}, ParameterDirection::Output),
                          param("Total", 1, ParameterDirection::InputOutput)};
    result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(values(), (QStringList{"101", "7", "202"}));

    // An output the procedure leaves alone returns its input value.
    command.text = "TEST_SP_Echo NULL, NULL, @Label = :Label OUTPUT";
    command.parameters = {param("Label", "kept", ParameterDirection::InputOutput)};
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(values(), QStringList{"kept"});
}

TEST(ProcedureCall, StoredProcedureCommandsBindParametersByName) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = "test_sp_echo";
    command.parameters = {param("@ReturnValue", {}, ParameterDirection::ReturnValue), param("@Title", "t"),
                          param("@Id", "150"), param("@Label", "in", ParameterDirection::InputOutput),
                          param("@Total", 99, ParameterDirection::Output)};
    const db::Result result = connection->execute(command);
    ASSERT_EQ(result.resultSets.size(), 1u) << result.error.toStdString();
    // An input-output parameter passes its value in.
    EXPECT_EQ(lines(result.resultSets[0]), QStringList{"150|t|1.5|false|NULL|NULL|in"});
    // Inputs are left as they were.
    QStringList values;
    for (const db::Parameter& p : command.parameters) values << p.value.toString();
    EXPECT_EQ(values, (QStringList{"7", "t", "150", "t!", "300"}));
}

// A call that cannot be bound fails with the server's message, and the
// connection stays usable. (The parser's own messages are its tests'.)
TEST(ProcedureCall, CallsThatCannotBeBoundFailWithTheServersMessage) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    // Text calls, and stored-procedure commands with their parameters.
    const struct {
        const char* text;
        db::Parameters command;
        const char* error;
    } cases[] = {
        {"EXEC DCE_SP_NoSuch 1", {}, "Could not find stored procedure 'DCE_SP_NoSuch'."},
        {"DCE_SP_NoSuch 1, 'x", {}, "Could not find stored procedure 'DCE_SP_NoSuch'."},
        {"DCE_SP_NoSuch", {param("@Id", 1)}, "Could not find stored procedure 'DCE_SP_NoSuch'."},
        {"TEST_SP_Echo 'open", {}, "Unclosed quotation mark"},
        {"TEST_SP_Echo 1, 2, 3, 4, 5, 6, 7, 8",
         {},
         "Procedure or function TEST_SP_Echo has too many arguments specified."},
        {"TEST_SP_Echo @Id = 1, @Other = 2", {}, "@Other is not a parameter for procedure TEST_SP_Echo."},
        {"TEST_SP_Echo",
         {param("@Id", 1), param("@Other", 2)},
         "@Other is not a parameter for procedure TEST_SP_Echo."},
        {"TEST_SP_Echo 1, @Id = 2", {}, "specified more than once"},
        {"TEST_SP_Echo @Title = 'x'", {}, "expects parameter '@Id'"},
        {"TEST_SP_Echo DEFAULT", {}, "expects parameter '@Id'"},
        {"TEST_SP_Echo",
         {param("@Title", "x")},
         "Procedure or function 'TEST_SP_Echo' expects parameter '@Id', which was not supplied."},
        {"TEST_SP_Echo 'abc'", {}, "Error converting the value 'abc' to data type int."},
        {"TEST_SP_Echo", {param("@Id", "abc")}, "Error converting the value 'abc' to data type int."},
        {"TEST_SP_Echo 1, @When = 'yesterday'", {}, "Conversion failed"},
        {"TEST_SP_Echo 1, @Flag = 'maybe'", {}, "data type bit"},
        {"TEST_SP_Echo :Missing", {}, "Must declare the scalar variable \"@Missing\"."},
        {"TEST_SP_Echo :Id OUTPUT", {}, "not declared as an OUTPUT"},
        {"TEST_SP_Echo", {param("@Id", 1, ParameterDirection::Output)}, "not declared as an OUTPUT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const db::Result result = c.command.empty() ? run(*connection, c.text, {param("Id", 1)})
                                                    : command(*connection, c.text, c.command);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.error.contains(c.error)) << result.error.toStdString();
        EXPECT_TRUE(run(*connection, "TEST_SP_Echo 1").ok());
    }
}

namespace {

// A call as "rc=Name(arg | arg)": an argument is "@Name=" (when named)
// and its value: "i:17" (integer), "d:2.5" (floating), "s:text", NULL,
// DEFAULT, ":Variable" (with " OUT" when it is an output).
std::string render(const CallParse& parse) {
    QStringList arguments;
    for (const CallArgument& a : parse.call.arguments) {
        QString value;
        switch (a.kind) {
            case CallArgument::Kind::Null: value = "NULL"; break;
            case CallArgument::Kind::Default: value = "DEFAULT"; break;
            case CallArgument::Kind::Variable: value = ":" + a.variable + (a.output ? " OUT" : ""); break;
            case CallArgument::Kind::Literal:
                value = (a.value.typeId() == QMetaType::LongLong ? "i:"
                         : a.value.typeId() == QMetaType::Double ? "d:"
                                                                 : "s:") +
                        a.value.toString();
                break;
        }
        arguments << (a.name.isEmpty() ? value : a.name + "=" + value);
    }
    const QString rc = parse.call.returnVariable.isEmpty() ? QString() : parse.call.returnVariable + "=";
    return (rc + parse.call.name + "(" + arguments.join(" | ") + ")").toStdString();
}

}  // namespace

TEST(CallParser, ReadsNamesArgumentsAndPlaceholders) {
    const struct {
        const char* text;
        const char* call;
    } cases[] = {
        {"DCE_SP_SelectProfiles 17, 3", "DCE_SP_SelectProfiles(i:17 | i:3)"},
        {"exec dce_SP_selectParkUnitsWithProfileid 5,0,'WTG_MET_GRID'",
         "dce_SP_selectParkUnitsWithProfileid(i:5 | i:0 | s:WTG_MET_GRID)"},
        {"  EXECUTE [dbo].[DCE_SP_SelectUnitTypes] ;  ", "DCE_SP_SelectUnitTypes()"},
        {"-- leading comment\n/* block */ exec P -1, +2.5, .5, 1e3", "P(i:-1 | d:2.5 | d:0.5 | d:1000)"},
        // Numbers beyond 32 bits stay numbers (the parameter decides whether
        // they fit); beyond 64 bits they are floating.
        {"P 4294967298, 1e300, 99999999999999999999", "P(i:4294967298 | d:1e+300 | d:1e+20)"},
        {"DCE_SP_CreateNewReportProfile @ProfileName = 'O''Brien''s park', @ProfileDescription = "
         "N'Z\xc3\xbcrich ''north''', @UserId = 4 , @Note = '', @Old = NULL, @Rule = default",
         "DCE_SP_CreateNewReportProfile(@ProfileName=s:O'Brien's park | @ProfileDescription=s:Z\xc3\xbcrich "
         "'north' | @UserId=i:4 | @Note=s: | @Old=NULL | @Rule=DEFAULT)"},
        // A bare word is a text, as the server takes it; NULL in any case.
        {"P RTV2200, null, Nord, nUlL", "P(s:RTV2200 | NULL | s:Nord | NULL)"},
        // Texts keep commas, semicolons and comment marks.
        {"P 'a, b; -- c', N'x', @B = 'it''s'", "P(s:a, b; -- c | s:x | @B=s:it's)"},
        {"WMS_SP_UTL_CreateDataCalcProcess 3, 'x', :ProcessId OUTPUT",
         "WMS_SP_UTL_CreateDataCalcProcess(i:3 | s:x | :ProcessId OUT)"},
        {"EXEC @rc = P @A = @Input, @B = :Result out", "rc=P(@A=:Input | @B=:Result OUT)"},
        {"P @Pos output, 1", "P(:Pos OUT | i:1)"},
        // EXEC makes anything a call, even a SQL word.
        {"EXEC select", "select()"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CallParse parse = parseCallText(QString::fromUtf8(c.text));
        EXPECT_EQ(parse.kind, CallParse::Kind::Call) << parse.error.toStdString();
        EXPECT_EQ(render(parse), c.call);
    }
}

TEST(CallParser, SqlTextIsNotACall) {
    for (const char* sql :
         {"SELECT * FROM TReportProfile", "  select 1", "WITH x AS (SELECT 1) SELECT * FROM x",
          "INSERT INTO T VALUES (1)", "update T set a = 1", "DELETE FROM T", "-- c\nSELECT 1", "(SELECT 1)",
          "", "   ", "BEGIN", "PRAGMA user_version", "CREATE TABLE X (a)"}) {
        EXPECT_EQ(parseCallText(QString::fromUtf8(sql)).kind, CallParse::Kind::Sql) << sql;
    }
}

TEST(CallParser, MalformedCallsSayWhatIsWrong) {
    // Where the text names a position, it counts characters from 1.
    const struct {
        std::string text;
        const char* error;
    } cases[] = {{"P 'abc", "Unclosed quotation mark"},
                 {"P 1,", "ends too early"},
                 {"P 1,,2", "near ',2'"},
                 {"P 1 2", "near '2'"},
                 {"P @A = 1, 2", "Must pass parameter number 2"},
                 {"P @A = ", "ends too early"},
                 {"P 12abc", "near '12abc'"},
                 {"P 1; P 2", "near 'P 2'"},
                 {"EXEC", "procedure name"},
                 {"EXEC [P", "bracket"},
                 {"EXEC @rc P", "near 'P'"},
                 {"P @ = 1", "near"},
                 {"P @A = 5 OUTPUT", "OUTPUT option"},
                 {"EXEC []", "position 6"},
                 {"EXEC [dbo].[] 1", "position 12"},
                 {"EXEC dbo. 1", "position 11"},
                 {"P 1e999", "'1e999' at position 3 is out of the range"},
                 {"P 1, -2e400", "'-2e400' at position 6 is out of the range"},
                 {"P " + std::string(400, '9'), "out of the range"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CallParse parse = parseCallText(QString::fromStdString(c.text));
        EXPECT_EQ(parse.kind, CallParse::Kind::Malformed);
        EXPECT_TRUE(parse.error.contains(c.error)) << parse.error.toStdString();
    }

    // The name is known even when the arguments are not, so that an unknown
    // procedure is reported as such.
    const CallParse p = parseCallText("DCE_SP_Missing 'x");
    EXPECT_EQ(p.kind, CallParse::Kind::Malformed);
    EXPECT_EQ(p.call.name, "DCE_SP_Missing");
}
