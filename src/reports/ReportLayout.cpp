#include "reports/ReportLayout.h"

#include <algorithm>
#include <cmath>

namespace reports {

std::vector<ColumnRange> dealColumns(int columnCount, int perTemplate) {
    std::vector<ColumnRange> ranges;
    perTemplate = std::max(perTemplate, 1);
    for (int first = 0; first < columnCount; first += perTemplate)
        ranges.push_back({first, std::min(perTemplate, columnCount - first)});
    if (ranges.empty()) ranges.push_back({0, 0});
    return ranges;
}

namespace {

// The longest start of `text` that fits `width` (at least one character).
qsizetype fittingPrefix(const QString& text, double width, const Measure& measure) {
    qsizetype n = 1;
    while (n < text.size() && measure(text.left(n + 1)) <= width) ++n;
    return n;
}

QString elided(const QString& text, double width, const Measure& measure) {
    static const QString kEllipsis = QStringLiteral("...");
    if (measure(text) <= width) return text;
    QString head = text;
    while (!head.isEmpty() && measure(head + kEllipsis) > width) head.chop(1);
    return head + kEllipsis;
}

}  // namespace

QStringList wrapCaption(const QString& caption, double width, const Measure& measure, int maxLines) {
    QStringList lines;
    if (maxLines <= 0) return lines;
    QStringList words = caption.simplified().split(u' ', Qt::SkipEmptyParts);
    QString line;
    qsizetype i = 0;
    while (i < words.size() && int(lines.size()) < maxLines) {
        const QString word = words[i];
        const QString joined = line.isEmpty() ? word : line + u' ' + word;
        if (measure(joined) <= width) {
            line = joined;
            ++i;
            continue;
        }
        if (line.isEmpty()) {
            // A single word wider than the line: break it between characters.
            const qsizetype n = fittingPrefix(word, width, measure);
            line = word.left(n);
            words[i] = word.mid(n);
            if (words[i].isEmpty()) ++i;
        }
        lines << line;
        line.clear();
    }
    if (!line.isEmpty()) {
        lines << line;  // only reached with a line to spare
        return lines;
    }
    if (i < words.size()) {
        // Out of lines: the rest of the caption joins the last line, shortened.
        const QString rest = QStringList(words.mid(i)).join(u' ');
        lines.back() = elided(lines.back() + u' ' + rest, width, measure);
    }
    return lines;
}

std::vector<double> fitColumnWidths(const std::vector<double>& natural, double available, double minimum) {
    std::vector<double> widths(natural.size(), 0.0);
    if (natural.empty() || available <= 0) return widths;
    const double n = double(natural.size());
    double total = 0;
    for (double w : natural) total += std::max(w, minimum);
    if (total <= available) {
        for (size_t i = 0; i < natural.size(); ++i) widths[i] = std::max(natural[i], minimum);
        return widths;
    }
    if (minimum * n >= available) {
        std::fill(widths.begin(), widths.end(), available / n);
        return widths;
    }
    double wanted = 0;
    for (double w : natural) wanted += std::max(w - minimum, 0.0);
    const double spare = available - minimum * n;
    for (size_t i = 0; i < natural.size(); ++i) {
        const double extra = std::max(natural[i] - minimum, 0.0);
        widths[i] = minimum + (wanted > 0 ? spare * extra / wanted : spare / n);
    }
    return widths;
}

std::vector<PageRows> paginate(int rows, const PageSpace& space) {
    std::vector<PageRows> pages;
    const double rowHeight = space.row > 0 ? space.row : 1;
    const auto fit = [&](double body) { return std::max(1, int(std::floor(body / rowHeight + 1e-9))); };
    int next = 0;
    double usedOnLast = 0;
    double bodyOfLast = space.firstBody;
    do {
        const double body = pages.empty() ? space.firstBody : space.otherBody;
        const int count = std::min(fit(body), rows - next);
        pages.push_back({next, count});
        next += count;
        usedOnLast = count * rowHeight;
        bodyOfLast = body;
    } while (next < rows);
    if (usedOnLast + space.lastFooter > bodyOfLast + 1e-9) pages.push_back({rows, 0});
    return pages;
}

}  // namespace reports
