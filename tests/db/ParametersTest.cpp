#include "db/DataSet.h"
#include "db/Parameters.h"
#include "db/VersionGate.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <limits>

namespace {

using db::FieldType;
using db::ParameterDirection;

TEST(AddParameter, ValueRule) {
    const QVariant null;
    const struct {
        FieldType type;
        const char* text;
        QVariant value;  // null: the parameter is NULL
        ParameterDirection direction = ParameterDirection::Input;
    } table[] = {
        // "NULL" in any letter case, whatever the type; only the whole word.
        {FieldType::Integer, "NULL", null},
        {FieldType::String, "nULl", null},
        {FieldType::String, "NULLS", QStringLiteral("NULLS")},
        {FieldType::String, "", QStringLiteral("")},
        // Integers: the leading digits; none gives 0, not NULL.
        {FieldType::Integer, "", qlonglong(0)},
        {FieldType::Integer, "17abc", qlonglong(17)},
        {FieldType::Integer, " -12", qlonglong(-12)},
        {FieldType::Integer, "3.9", qlonglong(3)},
        {FieldType::Integer, "99999999999999999999999", std::numeric_limits<qlonglong>::max()},
        // Floats: the leading decimal number in C notation, whatever the locale.
        {FieldType::Float, "-1.25e2x", -125.0},
        {FieldType::Float, "7e", 7.0},
        {FieldType::Float, ".5", 0.5},
        {FieldType::Float, "x", 0.0},
        // Other types keep the text; booleans become booleans.
        {FieldType::DateTime, "2024-02-29 10:00:00", QStringLiteral("2024-02-29 10:00:00")},
        {FieldType::Boolean, "True", true},
        {FieldType::Boolean, "0", false},
        // A return value never takes a value.
        {FieldType::Integer, "5", null, ParameterDirection::ReturnValue},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.text);
        db::Parameters ps;
        ASSERT_TRUE(db::AddParameter(ps, {QStringLiteral("@P"), row.type, 4, row.direction, row.text}));
        ASSERT_EQ(ps.size(), 1u);
        EXPECT_EQ(ps[0].isNull(), row.value.isNull());
        if (!row.value.isNull()) {
            EXPECT_EQ(ps[0].value, row.value);
        }
    }
}

TEST(DescribeParameters, CallText) {
    db::Command c;
    c.text = QStringLiteral("P");
    db::AddParameter(c, {"@ReturnValue", FieldType::Integer, 4, ParameterDirection::ReturnValue, {}});
    db::AddParameter(c, {"@A", FieldType::Integer, 4, ParameterDirection::Input, "5"});
    db::AddParameter(c, {"@B", FieldType::String, 10, ParameterDirection::Input, "x"});
    EXPECT_EQ(c.returnValueParameter(), &c.parameters[0]);
    EXPECT_EQ(c.text + db::DescribeParameters(c), QStringLiteral("P @A = 5, @B = 'x'"));

    // Without a leading return value the first parameter is described too; a
    // later return value is not the procedure's and is listed.
    db::Command d;
    db::AddParameter(d, {"@First", FieldType::Integer, 4, ParameterDirection::Input, "1"});
    db::AddParameter(d, {"@Null", FieldType::String, 4, ParameterDirection::Input, "null"});
    db::AddParameter(d, {"@When", FieldType::DateTime, 0, ParameterDirection::Input, "2024-01-02 03:04:05"});
    db::AddParameter(d, {"@Yes", FieldType::Boolean, 0, ParameterDirection::Input, "true"});
    db::AddParameter(d, {"@F", FieldType::Float, 0, ParameterDirection::Input, "2.5"});
    db::AddParameter(d, {"@R", FieldType::Integer, 4, ParameterDirection::ReturnValue, {}});
    EXPECT_EQ(db::DescribeParameters(d),
              QStringLiteral(
                  " @First = 1, @Null = NULL, @When = '2024-01-02 03:04:05', @Yes = 1, @F = 2.5, @R = NULL"));
    EXPECT_EQ(db::DescribeParameters(db::Command{}), QString());

    // A data set's command writes date-times in one fixed form.
    db::DataSet ds;
    db::Command e;
    e.parameters = {{"@From", FieldType::DateTime, 0, ParameterDirection::Input,
                     QDateTime(QDate(2023, 7, 4), QTime(9, 5, 1))},
                    {"@Day", FieldType::DateTime, 0, ParameterDirection::Input, QDate(2023, 12, 31)}};
    ds.setCommand(e);
    EXPECT_EQ(db::DescribeParameters(ds),
              QStringLiteral(" @From = '2023-07-04 09:05:01', @Day = '2023-12-31 00:00:00'"));
}

