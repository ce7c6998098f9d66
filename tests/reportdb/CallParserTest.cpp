// Reading procedure calls written as T-SQL text.

#include "reportdb/CallParser.h"

#include <gtest/gtest.h>

using reportdb::CallArgument;
using reportdb::CallParse;
using reportdb::parseCallText;
using Kind = CallArgument::Kind;

namespace {

CallParse call(const char* text) {
    CallParse parse = parseCallText(QString::fromUtf8(text));
    EXPECT_EQ(parse.kind, CallParse::Kind::Call) << text << ": " << parse.error.toStdString();
    return parse;
}

QString malformed(const char* text) {
    CallParse parse = parseCallText(QString::fromUtf8(text));
    EXPECT_EQ(parse.kind, CallParse::Kind::Malformed) << text;
    EXPECT_FALSE(parse.error.isEmpty()) << text;
    return parse.error;
}

}  // namespace

TEST(CallParser, PositionalArgumentsWithAndWithoutExec) {
    CallParse p = call("DCE_SP_SelectProfiles 17, 3");
    EXPECT_EQ(p.call.name, "DCE_SP_SelectProfiles");
    ASSERT_EQ(p.call.arguments.size(), 2u);
    EXPECT_TRUE(p.call.arguments[0].name.isEmpty());
    EXPECT_EQ(p.call.arguments[0].kind, Kind::Literal);
    EXPECT_EQ(p.call.arguments[0].value, QVariant(qlonglong(17)));
    EXPECT_EQ(p.call.arguments[1].value, QVariant(qlonglong(3)));

    p = call("exec dce_SP_selectParkUnitsWithProfileid 5,0,'WTG_MET_GRID'");
    EXPECT_EQ(p.call.name, "dce_SP_selectParkUnitsWithProfileid");
    ASSERT_EQ(p.call.arguments.size(), 3u);
    EXPECT_EQ(p.call.arguments[2].value, QVariant(QString("WTG_MET_GRID")));

    p = call("  EXECUTE [dbo].[DCE_SP_SelectUnitTypes] ;  ");
    EXPECT_EQ(p.call.name, "DCE_SP_SelectUnitTypes");
    EXPECT_TRUE(p.call.arguments.empty());

    p = call("DCE_SP_SelectValidationParameters 0,12");  // no blank after the comma
    ASSERT_EQ(p.call.arguments.size(), 2u);
    EXPECT_EQ(p.call.arguments[1].value.toInt(), 12);

    p = call("-- leading comment\n/* block */ exec P -1, +2.5, .5, 1e3, 99999999999999999999");
    ASSERT_EQ(p.call.arguments.size(), 5u);
    EXPECT_EQ(p.call.arguments[0].value, QVariant(qlonglong(-1)));
    EXPECT_EQ(p.call.arguments[1].value, QVariant(2.5));
    EXPECT_EQ(p.call.arguments[2].value, QVariant(0.5));
    EXPECT_EQ(p.call.arguments[3].value, QVariant(1000.0));
    EXPECT_EQ(p.call.arguments[4].value.typeId(), QMetaType::Double);  // too large for 64 bits

    // Numbers are ASCII digits; a large one is still read as a number (its
    // parameter's type decides whether it fits).
    p = call("P 4294967298, 1e300, -0.75");
    ASSERT_EQ(p.call.arguments.size(), 3u);
    EXPECT_EQ(p.call.arguments[0].value, QVariant(qlonglong(4294967298)));
    EXPECT_EQ(p.call.arguments[1].value, QVariant(1e300));
    EXPECT_EQ(p.call.arguments[2].value, QVariant(-0.75));
}

TEST(CallParser, NamedArgumentsQuotingNullAndBareWords) {
    CallParse p = call(
        "DCE_SP_CreateNewReportProfile @ProfileName = 'O''Brien''s park', @ProfileLocked = 0, "
        "@ProfileDescription = N'Zürich ''north''', @UserId = 4 , @AvailabilityContract = RTV2200, "
        "@Note = '', @Old = NULL, @Rule = default");
    EXPECT_EQ(p.call.name, "DCE_SP_CreateNewReportProfile");
    ASSERT_EQ(p.call.arguments.size(), 8u);
    EXPECT_EQ(p.call.arguments[0].name, "@ProfileName");
    EXPECT_EQ(p.call.arguments[0].value, QVariant(QString("O'Brien's park")));
    EXPECT_EQ(p.call.arguments[2].value, QVariant(QString::fromUtf8("Zürich 'north'")));
    EXPECT_EQ(p.call.arguments[3].value, QVariant(qlonglong(4)));
    // A bare word is a text value, as the server takes it.
    EXPECT_EQ(p.call.arguments[4].value, QVariant(QString("RTV2200")));
    EXPECT_EQ(p.call.arguments[5].value, QVariant(QString("")));
    EXPECT_EQ(p.call.arguments[6].kind, Kind::Null);
    EXPECT_EQ(p.call.arguments[7].kind, Kind::Default);

    // Positional first, then named; texts keep commas, semicolons and comment marks.
    p = call("P 'a, b; -- c', N'x', @B = 'it''s'");
    ASSERT_EQ(p.call.arguments.size(), 3u);
    EXPECT_EQ(p.call.arguments[0].value.toString(), "a, b; -- c");
    EXPECT_EQ(p.call.arguments[1].value.toString(), "x");
    EXPECT_EQ(p.call.arguments[2].name, "@B");
    EXPECT_EQ(p.call.arguments[2].value.toString(), "it's");

    // NULL in any case; a word that merely starts with N is a word.
    p = call("P null, Nord, nUlL");
    EXPECT_EQ(p.call.arguments[0].kind, Kind::Null);
    EXPECT_EQ(p.call.arguments[1].value.toString(), "Nord");
    EXPECT_EQ(p.call.arguments[2].kind, Kind::Null);
}

