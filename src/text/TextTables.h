#pragma once
// Numbered texts from the installation's language files. Every caption, hint
// and message of the windows is looked up here by table and number.
//
// Files live below <SysDir>/<language>/; "UK" is the base language that is
// always read first, another language only replaces the numbers it defines.

#include <QByteArray>
#include <QString>
#include <array>
#include <map>

namespace ui {
class Prompts;
}

namespace text {

enum class Slot { Profile, Messages, Hints, Printer, Window, ReportDialog, Lock };

using TextTable = std::map<int, QString>;

// The folder of the base language; its files must exist.
inline constexpr char kBaseLanguage[] = "UK";

// File names of the fixed tables.
inline constexpr char kProfileFile[] = "SQL_ReportProfile.txt";
inline constexpr char kMessageFile[] = "Message.txt";
inline constexpr char kHintsFile[] = "Hints.txt";
inline constexpr char kPrinterFile[] = "Printer.txt";
inline constexpr char kReportDialogFile[] = "ReportDialog.txt";
inline constexpr char kLockFile[] = "SLock.txt";
inline constexpr char kUserManagementFile[] = "SQLUserManagement.txt";
inline constexpr char kProgressDialogFile[] = "SQLProgressDialog.txt";
inline constexpr char kReportMenuFile[] = "ReportMenu.txt";

// The files are 8-bit text in the Windows Western code page.
QString decodeWindows1252(const QByteArray& bytes);

// Merges the definitions of one file's content into `table`: a carriage
// return ends a line, line feeds are dropped, "/" starts a comment, and
// "TXT<digits>=<text>" defines a number (later definitions win). Lines
// without "=" define nothing.
void mergeTextFile(const QByteArray& content, TextTable& table);

// Turns each two-character sequence backslash + "n" into a line break.
QString withLineBreaks(const QString& text);

class TextTables {
public:
    explicit TextTables(ui::Prompts& prompts);
    TextTables(const TextTables&) = delete;
    TextTables& operator=(const TextTables&) = delete;

    // The system directory holding one folder per language, and the
    // session's language (the folder name).
    void setLocation(const QString& sysDir, const QString& language);
    QString sysDir() const { return sysDir_; }
    QString language() const { return language_; }

    // Reads the UK file and then the language's file of that name into the
    // slot; texts already in the slot stay unless the file redefines them.
    // Shows a message and returns false when the UK file is missing or the
    // language file cannot be read.
    bool load(Slot slot, const QString& fileName);

    // Never fails: a missing number yields "(N): '<file>'", which is kept so
    // the next lookup gives the same text.
    QString text(Slot slot, int number);

    QString profile(int number) { return text(Slot::Profile, number); }
    QString message(int number) { return text(Slot::Messages, number); }
    QString hint(int number) { return text(Slot::Hints, number); }
    QString printer(int number) { return text(Slot::Printer, number); }
    QString window(int number) { return text(Slot::Window, number); }
    QString reportDialog(int number) { return text(Slot::ReportDialog, number); }
    QString lock(int number) { return text(Slot::Lock, number); }

    // Whether a loaded file defined the text; windows with wording of their
    // own fall back to it when this is false.
    bool has(Slot slot, int number) const;
    bool hasPrinterText(int number) const { return has(Slot::Printer, number); }

    // The slot's last loaded file name (empty before the first load).
    QString fileName(Slot slot) const;

    // Printer, Hints, Message and SLock: what the tables hold right after
    // creation. Returns false when any of them failed.
    bool loadInitial();
    // Hints, Printer, Message, ReportDialog, SQL_ReportProfile and
    // SQLUserManagement, in that order; stops at the first failure. Then
    // SLock, whose failure is shown but not returned.
    bool loadStartup();

private:
    struct Table {
        QString fileName;
        TextTable texts;
    };
    enum class ReadResult { Missing, Unreadable, Read };

    Table& table(Slot slot) { return tables_[static_cast<std::size_t>(slot)]; }
    const Table& table(Slot slot) const { return tables_[static_cast<std::size_t>(slot)]; }
    ReadResult readInto(const QString& path, TextTable& texts) const;

    ui::Prompts& prompts_;
    QString sysDir_;
    QString language_;
    std::array<Table, 7> tables_;
};

}  // namespace text