TEST(QuoteSqlText, DoublesEverySingleQuote) {
    EXPECT_EQ(db::QuoteSqlText(QStringLiteral("O'Neil's 'x''")), QStringLiteral("O''Neil''s ''x''''"));
    EXPECT_EQ(db::QuoteSqlText(QString()), QString());
}

TEST(FieldValueAtRow, ReadsShownRowsAndZeroBeyond) {
    db::ResultSet rs;
    rs.columns = {{"Id", FieldType::Integer, 0}, {"Name", FieldType::String, 0}};
    rs.rows = {{qlonglong(10), "a"}, {QVariant(), "b"}, {qlonglong(30), "c"}};
    db::DataSet ds;
    EXPECT_EQ(db::FieldValueAtRow(0, ds, QStringLiteral("Id")), 0);  // closed
    ds.setRows(rs);
    ds.last();
    const std::pair<int, int> rows[] = {{0, 10}, {1, 0}, {2, 30}, {3, 0}, {-1, 0}};  // NULL and beyond: 0
    for (const auto& [row, value] : rows)
        EXPECT_EQ(db::FieldValueAtRow(row, ds, QStringLiteral("id")), value) << row;
    EXPECT_EQ(db::FieldValueAtRow(0, ds, QStringLiteral("Missing")), 0);
    EXPECT_EQ(ds.currentRow(), 2) << "the cursor moved";
    // Rows are counted as the filter shows them.
    ds.setFilter([](const db::RowView& r) { return r.value(QStringLiteral("Name")) != QVariant("a"); });
    EXPECT_EQ(db::FieldValueAtRow(1, ds, QStringLiteral("Id")), 30);
}

TEST(VersionGate, ComparesComponentsAsNumbers) {
    const struct {
        const char* version;
        const char* threshold;
        bool atLeast;
    } table[] = {
        {"3.10.1.1", "3.9.3.10", true},
        {"3.9.3.10", "3.10.1.1", false},
        {"3.9.3.10", "3.9.3.9", true},
        {"3.23.99.9", "3.23.100.0", false},
        {"2.99.99.99", "3.0.0.0", false},
        {"3.21.101.0", "3.21.101.0", true},
        {"3.6.2.0", "3.6.1.2", true},
        {"3.9", "3.9.0.0", true},
        {"3.9", "3.9.0.1", false},
        {"", "", true},
        {"", "2.30.0.0", false},
        // Leading digits count, an empty component is 0, a fifth one is ignored.
        {"3.12a.0.0", "3.12.0.0", true},
        {"3..5.0", "3.0.5.0", true},
        {"3.1.0.0.1", "3.1.0.0.9", true},
    };
    for (const auto& row : table)
        EXPECT_EQ(db::IsDatabaseVersionAtLeast(row.version, row.threshold), row.atLeast)
            << row.version << " >= " << row.threshold;

    const std::pair<const char*, const char*> shortForms[] = {
        {"3.9.3.10", "3.9.3.10"},   {"3.7.0.0", "3.7"},     {"3.0.0.0", "3.0"},
        {"3.21.101.0", "3.21.101"}, {"3.0.0.1", "3.0.0.1"},
    };
    for (const auto& [version, shortForm] : shortForms) EXPECT_EQ(db::shortVersion(version), shortForm);
    EXPECT_EQ(db::versionGateHint("3.7.0.0"), "This feature can only be used on a 3.7 database or newer");
}

}  // namespace
