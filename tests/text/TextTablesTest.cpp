// The text files' format and the text tables' loading, on folders written
// byte for byte; and the language files we ship, so a broken line shows up
// here and not as a placeholder on screen.

#include "support/ScriptedPrompts.h"
#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

using testing_support::ScriptedPrompts;
using text::Slot;
using text::TextTables;

namespace {

// A system directory with language folders written byte for byte.
class LanguageFolder {
public:
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

// One message failed to load, with this text.
void expectOneFailure(ScriptedPrompts& prompts, const char* text) {
    const auto shown = prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, text);
    EXPECT_EQ(shown[0].caption, "Failed to load");
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
}

}  // namespace

TEST(TextFileFormat, LinesAreReadAsWritten) {
    text::TextTable t;
    text::mergeTextFile(
        "/ header comment\r\nTXT7=a=b\r\nTXT 9=blank before the digits\r\n//TXT3=commented out\r\n"
        "txt4=lower-case prefix\r\n TXT5=leading blank\r\nTXT12=  kept as is  \r\n"
        "TXT13abc=digits stop at the first non-digit\r\nTXT14=\r\nTXT15 no equals sign\r\nTXT16=first\r\n"
        "TXT16=second\r\nTXT17=back\\nslash\r\nTXT18=line\nfeeds\n are dropped\r\nTXT99999999999=too "
        "large\r\n"
        "TXT20=Schlie\xDF"
        "en \x80 \x93q\x94 \x81\rTXT19=a bare carriage return ends a line too, the last needs no end",
        t);
    const text::TextTable expected = {
        {0, "blank before the digits"},
        {7, "a=b"},
        {12, "  kept as is  "},
        {13, "digits stop at the first non-digit"},
        {14, ""},
        {16, "second"},
        {17, "back\\nslash"},
        {18, "linefeeds are dropped"},
        {19, "a bare carriage return ends a line too, the last needs no end"},
        {20, QString::fromUtf8("Schließen € “q” \u0081")},  // Windows-1252
    };
    EXPECT_EQ(t, expected);

    // A file saved with bare line feeds is one long line.
    t.clear();
    text::mergeTextFile("TXT1=one\nTXT2=two\n", t);
    EXPECT_EQ(t, (text::TextTable{{1, "oneTXT2=two"}}));
    EXPECT_EQ(text::decodeWindows1252(QByteArray("\x9F\xFF\x7F", 3)), QString::fromUtf8("Ÿÿ\x7F"));
    EXPECT_EQ(text::withLineBreaks("one\\ntwo\\n"), "one\ntwo\n");
    EXPECT_EQ(text::withLineBreaks("no\\tother escapes\\"), "no\\tother escapes\\");
}

