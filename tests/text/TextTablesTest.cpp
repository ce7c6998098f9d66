#include "support/ScriptedPrompts.h"
#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using testing_support::ScriptedPrompts;
using text::Slot;
using text::TextTables;

namespace {

// A system directory with language folders written byte for byte.
class LanguageFolder {
public:
    LanguageFolder() { EXPECT_TRUE(dir_.isValid()); }
    QString path() const { return dir_.path(); }
    void write(const QString& language, const QString& file, const QByteArray& bytes) {
        QDir(dir_.path()).mkpath(language);
        QFile f(dir_.filePath(language + u'/' + file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // An entry that exists but cannot be read as a file.
    void makeUnreadable(const QString& language, const QString& file) {
        ASSERT_TRUE(QDir(dir_.path()).mkpath(language + u'/' + file));
    }

private:
    QTemporaryDir dir_;
};

text::TextTable parse(const QByteArray& bytes) {
    text::TextTable table;
    text::mergeTextFile(bytes, table);
    return table;
}

}  // namespace

TEST(TextFileFormat, LinesAreClassifiedAsWritten) {
    const auto t = parse(
        "/ header comment\r\n"
        "TXT7=a=b\r\n"
        "TXT 9=blank before the digits\r\n"
        "//TXT3=commented out\r\n"
        "txt4=lower-case prefix\r\n"
        " TXT5=leading blank\r\n"
        "TXT12=  kept as is  \r\n"
        "TXT13abc=digits stop at the first non-digit\r\n"
        "TXT14=\r\n"
        "TXT15 no equals sign\r\n"
        "TXT16=first\r\n"
        "TXT16=second\r\n"
        "TXT17=back\\nslash\r\n"
        "TXT18=line\nfeeds\n are dropped\r\n"
        "TXT99999999999=too large\r\n"
        "TXT19=last line without line end");

    EXPECT_EQ(t.at(7), "a=b");
    EXPECT_EQ(t.at(0), "blank before the digits");
    EXPECT_EQ(t.count(3), 0u);
    EXPECT_EQ(t.count(4), 0u);
    EXPECT_EQ(t.count(5), 0u);
    EXPECT_EQ(t.at(12), "  kept as is  ");
    EXPECT_EQ(t.at(13), "digits stop at the first non-digit");
    EXPECT_TRUE(t.at(14).isEmpty());
    EXPECT_EQ(t.count(15), 0u);
    EXPECT_EQ(t.at(16), "second");
    EXPECT_EQ(t.at(17), "back\\nslash");
    EXPECT_EQ(t.at(18), "linefeeds are dropped");
    EXPECT_EQ(t.at(19), "last line without line end");
    EXPECT_EQ(t.size(), 9u);
}

TEST(TextFileFormat, OnlyCarriageReturnEndsALine) {
    // A file saved with bare line feeds is one long line: only its first
    // definition counts, taking the rest of the file as its text.
    const auto t = parse("TXT1=one\nTXT2=two\n");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t.at(1), "oneTXT2=two");
    // Bare carriage returns end lines as well.
    const auto cr = parse("TXT1=one\rTXT2=two\r");
    EXPECT_EQ(cr.at(2), "two");
}

TEST(TextFileFormat, BytesAreWindows1252) {
    const auto t =
        parse(QByteArray("TXT1=Schlie\xDF"
                         "en \x80 \x93q\x94 \x81\r\n"));
    EXPECT_EQ(t.at(1), QString::fromUtf8("Schließen € “q” \u0081"));
    EXPECT_EQ(text::decodeWindows1252(QByteArray("\x9F\xFF\x7F", 3)), QString::fromUtf8("Ÿÿ\x7F"));
}

TEST(TextFileFormat, BackslashNBecomesALineBreak) {
    EXPECT_EQ(text::withLineBreaks("one\\ntwo\\n"), "one\ntwo\n");
    EXPECT_EQ(text::withLineBreaks("no\\tother escapes\\"), "no\\tother escapes\\");
}

TEST(TextTables, LanguageFileOverridesOnlyWhatItDefines) {
    LanguageFolder sys;
    sys.write("UK", "Message.txt", "TXT1=one\r\nTXT2=two\r\nTXT5=five\r\n");
    sys.write("DE", "Message.txt",
              "/ German\r\nTXT5=f\xFC"
              "nf\r\nTXT6=sechs\r\n");
    ScriptedPrompts prompts;

    TextTables german(prompts);
    german.setLocation(sys.path(), "DE");
    ASSERT_TRUE(german.load(Slot::Messages, "Message.txt"));
    EXPECT_EQ(german.message(1), "one");
    EXPECT_EQ(german.message(5), QString::fromUtf8("fünf"));
    EXPECT_EQ(german.message(6), "sechs");

    // UK ignores the other folders; a language without a folder falls back
    // to UK silently.
    for (const char* language : {"UK", "FR", ""}) {
        TextTables t(prompts);
        t.setLocation(sys.path() + u'/', language);
        ASSERT_TRUE(t.load(Slot::Messages, "Message.txt")) << language;
        EXPECT_EQ(t.message(5), "five") << language;
        EXPECT_EQ(t.message(6), "(6): 'Message.txt'") << language;
    }
    EXPECT_TRUE(prompts.recorded().empty());
}

TEST(TextTables, MissingNumbersGiveAStablePlaceholder) {
    LanguageFolder sys;
    sys.write("UK", "SQL_ReportProfile.txt", "TXT1=one\r\n");
    sys.write("UK", "Printer.txt", "TXT3=Page\r\n");
    ScriptedPrompts prompts;
    TextTables t(prompts);
    t.setLocation(sys.path(), "UK");

    // Before any load the slot has no file name yet.
    EXPECT_EQ(t.window(8), "(8): ''");

    ASSERT_TRUE(t.load(Slot::Profile, "SQL_ReportProfile.txt"));
    EXPECT_EQ(t.profile(64), "(64): 'SQL_ReportProfile.txt'");
    EXPECT_EQ(t.profile(64), "(64): 'SQL_ReportProfile.txt'");
    EXPECT_EQ(t.profile(-3), "(-3): 'SQL_ReportProfile.txt'");
    EXPECT_EQ(t.hint(2), "(2): ''");

    ASSERT_TRUE(t.load(Slot::Printer, "Printer.txt"));
    EXPECT_TRUE(t.hasPrinterText(3));
    EXPECT_FALSE(t.hasPrinterText(4));
    EXPECT_EQ(t.printer(3), "Page");
    // Slots are independent tables.
    EXPECT_FALSE(t.hasPrinterText(1));
}

TEST(TextTables, ReloadingASlotMergesAndRenames) {
    LanguageFolder sys;
    sys.write("UK", "SQLUserManagement.txt", "TXT1=user\r\nTXT2=role\r\n");
    sys.write("UK", "SQLProgressDialog.txt", "TXT1=Executing query\r\n");
    ScriptedPrompts prompts;
    TextTables t(prompts);
    t.setLocation(sys.path(), "UK");

    ASSERT_TRUE(t.load(Slot::Window, "SQLUserManagement.txt"));
    EXPECT_EQ(t.window(9), "(9): 'SQLUserManagement.txt'");
    ASSERT_TRUE(t.load(Slot::Window, "SQLProgressDialog.txt"));
    EXPECT_EQ(t.fileName(Slot::Window), "SQLProgressDialog.txt");
    EXPECT_EQ(t.window(1), "Executing query");
    EXPECT_EQ(t.window(2), "role");
    // A placeholder once stored stays, even under the new file name.
    EXPECT_EQ(t.window(9), "(9): 'SQLUserManagement.txt'");
    EXPECT_EQ(t.window(10), "(10): 'SQLProgressDialog.txt'");
}

TEST(TextTables, FailuresAreReportedWithTheirMessages) {
    LanguageFolder sys;
    sys.write("UK", "Hints.txt", "TXT1=Close\r\n");
    sys.write("UK", "Message.txt", "TXT1=uk\r\n");
    sys.makeUnreadable("DE", "Message.txt");
    sys.makeUnreadable("UK", "Printer.txt");
    ScriptedPrompts prompts;
    TextTables t(prompts);
    t.setLocation(sys.path(), "DE");

    auto expectOneFailure = [&](const char* text) {
        const auto shown = prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, testing_support::RecordedPrompt::Kind::Message);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, "Failed to load");
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    };

