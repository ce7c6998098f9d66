// Checks the language files we ship, so a broken line shows up here and not
// as a placeholder on screen. (Each window's test sweeps its texts for
// placeholders; see support/MissingTexts.h.)

#include "support/ScriptedPrompts.h"
#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <set>

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
        for (const auto& entry : de) EXPECT_TRUE(uk.count(entry.first)) << entry.first << " is German only";
    }
}