TEST(TextTables, TheLanguageOverridesOnlyWhatItDefinesAndMissingNumbersStayPlaceholders) {
    LanguageFolder sys;
    sys.write("UK", "Message.txt", "TXT1=one\r\nTXT5=five\r\n");
    sys.write("DE", "Message.txt", "/ German\r\nTXT5=f\xFCnf\r\n");
    sys.write("UK", "Printer.txt", "TXT3=Page\r\n");
    ScriptedPrompts prompts;
    TextTables german(prompts);
    german.setLocation(sys.path(), "DE");
    EXPECT_EQ(german.window(8), "(8): ''");  // before any load the slot has no file name
    ASSERT_TRUE(german.load(Slot::Messages, "Message.txt"));
    EXPECT_EQ(german.message(1), "one");
    EXPECT_EQ(german.message(5), QString::fromUtf8("fünf"));
    ASSERT_TRUE(german.load(Slot::Printer, "Printer.txt"));  // no German file: UK only
    EXPECT_TRUE(german.hasPrinterText(3));
    EXPECT_FALSE(german.hasPrinterText(1)) << "slots are tables of their own";

    // UK ignores the other folders; a language without a folder falls back silently.
    for (const char* language : {"UK", "FR", ""}) {
        TextTables t(prompts);
        t.setLocation(sys.path() + u'/', language);
        ASSERT_TRUE(t.load(Slot::Messages, "Message.txt")) << language;
        EXPECT_EQ(t.message(5), "five") << language;
        EXPECT_EQ(t.message(-3), "(-3): 'Message.txt'") << language;
    }
    EXPECT_TRUE(prompts.recorded().empty());

    // Reloading a slot merges and renames it; a placeholder names the file
    // the slot holds now, and a later file may still define its number.
    sys.write("UK", "SQLUserManagement.txt", "TXT1=user\r\nTXT2=role\r\n");
    sys.write("UK", "SQLProgressDialog.txt", "TXT1=Executing query\r\n");
    TextTables t(prompts);
    t.setLocation(sys.path(), "UK");
    ASSERT_TRUE(t.load(Slot::Window, "SQLUserManagement.txt"));
    EXPECT_EQ(t.window(9), "(9): 'SQLUserManagement.txt'");
    ASSERT_TRUE(t.load(Slot::Window, "SQLProgressDialog.txt"));
    EXPECT_EQ(t.window(1), "Executing query");
    EXPECT_EQ(t.window(2), "role");
    EXPECT_EQ(t.window(9), "(9): 'SQLProgressDialog.txt'");
    EXPECT_FALSE(t.has(Slot::Window, 9));
}

TEST(TextTables, FailuresAreReportedAndKeepWhatWasLoaded) {
    LanguageFolder sys;
    sys.write("UK", "Hints.txt", "TXT1=Close\r\n");
    sys.write("UK", "Message.txt", "TXT1=uk\r\n");
    sys.makeUnreadable("DE", "Message.txt");
    sys.makeUnreadable("UK", "Printer.txt");
    ScriptedPrompts prompts;
    TextTables t(prompts);
    t.setLocation(sys.path(), "DE");
    ASSERT_TRUE(t.load(Slot::Hints, "Hints.txt"));
    EXPECT_FALSE(t.load(Slot::Hints, "Nowhere.txt"));
    expectOneFailure(prompts, "Could not load UK text file");
    EXPECT_EQ(t.hint(1), "Close");
    EXPECT_FALSE(t.load(Slot::Printer, "Printer.txt"));  // there but unreadable: missing
    expectOneFailure(prompts, "Could not load UK text file");
    EXPECT_FALSE(t.load(Slot::Messages, "Message.txt"));
    expectOneFailure(prompts, "Could not load language speciffic text file. Using UK");
    EXPECT_EQ(t.message(1), "uk");
}

TEST(TextTables, StartupLoadsStopAtTheFirstFailure) {
    LanguageFolder sys;
    for (const char* f : {"Hints.txt", "Printer.txt", "Message.txt", "SLock.txt", "ReportDialog.txt",
                          "SQL_ReportProfile.txt", "SQLUserManagement.txt"})
        sys.write("UK", f, "TXT1=" + QByteArray(f) + "\r\n");
    ScriptedPrompts prompts;
    const auto tables = [&] {
        auto t = std::make_unique<TextTables>(prompts);
        t->setLocation(sys.path(), "UK");
        return t;
    };
    auto t = tables();
    ASSERT_TRUE(t->loadInitial());
    EXPECT_EQ(t->lock(1) + t->printer(1) + t->hint(1) + t->message(1),
              "SLock.txtPrinter.txtHints.txtMessage.txt");
    EXPECT_EQ(t->fileName(Slot::Profile), "");
    // The lock texts come with the start-up's files too: the folder is
    // known only once the session is read.
    t = tables();
    ASSERT_TRUE(t->loadStartup());
    EXPECT_EQ(t->hint(1) + t->message(1) + t->reportDialog(1) + t->profile(1) + t->window(1) + t->lock(1),
              "Hints.txtMessage.txtReportDialog.txtSQL_ReportProfile.txtSQLUserManagement.txtSLock.txt");
    EXPECT_TRUE(prompts.take().empty());

    // Only the locked window needs them: without them the start-up goes on after the message.
    QFile::remove(sys.path() + "/UK/SLock.txt");
    t = tables();
    EXPECT_TRUE(t->loadStartup());
    EXPECT_EQ(prompts.take().size(), 1u);
    EXPECT_EQ(t->window(1), "SQLUserManagement.txt");
    // Without ReportDialog.txt the profile texts are never read, and one message is shown.
    QFile::remove(sys.path() + "/UK/ReportDialog.txt");
    t = tables();
    EXPECT_FALSE(t->loadStartup());
    EXPECT_EQ(prompts.take().size(), 1u);
    EXPECT_EQ(t->message(1), "Message.txt");
    EXPECT_EQ(t->fileName(Slot::Profile), "");
    // loadInitial reads every file it can and reports each failure.
    QFile::remove(sys.path() + "/UK/Printer.txt");
    t = tables();
    EXPECT_FALSE(t->loadInitial());
    EXPECT_EQ(prompts.take().size(), 2u);
    EXPECT_EQ(t->message(1), "Message.txt");
}

