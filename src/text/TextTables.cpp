#include "text/TextTables.h"

#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

namespace text {

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes map to the C1 control
// of the same value, as Windows itself does. Everything else is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char kFailedCaption[] = "Failed to load";
constexpr char kUkMissing[] = "Could not load UK text file";
constexpr char kLanguageUnreadable[] = "Could not load language speciffic text file. Using UK";

void classifyLine(const QByteArray& line, TextTable& table) {
    if (!line.startsWith("TXT")) return;  // comments ("/...") and anything else
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) return;
    // The digits right after the prefix are the number; none (or a blank
    // first) gives 0. A number beyond 32 bits cannot be asked for: skip it.
    qint64 number = 0;
    for (qsizetype i = 3; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        number = number * 10 + (line[i] - '0');
        if (number > std::numeric_limits<int>::max()) return;
    }
    table[int(number)] = decodeWindows1252(line.mid(equals + 1));
}

}  // namespace

QString decodeWindows1252(const QByteArray& bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* dst = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(kHighControls[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

void mergeTextFile(const QByteArray& content, TextTable& table) {
    QByteArray line;
    for (const char c : content) {
        if (c == '\r') {
            classifyLine(line, table);
            line.clear();
        } else if (c != '\n') {
            line.append(c);
        }
    }
    if (!line.isEmpty()) classifyLine(line, table);
}

QString withLineBreaks(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return out;
}

TextTables::TextTables(ui::Prompts& prompts) : prompts_(prompts) {}

void TextTables::setLocation(const QString& sysDir, const QString& language) {
    sysDir_ = sysDir;
    language_ = language;
}

TextTables::ReadResult TextTables::readInto(const QString& path, TextTable& texts) const {
    if (!QFileInfo::exists(path)) return ReadResult::Missing;
    QFile file(path);
    // A file we cannot open or read (a folder of that name, no permission)
    // is reported rather than taken as an empty table.
    if (!file.open(QIODevice::ReadOnly)) return ReadResult::Unreadable;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) return ReadResult::Unreadable;
    mergeTextFile(content, texts);
    return ReadResult::Read;
}

bool TextTables::load(Slot slot, const QString& fileName) {
    Table& t = table(slot);
    t.fileName = fileName;

    const QDir sys(sysDir_);
    if (readInto(sys.filePath(QString::fromLatin1(kBaseLanguage) + u'/' + fileName), t.texts) !=
        ReadResult::Read) {
        prompts_.message(ui::Icon::Error, QString::fromLatin1(kUkMissing),
                         QString::fromLatin1(kFailedCaption));
        return false;
    }
    if (language_.isEmpty() || language_ == QLatin1String(kBaseLanguage)) return true;

    switch (readInto(sys.filePath(language_ + u'/' + fileName), t.texts)) {
        case ReadResult::Missing: return true;
        case ReadResult::Unreadable:
            prompts_.message(ui::Icon::Error, QString::fromLatin1(kLanguageUnreadable),
                             QString::fromLatin1(kFailedCaption));
            return false;
        case ReadResult::Read: return true;
    }
    return true;
}

QString TextTables::text(Slot slot, int number) {
    Table& t = table(slot);
    const auto it = t.texts.find(number);
    if (it != t.texts.end()) return it->second;
    // Not stored: a file loaded later may still define the number, and the
    // placeholder names the slot's file as it is then.
    return u'(' + QString::number(number) + QStringLiteral("): '") + t.fileName + u'\'';
}

bool TextTables::has(Slot slot, int number) const { return table(slot).texts.count(number) != 0; }

QString TextTables::fileName(Slot slot) const { return table(slot).fileName; }

bool TextTables::loadInitial() {
    bool ok = load(Slot::Printer, QString::fromLatin1(kPrinterFile));
    ok = load(Slot::Hints, QString::fromLatin1(kHintsFile)) && ok;
    ok = load(Slot::Messages, QString::fromLatin1(kMessageFile)) && ok;
    ok = load(Slot::Lock, QString::fromLatin1(kLockFile)) && ok;
    return ok;
}

bool TextTables::loadStartup() {
    // One message is enough: the start-up ends at the first file that fails.
    const bool ok = load(Slot::Hints, QString::fromLatin1(kHintsFile)) &&
                    load(Slot::Printer, QString::fromLatin1(kPrinterFile)) &&
                    load(Slot::Messages, QString::fromLatin1(kMessageFile)) &&
                    load(Slot::ReportDialog, QString::fromLatin1(kReportDialogFile)) &&
                    load(Slot::Profile, QString::fromLatin1(kProfileFile)) &&
                    load(Slot::Window, QString::fromLatin1(kUserManagementFile));
    // The lock texts belong to the tables from their creation, but the
    // folder is known only once the session is read: they come now. Only
    // the session-locked window needs them, so their loss (shown like any
    // other) does not end the start-up.
    if (ok) load(Slot::Lock, QString::fromLatin1(kLockFile));
    return ok;
}

}  // namespace text
