// Checks the language files we ship, so a broken line or a lost text shows
// up here and not as a placeholder on screen.

#include "support/ScriptedPrompts.h"
#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <set>

namespace {

const QString kLangDir = QStringLiteral(PA_LANG_DIR);

const QStringList kUkFiles = {"SQL_ReportProfile.txt", "Message.txt",           "Hints.txt",
                              "Printer.txt",           "ReportDialog.txt",      "SLock.txt",
                              "SQLUserManagement.txt", "SQLProgressDialog.txt", "ReportMenu.txt"};

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// The numbers a file defines, failing the test for every malformed line.
std::set<int> checkFile(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    const QByteArray bytes = readFile(path);
    EXPECT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith('/')) << "the first line is a comment header";
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        } else if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    static const QRegularExpression definition(QStringLiteral("^TXT(\\d+)="));
    std::set<int> numbers;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.startsWith("TXT")) continue;
        const auto m = definition.match(QString::fromLatin1(line));
        if (!m.hasMatch()) {
            ADD_FAILURE() << "malformed line: " << line.toStdString();
            continue;
        }
        EXPECT_TRUE(numbers.insert(m.captured(1).toInt()).second)
            << "duplicate number in: " << line.toStdString();
    }
    return numbers;
}

}  // namespace

TEST(LanguageFiles, EveryLineParsesAndGermanIsASubsetOfUk) {
    const QDir uk(kLangDir + "/UK");
    for (const QString& name : kUkFiles) EXPECT_TRUE(uk.exists(name)) << name.toStdString();

    std::map<QString, std::set<int>> ukNumbers;
    for (const QString& name : uk.entryList({"*.txt"}, QDir::Files))
        ukNumbers[name] = checkFile(uk.filePath(name));

    const QDir de(kLangDir + "/DE");
    const QStringList deFiles = de.entryList({"*.txt"}, QDir::Files);
    EXPECT_FALSE(deFiles.isEmpty());
    for (const QString& name : deFiles) {
        ASSERT_TRUE(ukNumbers.count(name)) << "no UK file for DE/" << name.toStdString();
        for (int n : checkFile(de.filePath(name)))
            EXPECT_TRUE(ukNumbers[name].count(n)) << name.toStdString() << " text " << n << " is German only";
    }
}

TEST(LanguageFiles, TextsTheWindowsUseAreDefined) {
    const std::map<QString, std::vector<int>> required = {
        {"SQL_ReportProfile.txt",
         {10,  11,  12,  13,  14,  15,  16,  20,  21,  50,  51,  59,  64,  290, 291, 292, 293, 294, 295, 296,
          297, 311, 530, 531, 532, 533, 540, 541, 542, 543, 550, 551, 553, 555, 556, 557, 558, 560, 561}},
        {"Message.txt", {70, 71, 72, 73, 9050, 9051, 9052}},
        {"Hints.txt", {0, 21, 22, 39}},
        {"SLock.txt", {0, 1}},
        {"SQLProgressDialog.txt", {0, 1, 2, 3, 4, 5}},
    };
    for (const auto& [file, numbers] : required) {
        text::TextTable table;
        text::mergeTextFile(readFile(kLangDir + "/UK/" + file), table);
        for (int n : numbers) EXPECT_TRUE(table.count(n)) << file.toStdString() << " lacks text " << n;
    }
    // Main window captions.
    text::TextTable profile;
    text::mergeTextFile(readFile(kLangDir + "/UK/SQL_ReportProfile.txt"), profile);
    for (int n = 601; n <= 623; ++n)
        EXPECT_TRUE(profile.count(n)) << "SQL_ReportProfile.txt lacks text " << n;
}

TEST(LanguageFiles, GermanSessionLoadsWithUkFallback) {
    testing_support::ScriptedPrompts prompts;
    text::TextTables t(prompts);
    t.setLocation(kLangDir, "DE");
    ASSERT_TRUE(t.loadInitial());
    ASSERT_TRUE(t.loadStartup());
    ASSERT_TRUE(t.load(text::Slot::Window, "SQLProgressDialog.txt"));
    ASSERT_TRUE(t.load(text::Slot::Window, "ReportMenu.txt"));

    EXPECT_EQ(t.message(73), QString::fromUtf8("&Schließen"));
    EXPECT_EQ(t.lock(0), "Sitzung ist gesperrt");
    EXPECT_EQ(t.hint(21), "Copy to clipboard");
    EXPECT_EQ(t.profile(540), "Remove profile");
    // The report menu's texts replace the numbers they define; the others stay.
    EXPECT_EQ(t.window(0), "Executing query");
    EXPECT_EQ(t.window(1), QString::fromUtf8("Berichtsmenü"));
    EXPECT_EQ(text::withLineBreaks(t.profile(561)).count(u'\n'), 1);
}