namespace {

const QString kLangDir = QStringLiteral(PA_LANG_DIR);

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file's table, failing the test for every malformed line.
text::TextTable checkFile(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith('/')) << "the first line is a comment header";
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << "a bare line feed";
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n")) << "a bare carriage return";
    static const QRegularExpression definition(QStringLiteral("^TXT(\\d+)="));
    std::set<int> numbers;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.startsWith("TXT")) continue;
        const auto m = definition.match(QString::fromLatin1(line));
        EXPECT_TRUE(m.hasMatch()) << "malformed line: " << line.toStdString();
        EXPECT_TRUE(!m.hasMatch() || numbers.insert(m.captured(1).toInt()).second)
            << "duplicate number in: " << line.toStdString();
    }
    text::TextTable table;
    text::mergeTextFile(bytes, table);
    return table;
}

// The markers the program replaces in a text (%1, %s, &1), sorted.
std::vector<std::string> placeholders(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("%[0-9a-z]|&[0-9]"));
    std::vector<std::string> found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found.push_back(it.next().captured().toStdString());
    std::ranges::sort(found);
    return found;
}

}  // namespace

// A German session reads each file's German text where there is one and
// the UK text otherwise; German defines nothing UK lacks.
TEST(LanguageFiles, EveryLineParsesAndGermanFallsBackToUk) {
    const QStringList files = QDir(kLangDir + "/UK").entryList({"*.txt"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    EXPECT_FALSE(QDir(kLangDir + "/DE").entryList({"*.txt"}, QDir::Files).isEmpty());
    for (const QString& file : QDir(kLangDir + "/DE").entryList({"*.txt"}, QDir::Files))
        EXPECT_TRUE(files.contains(file)) << "no UK file for DE/" << file.toStdString();
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const text::TextTable uk = checkFile(kLangDir + "/UK/" + file);
        const bool hasGerman = QFile::exists(kLangDir + "/DE/" + file);
        const text::TextTable de = hasGerman ? checkFile(kLangDir + "/DE/" + file) : text::TextTable();
        testing_support::ScriptedPrompts prompts;
        text::TextTables tables(prompts);
        tables.setLocation(kLangDir, "DE");
        ASSERT_TRUE(tables.load(text::Slot::Window, file));
        for (const auto& [number, ukText] : uk) {
            const auto german = de.find(number);
            EXPECT_EQ(tables.window(number), german == de.end() ? ukText : german->second) << number;
        }
        for (const auto& [number, germanText] : de) {
            const auto english = uk.find(number);
            EXPECT_TRUE(english != uk.end()) << number << " is German only";
            if (english != uk.end())
                EXPECT_EQ(placeholders(germanText), placeholders(english->second))
                    << number << ": a translation must fill in what the program fills in";
        }
    }
}
