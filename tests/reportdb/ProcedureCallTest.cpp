// Calling procedures: text calls and stored-procedure commands map their
// arguments the same way, return result sets, output values and the return
// value, and fail with clear messages.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

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

db::Result runText(db::Connection& connection, const QString& text, db::Parameters parameters = {}) {
    db::Command command;
    command.text = text;
    command.parameters = std::move(parameters);
    return connection.execute(command);
}

db::Parameter param(const QString& name, const QVariant& value,
                    ParameterDirection direction = ParameterDirection::Input) {
    db::Parameter p;
    p.name = name;
    p.value = value;
    p.direction = direction;
    return p;
}

db::Row echoRow(const db::Result& result) {
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    if (result.resultSets.size() != 1 || result.resultSets[0].rows.size() != 1) return {};
    return result.resultSets[0].rows[0];
}

// The echoed @Id.
QVariant firstValue(const db::Result& result) {
    const db::Row row = echoRow(result);
    return row.empty() ? QVariant() : row[0];
}

}  // namespace

TEST(ProcedureCall, PositionalAndNamedArgumentsMapTheSameWay) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    const db::Row positional =
        echoRow(runText(*connection, "TEST_SP_Echo 5, 'abc', 2, 1, '2024-01-02 03:04:05'"));
    const db::Row named = echoRow(
        runText(*connection,
                "exec test_sp_ECHO @When = '2024-01-02 03:04:05', @Flag = 'true', @Id = '5', @Factor = 2, "
                "@Title = abc"));
    ASSERT_EQ(positional.size(), 7u);
    EXPECT_EQ(positional, named);
    EXPECT_EQ(positional[0], QVariant(qlonglong(5)));
    EXPECT_EQ(positional[1], QVariant(QString("abc")));
    EXPECT_EQ(positional[2], QVariant(2.0));
    EXPECT_EQ(positional[3], QVariant(true));
    EXPECT_EQ(positional[4], QVariant(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))));

    // Left-out parameters take their defaults; DEFAULT asks for one; NULL is NULL.
    const db::Row defaults = echoRow(runText(*connection, "TEST_SP_Echo 1, DEFAULT, NULL"));
    ASSERT_EQ(defaults.size(), 7u);
    EXPECT_EQ(defaults[1], QVariant(QString("none")));
    EXPECT_TRUE(defaults[2].isNull());
    EXPECT_EQ(defaults[3], QVariant(false));
    EXPECT_TRUE(defaults[4].isNull());
    EXPECT_TRUE(defaults[5].isNull());  // an output nobody passed starts as NULL
    // An empty text is 0 for a number, as the server converts it.
    EXPECT_EQ(echoRow(runText(*connection, "TEST_SP_Echo ''")).at(0), QVariant(qlonglong(0)));
}

