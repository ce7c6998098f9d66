#include "db/DataSet.h"
#include "db/Parameters.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

using db::FieldType;
using db::ParameterDirection;
using db::ParameterSpec;

db::Parameter added(FieldType type, const QString& value,
                    ParameterDirection direction = ParameterDirection::Input) {
    db::Parameters ps;
    EXPECT_TRUE(db::AddParameter(ps, ParameterSpec{QStringLiteral("@P"), type, 4, direction, value}));
    EXPECT_EQ(ps.size(), 1u);
    return ps.front();
}

TEST(AddParameter, ValueRule) {
    // "NULL" in any letter case leaves the value NULL, whatever the type.
    for (const char* text : {"NULL", "null", "Null", "nULl"}) {
        EXPECT_TRUE(added(FieldType::Integer, QString::fromLatin1(text)).isNull()) << text;
        EXPECT_TRUE(added(FieldType::String, QString::fromLatin1(text)).isNull()) << text;
    }
    // Only the whole word: these are values.
    EXPECT_EQ(added(FieldType::String, QStringLiteral("NULLS")).value, QVariant(QStringLiteral("NULLS")));
    EXPECT_EQ(added(FieldType::String, QString()).value.toString(), QString());
    EXPECT_FALSE(added(FieldType::String, QString()).isNull());

    // Integers: leading digits, none gives 0 (not NULL).
    EXPECT_EQ(added(FieldType::Integer, QString()).value.toInt(), 0);
    EXPECT_FALSE(added(FieldType::Integer, QString()).isNull());
    EXPECT_EQ(added(FieldType::Integer, QStringLiteral("42")).value.toInt(), 42);
    EXPECT_EQ(added(FieldType::Integer, QStringLiteral("17abc")).value.toInt(), 17);
    EXPECT_EQ(added(FieldType::Integer, QStringLiteral("abc")).value.toInt(), 0);
    EXPECT_EQ(added(FieldType::Integer, QStringLiteral(" -12")).value.toInt(), -12);
    EXPECT_EQ(added(FieldType::Integer, QStringLiteral("3.9")).value.toInt(), 3);
    EXPECT_EQ(added(FieldType::Integer, QStringLiteral("99999999999999999999999")).value.toLongLong(),
              std::numeric_limits<qlonglong>::max());

    // Floats: the leading decimal number, in the C notation whatever the locale.
    EXPECT_DOUBLE_EQ(added(FieldType::Float, QStringLiteral("2.5")).value.toDouble(), 2.5);
    EXPECT_DOUBLE_EQ(added(FieldType::Float, QStringLiteral("-1.25e2x")).value.toDouble(), -125.0);
    EXPECT_DOUBLE_EQ(added(FieldType::Float, QStringLiteral("7e")).value.toDouble(), 7.0);
    EXPECT_DOUBLE_EQ(added(FieldType::Float, QStringLiteral(".5")).value.toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(added(FieldType::Float, QStringLiteral("x")).value.toDouble(), 0.0);

    // Other types keep the text; booleans become real booleans.
    EXPECT_EQ(added(FieldType::DateTime, QStringLiteral("2024-02-29 10:00:00")).value,
              QVariant(QStringLiteral("2024-02-29 10:00:00")));
    EXPECT_EQ(added(FieldType::Boolean, QStringLiteral("1")).value, QVariant(true));
    EXPECT_EQ(added(FieldType::Boolean, QStringLiteral("True")).value, QVariant(true));
    EXPECT_EQ(added(FieldType::Boolean, QStringLiteral("0")).value, QVariant(false));
    EXPECT_EQ(added(FieldType::Boolean, QStringLiteral("false")).value, QVariant(false));

    // A return value never takes a value, not even from a number.
    EXPECT_TRUE(added(FieldType::Integer, QStringLiteral("5"), ParameterDirection::ReturnValue).isNull());
}

TEST(AddParameter, KeepsOrderAndAttributes) {
    db::Command c;
    c.type = db::CommandType::StoredProcedure;
    db::AddParameter(
        c, {QStringLiteral("@ReturnValue"), FieldType::Integer, 4, ParameterDirection::ReturnValue, {}});
    db::AddParameter(c, {QStringLiteral("@List"), FieldType::String, 8000, ParameterDirection::Input, "1,2"});
    db::AddParameter(c, {QStringLiteral("@Out"), FieldType::Integer, 4, ParameterDirection::Output, "0"});
    ASSERT_EQ(c.parameters.size(), 3u);
    EXPECT_EQ(c.returnValueParameter(), &c.parameters[0]);
    EXPECT_EQ(c.parameters[1].name, QStringLiteral("@List"));
    EXPECT_EQ(c.parameters[1].size, 8000);
    EXPECT_EQ(c.parameters[2].direction, ParameterDirection::Output);
}

TEST(DescribeParameters, CallText) {
    db::Command c;
    c.type = db::CommandType::StoredProcedure;
    c.text = QStringLiteral("P");
    db::AddParameter(
        c, {QStringLiteral("@ReturnValue"), FieldType::Integer, 4, ParameterDirection::ReturnValue, {}});
    db::AddParameter(c, {QStringLiteral("@A"), FieldType::Integer, 4, ParameterDirection::Input, "5"});
    db::AddParameter(c, {QStringLiteral("@B"), FieldType::String, 10, ParameterDirection::Input, "x"});
    EXPECT_EQ(c.text + db::DescribeParameters(c), QStringLiteral("P @A = 5, @B = 'x'"));

    // Without a leading return value the first parameter is described too.
    db::Command d;
    db::AddParameter(d, {QStringLiteral("@First"), FieldType::Integer, 4, ParameterDirection::Input, "1"});
    db::AddParameter(d, {QStringLiteral("@Null"), FieldType::String, 4, ParameterDirection::Input, "null"});
    db::AddParameter(d, {QStringLiteral("@When"), FieldType::DateTime, 0, ParameterDirection::Input,
                         "2024-01-02 03:04:05"});
    db::AddParameter(d, {QStringLiteral("@Yes"), FieldType::Boolean, 0, ParameterDirection::Input, "true"});
    db::AddParameter(d, {QStringLiteral("@No"), FieldType::Boolean, 0, ParameterDirection::Input, "0"});
    db::AddParameter(d, {QStringLiteral("@F"), FieldType::Float, 0, ParameterDirection::Input, "2.5"});
    // A return value later in the list is not the procedure's: it is listed.
    db::AddParameter(d, {QStringLiteral("@R"), FieldType::Integer, 4, ParameterDirection::ReturnValue, {}});
    EXPECT_EQ(db::DescribeParameters(d),
              QStringLiteral(" @First = 1, @Null = NULL, @When = '2024-01-02 03:04:05', @Yes = 1, @No = 0, "
                             "@F = 2.5, @R = NULL"));

    EXPECT_EQ(db::DescribeParameters(db::Command{}), QString());
}

TEST(DescribeParameters, DataSetWritesDateTimesInFixedForm) {
    db::DataSet ds;
    db::Command c;
    c.parameters.push_back({QStringLiteral("@From"), FieldType::DateTime, 0, ParameterDirection::Input,
                            QDateTime(QDate(2023, 7, 4), QTime(9, 5, 1))});
    c.parameters.push_back(
        {QStringLiteral("@Day"), FieldType::DateTime, 0, ParameterDirection::Input, QDate(2023, 12, 31)});
    ds.setCommand(c);
    EXPECT_EQ(db::DescribeParameters(ds),
              QStringLiteral(" @From = '2023-07-04 09:05:01', @Day = '2023-12-31 00:00:00'"));
}

TEST(QuoteSqlText, DoublesEverySingleQuote) {
    EXPECT_EQ(db::QuoteSqlText(QStringLiteral("O'Neil's 'x''")), QStringLiteral("O''Neil''s ''x''''"));
    EXPECT_EQ(db::QuoteSqlText(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(db::QuoteSqlText(QString()), QString());
}

TEST(FieldValueAtRow, ReadsVisibleRowsAndZeroBeyond) {
    db::ResultSet rs;
    rs.columns = {{QStringLiteral("Id"), FieldType::Integer, 0},
                  {QStringLiteral("Name"), FieldType::String, 0}};
    rs.rows = {{qlonglong(10), QStringLiteral("a")}, {QVariant(), QStringLiteral("b")}, {qlonglong(30), "c"}};
    db::DataSet ds;
    EXPECT_EQ(db::FieldValueAtRow(0, ds, QStringLiteral("Id")), 0);  // closed
    ds.setRows(rs);
    ds.last();
    EXPECT_EQ(db::FieldValueAtRow(0, ds, QStringLiteral("Id")), 10);
    EXPECT_EQ(db::FieldValueAtRow(0, ds, QStringLiteral("id")), 10);
    EXPECT_EQ(db::FieldValueAtRow(1, ds, QStringLiteral("Id")), 0);  // NULL
    EXPECT_EQ(db::FieldValueAtRow(2, ds, QStringLiteral("Id")), 30);
    EXPECT_EQ(db::FieldValueAtRow(3, ds, QStringLiteral("Id")), 0);  // row == count
    EXPECT_EQ(db::FieldValueAtRow(-1, ds, QStringLiteral("Id")), 0);
    EXPECT_EQ(db::FieldValueAtRow(0, ds, QStringLiteral("Missing")), 0);
    EXPECT_EQ(ds.currentRow(), 2);  // the cursor is not moved

    // Rows are counted as the filter shows them.
    ds.setFilter([](const db::RowView& r) { return r.value(QStringLiteral("Name")) != QVariant("a"); });
    EXPECT_EQ(db::FieldValueAtRow(1, ds, QStringLiteral("Id")), 30);
    EXPECT_EQ(db::FieldValueAtRow(2, ds, QStringLiteral("Id")), 0);
}

}  // namespace
