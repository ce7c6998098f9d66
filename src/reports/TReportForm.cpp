#include "reports/TReportForm.h"

#include <QPainter>
#include <algorithm>

namespace reports {

using namespace form;

TReportForm::TReportForm(ReportContent& content, ColumnRange range, double widthMm, double heightMm)
    : content_(content), range_(range), widthMm_(widthMm), heightMm_(heightMm) {
    MmMeasure detail(reportFont(kDetailPoints));
    MmMeasure caption(reportFont(kCaptionPoints, true));
    std::vector<double> natural;
    for (int c = range.first; c < range.first + range.count; ++c) {
        double want = 0;
        for (const QString& word : content.captions[size_t(c)].split(u' ', Qt::SkipEmptyParts))
            want = std::max(want, caption.width(word));
        for (auto& row : content.rows) {
            ReportCell& cell = row[size_t(c)];
            cell.widthMm = detail.width(cell.text);
            want = std::max(want, cell.widthMm);
        }
        natural.push_back(std::min(want + 2 * kCellPadding, kMaxNaturalColumn));
    }
    widths_ = fitColumnWidths(natural, widthMm_, kMinColumn);

    const Measure measureCaption = [&caption](const QString& text) { return caption.width(text); };
    for (int i = 0; i < range.count; ++i) {
        const int c = range.first + i;
        const double inner = widths_[size_t(i)] - 2 * kCellPadding;
        captionLines_.push_back(wrapCaption(content.captions[size_t(c)], inner, measureCaption));
        captionLineCount_ = std::max(captionLineCount_, int(captionLines_.back().size()));
        for (auto& row : content.rows) {
            ReportCell& cell = row[size_t(c)];
            if (cell.widthMm > inner) {
                cell.text = detail.elided(cell.text, inner);
                cell.widthMm = detail.width(cell.text);
            }
        }
    }

    PageSpace space;
    space.row = kRow;
    const double common = captionBandHeight() + kPageFooter;
    space.firstBody = heightMm_ - headerHeight() - common;
    space.otherBody = heightMm_ - common;
    space.lastFooter = kLastFooter;
    pages_ = paginate(int(content.rows.size()), space);
}

double TReportForm::headerHeight() const {
    int lines = 0;
    for (size_t i = 1; i < content_.headerTexts.size(); ++i)
        if (!content_.headerTexts[i].isEmpty()) ++lines;
    return kLogoHeight + kTitleGap + lines * kHeaderLine + kTitleGap;
}

double TReportForm::captionBandHeight() const { return captionLineCount_ * kCaptionLine + 2.0; }

void TReportForm::paintPage(QPainter& painter, const PageGeometry& g, int page, int number, int total) const {
    double y = 0;
    if (page == 0) paintHeader(painter, g, y);
    paintCaptions(painter, g, y);
    paintRows(painter, g, pages_[size_t(page)], y);
    paintFooters(painter, g, page, number, total, y);
}

namespace {

// The image scaled into a box, keeping its proportions; left or right aligned.
void paintLogo(QPainter& painter, const PageGeometry& g, const QImage& logo, double x, bool alignRight) {
    if (logo.isNull()) return;
    const double scale = std::min(kLogoWidth / logo.width(), kLogoHeight / logo.height());
    const double w = logo.width() * scale;
    const double h = logo.height() * scale;
    const double left = alignRight ? x + kLogoWidth - w : x;
    painter.drawImage(QRectF(g.px(left), g.px((kLogoHeight - h) / 2), g.px(w), g.px(h)), logo);
}

}  // namespace

void TReportForm::paintHeader(QPainter& painter, const PageGeometry& g, double& y) const {
    paintLogo(painter, g, content_.logo1, 0, false);
    paintLogo(painter, g, content_.logo2, widthMm_ - kLogoWidth, true);
    painter.setFont(reportFont(kTitlePoints, true));
    const QRectF titleBox(g.px(kLogoWidth), 0, g.px(widthMm_ - 2 * kLogoWidth), g.px(kLogoHeight));
    painter.drawText(titleBox, Qt::AlignCenter | Qt::TextWordWrap, content_.headerTexts[0]);
    y = kLogoHeight + kTitleGap;
    painter.setFont(reportFont(kHeaderPoints));
    for (size_t i = 1; i < content_.headerTexts.size(); ++i) {
        if (content_.headerTexts[i].isEmpty()) continue;
        painter.drawText(QRectF(0, g.px(y), g.px(widthMm_), g.px(kHeaderLine)),
                         Qt::AlignLeft | Qt::AlignVCenter, content_.headerTexts[i]);
        y += kHeaderLine;
    }
    y += kTitleGap;
}

void TReportForm::paintCaptions(QPainter& painter, const PageGeometry& g, double& y) const {
    const QFont font = reportFont(kCaptionPoints, true);
    painter.setFont(font);
    const double ascent = MmMeasure(font).ascent();
    double x = 0;
    for (int i = 0; i < range_.count; ++i) {
        const QStringList& lines = captionLines_[size_t(i)];
        const bool right = content_.rightAligned[size_t(range_.first + i)];
        for (int l = 0; l < int(lines.size()); ++l) {
            const double baseline = y + 1.0 + l * kCaptionLine + ascent;
            double left = x + kCellPadding;
            if (right) {
                const double w = painter.fontMetrics().horizontalAdvance(lines[l]) / g.pxPerMm;
                left = x + widths_[size_t(i)] - kCellPadding - w;
            }
            painter.drawText(QPointF(g.px(left), g.px(baseline)), lines[l]);
        }
        x += widths_[size_t(i)];
    }
    y += captionBandHeight();
    painter.setPen(QPen(Qt::black, g.px(0.3)));
    painter.drawLine(QPointF(0, g.px(y - 0.5)), QPointF(g.px(x), g.px(y - 0.5)));
}

void TReportForm::paintRows(QPainter& painter, const PageGeometry& g, const PageRows& rows, double& y) const {
    const QFont font = reportFont(kDetailPoints);
    painter.setFont(font);
    const double ascent = MmMeasure(font).ascent();
    const double offset = (kRow - MmMeasure(font).height()) / 2 + ascent;
    double lineWidth = 0;
    for (double w : widths_) lineWidth += w;
    const QColor shade(240, 240, 240);
    for (int r = rows.first; r < rows.first + rows.count; ++r) {
        if ((r - rows.first) % 2 == 1)
            painter.fillRect(QRectF(0, g.px(y), g.px(lineWidth), g.px(kRow)), shade);
        const auto& cells = content_.rows[size_t(r)];
        double x = 0;
        for (int i = 0; i < range_.count; ++i) {
            const int c = range_.first + i;
            const ReportCell& cell = cells[size_t(c)];
            if (!cell.text.isEmpty()) {
                const double left = content_.rightAligned[size_t(c)]
                                        ? x + widths_[size_t(i)] - kCellPadding - cell.widthMm
                                        : x + kCellPadding;
                painter.drawText(QPointF(g.px(left), g.px(y + offset)), cell.text);
            }
            x += widths_[size_t(i)];
        }
        y += kRow;
    }
}

void TReportForm::paintFooters(QPainter& painter, const PageGeometry& g, int page, int number, int total,
                               double y) const {
    painter.setPen(QPen(Qt::black, g.px(0.2)));
    if (page == pageCount() - 1) {
        painter.drawLine(QPointF(0, g.px(y + 1)), QPointF(g.px(widthMm_), g.px(y + 1)));
        painter.setFont(reportFont(kFooterPoints, true));
        painter.drawText(QRectF(0, g.px(y + 1.5), g.px(widthMm_), g.px(kLastFooter - 1.5)),
                         Qt::AlignLeft | Qt::AlignVCenter, content_.rowCountText.arg(content_.rows.size()));
    }
    const double top = heightMm_ - kPageFooter;
    painter.drawLine(QPointF(0, g.px(top + 1)), QPointF(g.px(widthMm_), g.px(top + 1)));
    painter.setFont(reportFont(kFooterPoints));
    const QRectF band(0, g.px(top + 1.5), g.px(widthMm_), g.px(kPageFooter - 1.5));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, content_.printedText);
    painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter, content_.pageText.arg(number).arg(total));
}

}  // namespace reports
