// Reading procedure calls written as T-SQL text.

#include "reportdb/CallParser.h"

#include <gtest/gtest.h>

using reportdb::CallArgument;
using reportdb::CallParse;
using reportdb::parseCallText;

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