TEST(ProcedureCall, IntegerArgumentsAreThirtyTwoBitsAndLoseTheirFraction) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const QString overflow = "Arithmetic overflow error converting expression to data type int.";
    const QString textOverflow = "overflowed an int column";

    // @Id as written in a text call: the value it takes, or the error.
    const struct {
        const char* argument;
        qlonglong value;
        QString error;
    } cases[] = {
        {"2147483647", 2147483647, {}},
        {"-2147483648", -2147483648LL, {}},
        {"2.7", 2, {}},
        {"-2.7", -2, {}},
        {"-0.5", 0, {}},
        {"1e3", 1000, {}},
        {"'+12'", 12, {}},
        {"2147483648", 0, overflow},
        {"4294967298", 0, overflow},  // not profile 2
        {"-2147483649", 0, overflow},
        {"2147483647.5", 2147483647, {}},
        {"2147483648.0", 0, overflow},
        {"1e300", 0, overflow},
        {"99999999999999999999", 0, overflow},
        {"'4294967298'", 0, textOverflow},
        {"'99999999999999999999'", 0, textOverflow},
        {"'2.5'", 0, "Error converting the value '2.5' to data type int."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        const db::Result result =
            runText(*connection, QStringLiteral("TEST_SP_Echo @Id = %1").arg(c.argument));
        if (c.error.isEmpty()) {
            EXPECT_EQ(firstValue(result), QVariant(c.value));
        } else {
            EXPECT_FALSE(result.ok());
            EXPECT_TRUE(result.error.contains(c.error)) << result.error.toStdString();
        }
    }

    // The same rule for the values of a stored-procedure command.
    const struct {
        QVariant value;
        qlonglong expected;
        bool fits;
    } values[] = {
        {qlonglong(4294967298), 0, false},
        {2.7, 2, true},
        {-1e300, 0, false},
        {QString("4294967298"), 0, false},
        {qulonglong(1) << 63, 0, false},
        {true, 1, true},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.value.toString().toStdString());
        db::Command command;
        command.type = db::CommandType::StoredProcedure;
        command.text = "TEST_SP_Echo";
        command.parameters = {param("@Id", v.value)};
        const db::Result result = connection->execute(command);
        if (v.fits)
            EXPECT_EQ(firstValue(result), QVariant(v.expected));
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
    db::Result result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(command.parameters[0].value.toInt(), 7);
    EXPECT_EQ(command.parameters[1].value.toLongLong(), 300);
    EXPECT_EQ(command.parameters[2].value.toString(), "x!");
    EXPECT_EQ(result.resultSets.size(), 1u);

    // Input variables pass the parameter's value; "EXEC @rc =" takes the return value.
    command.text = "EXEC :rc = TEST_SP_Echo @Id = :Id, @Title = :Id, @Total = :Total OUTPUT";
    command.parameters = {param("Id", 101), param("rc", {}, ParameterDirection::Output),
                          param("Total", 1, ParameterDirection::InputOutput)};
    result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(command.parameters[1].value.toInt(), 7);
    EXPECT_EQ(command.parameters[2].value.toLongLong(), 202);

    // An output the procedure leaves alone returns its input value.
    command.text = "TEST_SP_Echo NULL, NULL, @Label = :Label OUTPUT";
    command.parameters = {param("Label", "kept", ParameterDirection::InputOutput)};
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(command.parameters[0].value.toString(), "kept");
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
    db::Result result = connection->execute(command);
    const db::Row row = echoRow(result);
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(row[0], QVariant(qlonglong(150)));
    EXPECT_EQ(row[6], QVariant(QString("in")));  // input-output passes its value in
    EXPECT_EQ(command.parameters[0].value.toInt(), 7);
    EXPECT_EQ(command.parameters[3].value.toString(), "t!");
    EXPECT_EQ(command.parameters[4].value.toLongLong(), 300);
    EXPECT_EQ(command.parameters[1].value.toString(), "t");  // inputs are left as they were

    auto failure = [&](db::Parameters parameters, const QString& name = "TEST_SP_Echo") {
        db::Command c;
        c.type = db::CommandType::StoredProcedure;
        c.text = name;
        c.parameters = std::move(parameters);
        db::Result r = connection->execute(c);
        EXPECT_FALSE(r.ok());
        return r.error;
    };
    EXPECT_EQ(failure({param("@Id", 1), param("@Nope", 2)}),
              "@Nope is not a parameter for procedure TEST_SP_Echo.");
    EXPECT_EQ(failure({param("@Title", "x")}),
              "Procedure or function 'TEST_SP_Echo' expects parameter '@Id', which was not supplied.");
    EXPECT_TRUE(failure({param("@Id", 1, ParameterDirection::Output)}).contains("not declared as an OUTPUT"));
    EXPECT_EQ(failure({}, "DCE_SP_NoSuchProcedure"),
              "Could not find stored procedure 'DCE_SP_NoSuchProcedure'.");
    EXPECT_TRUE(
        failure({param("@Id", "abc")}).startsWith("Error converting the value 'abc' to data type int."));
}

// A call that cannot be bound fails with the server's message, and the
// connection stays usable. (The parser's own messages are its tests'.)
TEST(ProcedureCall, CallsThatCannotBeBoundFailWithTheServersMessage) {
    TempDatabase database("3.28.0.0", echoRegistry());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const struct {
        const char* text;
        QString error;
        bool exact;
    } cases[] = {
        {"EXEC DCE_SP_NoSuch 1", "Could not find stored procedure 'DCE_SP_NoSuch'.", true},
        {"DCE_SP_NoSuch 1, 'x", "Could not find stored procedure 'DCE_SP_NoSuch'.", true},
        {"TEST_SP_Echo 'open", "Unclosed quotation mark", false},
        {"TEST_SP_Echo 1, 2, 3, 4, 5, 6, 7, 8",
         "Procedure or function TEST_SP_Echo has too many arguments specified.", true},
        {"TEST_SP_Echo @Id = 1, @Other = 2", "@Other is not a parameter for procedure TEST_SP_Echo.", true},
        {"TEST_SP_Echo 1, @Id = 2", "specified more than once", false},
        {"TEST_SP_Echo @Title = 'x'", "expects parameter '@Id'", false},
        {"TEST_SP_Echo DEFAULT", "expects parameter '@Id'", false},
        {"TEST_SP_Echo 'abc'", "Error converting the value 'abc' to data type int.", false},
        {"TEST_SP_Echo 1, @When = 'yesterday'", "Conversion failed", false},
        {"TEST_SP_Echo 1, @Flag = 'maybe'", "data type bit", false},
        {"TEST_SP_Echo :Missing", "Must declare the scalar variable \"@Missing\".", true},
        {"TEST_SP_Echo :Id OUTPUT", "not declared as an OUTPUT", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const db::Result result = runText(*connection, c.text, {param("Id", 1)});
        EXPECT_FALSE(result.ok());
        if (c.exact)
            EXPECT_EQ(result.error, c.error);
        else
            EXPECT_TRUE(result.error.contains(c.error)) << result.error.toStdString();
        EXPECT_TRUE(runText(*connection, "TEST_SP_Echo 1").ok());
    }
}
