#pragma once
// The category allocation file that carries an allocation from one profile
// to another, without widgets: the writer produces the tagged lines, the
// reader takes them back with an XML reader. Both variants (event codes and
// power reduction modes) share the format and differ only in the header.
//
// Files are written in UTF-8. A file that is not valid UTF-8 was written in
// the Windows Western code page (older installations, hand edits) and is read
// as such.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace categorization {

// Files of real systems are a few hundred KB at most; anything larger is not
// an allocation file and is refused before it is parsed.
inline constexpr qint64 kAllocationFileLimit = 16 << 20;

inline constexpr char kEventFileVersion[] = "2.00";
inline constexpr char kDeratingFileVersion[] = "1.00";
inline constexpr char kAllDeratingSources[] = "All";

struct AllocationFileCategory {
    int id = 0;
    QString title;
    // The category of the receiving window it stands for; -1 while unresolved.
    int resolvedId = -1;
};

// One ALLOCATION line; numbers not given are 0.
struct AllocationFileLine {
    int key = 0;  // EventCodeId / PowerReductionModeId
    int category = 0;
    int disabled = 0;
    int sourceNumber = 0;  // ResponsibleSourceNumber, 0 for derating files

    bool operator==(const AllocationFileLine&) const = default;
};

struct AllocationFile {
    // Event files carry the event list, derating files the derating sources.
    bool derating = false;
    QString version;
    QString eventList;
    QString deratingSources;
    std::vector<AllocationFileCategory> categories;
    std::vector<AllocationFileLine> allocations;
};

// An empty file of either variant with its version and header text.
AllocationFile eventAllocationFile(const QString& eventListTitle);
AllocationFile deratingAllocationFile();

// Where an export goes when the user chose `chosen`: its name's extension
// replaced by ".XML". Empty when the choice names no file.
QString allocationFilePath(const QString& chosen);

// The file's lines, each ending with a line feed, in UTF-8.
QByteArray writeAllocationFile(const AllocationFile& file);

// Nothing when the content is no allocation file: not well-formed XML, a
// CATEGORY without a comma, an ALLOCATION with more than four fields, or
// more than kAllocationFileLimit bytes.
std::optional<AllocationFile> readAllocationFile(const QByteArray& content);

}  // namespace categorization
