#pragma once
// The layout rules of a printed list, without a paint device: how columns
// are dealt out to page templates, how a caption breaks into lines, how
// column widths fit the page, and which rows go on which page. Lengths are
// millimetres, so every device shows the same pages.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace reports {

// One page template holds at most this many columns.
inline constexpr int kColumnsPerTemplate = 20;
inline constexpr int kCaptionLines = 3;

struct ColumnRange {
    int first = 0;
    int count = 0;

    bool operator==(const ColumnRange&) const = default;
};

// Columns 0..count-1 in order, `perTemplate` to a template; at least one
// (possibly empty) template so that a report always has a page.
std::vector<ColumnRange> dealColumns(int columnCount, int perTemplate = kColumnsPerTemplate);

// The width of a text in millimetres.
using Measure = std::function<double(const QString&)>;

// Breaks a caption at blanks into at most `maxLines` lines no wider than
// `width`; a word wider than a line is broken between characters, and what
// does not fit into the last line ends in "...".
QStringList wrapCaption(const QString& caption, double width, const Measure& measure,
                        int maxLines = kCaptionLines);

// Widths for columns that want `natural` widths on a line of `available`
// width. Every column gets at least `minimum` (as far as the line allows).
// When all fit, each keeps its natural width; otherwise the width beyond the
// minimums is shared in proportion to what each wants beyond its minimum,
// so narrow columns stay narrow and the line is filled exactly.
std::vector<double> fitColumnWidths(const std::vector<double>& natural, double available, double minimum);

// The rows of one page: [first, first + count).
struct PageRows {
    int first = 0;
    int count = 0;

    bool operator==(const PageRows&) const = default;
};

struct PageSpace {
    double firstBody = 0;   // height for rows on the first page (below its header)
    double otherBody = 0;   // on every later page
    double row = 1;         // height of one row
    double lastFooter = 0;  // the footer of the last page, below its last row
};

// Pages for `rows` rows: each page takes as many rows as fit; the footer of
// the last page goes below the last row, on a page of its own when it does
// not fit there. Always at least one page.
std::vector<PageRows> paginate(int rows, const PageSpace& space);

}  // namespace reports