    // UK file missing: the slot keeps what it had.
    ASSERT_TRUE(t.load(Slot::Hints, "Hints.txt"));
    EXPECT_FALSE(t.load(Slot::Hints, "Nowhere.txt"));
    expectOneFailure("Could not load UK text file");
    EXPECT_EQ(t.hint(1), "Close");
    EXPECT_EQ(t.hint(2), "(2): 'Nowhere.txt'");

    // A UK file that exists but cannot be read counts as missing.
    EXPECT_FALSE(t.load(Slot::Printer, "Printer.txt"));
    expectOneFailure("Could not load UK text file");

    // Language file present but unreadable: UK texts stay in use.
    EXPECT_FALSE(t.load(Slot::Messages, "Message.txt"));
    expectOneFailure("Could not load language speciffic text file. Using UK");
    EXPECT_EQ(t.message(1), "uk");
}

TEST(TextTables, StartupLoadsStopAtTheFirstFailure) {
    LanguageFolder sys;
    const char* files[] = {"Hints.txt",        "Printer.txt",           "Message.txt",          "SLock.txt",
                           "ReportDialog.txt", "SQL_ReportProfile.txt", "SQLUserManagement.txt"};
    int n = 0;
    for (const char* f : files)
        sys.write("UK", f, "TXT1=" + QByteArray(f) + "\r\nTXT2=" + QByteArray::number(++n));
    ScriptedPrompts prompts;

    TextTables t(prompts);
    t.setLocation(sys.path(), "UK");
    ASSERT_TRUE(t.loadInitial());
    EXPECT_EQ(t.lock(1), "SLock.txt");
    EXPECT_EQ(t.printer(1), "Printer.txt");
    EXPECT_EQ(t.fileName(Slot::Profile), "");
    ASSERT_TRUE(t.loadStartup());
    EXPECT_EQ(t.hint(1), "Hints.txt");
    EXPECT_EQ(t.message(1), "Message.txt");
    EXPECT_EQ(t.reportDialog(1), "ReportDialog.txt");
    EXPECT_EQ(t.profile(1), "SQL_ReportProfile.txt");
    EXPECT_EQ(t.window(1), "SQLUserManagement.txt");

    // The lock texts come with the start-up's files too: the folder is
    // known only once the session is read.
    TextTables fresh(prompts);
    fresh.setLocation(sys.path(), "UK");
    ASSERT_TRUE(fresh.loadStartup());
    EXPECT_EQ(fresh.lock(1), "SLock.txt");
    EXPECT_TRUE(prompts.take().empty());

    // Only the locked window needs them: without them the start-up goes on
    // after the message.
    QFile::remove(sys.path() + "/UK/SLock.txt");
    TextTables noLock(prompts);
    noLock.setLocation(sys.path(), "UK");
    EXPECT_TRUE(noLock.loadStartup());
    EXPECT_EQ(prompts.take().size(), 1u);
    EXPECT_EQ(noLock.window(1), "SQLUserManagement.txt");

    // Without ReportDialog.txt the profile texts are never read and only one
    // message is shown.
    QFile::remove(sys.path() + "/UK/ReportDialog.txt");
    TextTables broken(prompts);
    broken.setLocation(sys.path(), "UK");
    EXPECT_FALSE(broken.loadStartup());
    EXPECT_EQ(prompts.take().size(), 1u);
    EXPECT_EQ(broken.message(1), "Message.txt");
    EXPECT_EQ(broken.fileName(Slot::Profile), "");

    // loadInitial reads every file it can and reports each failure.
    QFile::remove(sys.path() + "/UK/Printer.txt");
    TextTables initial(prompts);
    initial.setLocation(sys.path(), "UK");
    EXPECT_FALSE(initial.loadInitial());
    EXPECT_EQ(prompts.take().size(), 2u);
    EXPECT_EQ(initial.message(1), "Message.txt");
}
