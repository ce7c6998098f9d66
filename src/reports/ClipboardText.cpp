#include "reports/ClipboardText.h"

namespace reports {

QString clipboardText(const TableData& table, const QLocale& userLocale) {
    const QLocale locale = plainLocale(userLocale);
    static constexpr QLatin1String kLineEnd("\r\n");
    QString text;
    // A rough size up front spares the string most of its regrowth.
    text.reserve(qsizetype((table.rows.size() + 1) * (table.columns.size() * 8 + 2)));
    const auto appendLine = [&](const auto& cellOf) {
        for (size_t c = 0; c < table.columns.size(); ++c) {
            if (c > 0) text += u'\t';
            text += singleLine(cellOf(c));
        }
        text += kLineEnd;
    };
    appendLine([&](size_t c) { return table.columns[c].caption; });
    for (const auto& row : table.rows)
        appendLine([&](size_t c) { return cellText(row[c], table.columns[c].type, locale); });
    return text;
}

}  // namespace reports