TEST(CallParser, OutputPlaceholdersAndVariables) {
    CallParse p = call("WMS_SP_UTL_CreateDataCalcProcess 3, 'x', :ProcessId OUTPUT");
    ASSERT_EQ(p.call.arguments.size(), 3u);
    EXPECT_EQ(p.call.arguments[2].kind, Kind::Variable);
    EXPECT_EQ(p.call.arguments[2].variable, "ProcessId");
    EXPECT_TRUE(p.call.arguments[2].output);
    EXPECT_TRUE(p.call.arguments[2].name.isEmpty());

    p = call("EXEC @rc = P @A = @Input, @B = :Result out");
    EXPECT_EQ(p.call.returnVariable, "rc");
    ASSERT_EQ(p.call.arguments.size(), 2u);
    EXPECT_EQ(p.call.arguments[0].name, "@A");
    EXPECT_EQ(p.call.arguments[0].variable, "Input");
    EXPECT_FALSE(p.call.arguments[0].output);
    EXPECT_EQ(p.call.arguments[1].name, "@B");
    EXPECT_EQ(p.call.arguments[1].variable, "Result");
    EXPECT_TRUE(p.call.arguments[1].output);

    p = call("P @Pos output, 1");
    ASSERT_EQ(p.call.arguments.size(), 2u);
    EXPECT_TRUE(p.call.arguments[0].name.isEmpty());
    EXPECT_EQ(p.call.arguments[0].variable, "Pos");
    EXPECT_TRUE(p.call.arguments[0].output);

    EXPECT_TRUE(malformed("P @A = 5 OUTPUT").contains("OUTPUT option"));
}

TEST(CallParser, SqlTextIsNotACall) {
    for (const char* sql :
         {"SELECT * FROM TReportProfile", "  select 1", "WITH x AS (SELECT 1) SELECT * FROM x",
          "INSERT INTO T VALUES (1)", "update T set a = 1", "DELETE FROM T", "-- c\nSELECT 1", "(SELECT 1)",
          "", "   ", "BEGIN", "PRAGMA user_version", "CREATE TABLE X (a)"}) {
        EXPECT_EQ(parseCallText(QString::fromUtf8(sql)).kind, CallParse::Kind::Sql) << sql;
    }
    // EXEC makes anything a call, even a SQL word.
    EXPECT_EQ(parseCallText("EXEC select").kind, CallParse::Kind::Call);
}

TEST(CallParser, MalformedCallsSayWhatIsWrong) {
    EXPECT_TRUE(malformed("P 'abc").startsWith("Unclosed quotation mark"));
    EXPECT_TRUE(malformed("P 1,").contains("ends too early"));
    EXPECT_TRUE(malformed("P 1,,2").contains("near ',2'"));
    EXPECT_TRUE(malformed("P 1 2").contains("near '2'"));
    EXPECT_TRUE(malformed("P @A = 1, 2").startsWith("Must pass parameter number 2"));
    EXPECT_TRUE(malformed("P @A = ").contains("ends too early"));
    EXPECT_TRUE(malformed("P 12abc").contains("near '12abc'"));
    EXPECT_TRUE(malformed("P 1; P 2").contains("near 'P 2'"));
    EXPECT_TRUE(malformed("EXEC").contains("procedure name"));
    EXPECT_TRUE(malformed("EXEC [P").contains("bracket"));
    EXPECT_TRUE(malformed("EXEC @rc P").contains("near 'P'"));
    EXPECT_TRUE(malformed("P @ = 1").contains("near"));

    // Where the text names the position, it counts characters from 1.
    const struct {
        const char* text;
        const char* error;
    } positioned[] = {
        {"EXEC []", "position 6"},
        {"EXEC [dbo].[] 1", "position 12"},
        {"EXEC dbo. 1", "position 11"},
        {"P 1e999", "'1e999' at position 3 is out of the range"},
        {"P 1, -2e400", "'-2e400' at position 6 is out of the range"},
    };
    for (const auto& c : positioned) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(malformed(c.text).contains(c.error)) << malformed(c.text).toStdString();
    }
    // Digits beyond any number type, as a literal.
    EXPECT_TRUE(malformed(("P " + std::string(400, '9')).c_str()).contains("out of the range"));

    // The name is known even when the arguments are not, so that an unknown
    // procedure is reported as such.
    CallParse p = parseCallText("DCE_SP_Missing 'x");
    EXPECT_EQ(p.kind, CallParse::Kind::Malformed);
    EXPECT_EQ(p.call.name, "DCE_SP_Missing");
}
