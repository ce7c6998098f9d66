// Calling procedures: text calls and stored-procedure commands map their
// arguments the same way, return result sets, output values and the return
// value, and fail with clear messages.

#include "ReportDbTestSupport.h"
#include "reportdb/ProcedureRegistry.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using db::FieldType;
using db::ParameterDirection;
using reportdb::Arguments;
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
