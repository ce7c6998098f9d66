#pragma once
// One page template of a printed list: up to 20 columns of the report, with
// their widths and three-line captions, and the pages its rows fill. Each
// template starts with the first-page header (the seven header texts and the
// two logos), repeats the column captions on every page, numbers its pages
// within the whole report and ends with the last-page footer.

#include "reports/ReportLayout.h"
#include "reports/ReportPages.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace reports {

struct ReportCell {
    QString text;
    double widthMm = 0;  // of the text as printed
};

// What every template of one report shares: the header, the labels, and
// the rows' texts for all columns.
struct ReportContent {
    std::array<QString, 7> headerTexts;         // HeaderText1 (the title) .. HeaderText7
    QImage logo1;                               // Image1, left; a null image leaves its place empty
    QImage logo2;                               // Image2, right
    QString printedText;                        // bottom left of every page
    QString pageText;                           // "%1" page number, "%2" page count
    QString rowCountText;                       // the last-page footer; "%1" the number of rows
    QStringList captions;                       // per column
    std::vector<bool> rightAligned;             // per column: numbers
    std::vector<std::vector<ReportCell>> rows;  // per row, one cell per column
};

// The fixed measures of the templates, in millimetres.
namespace form {
inline constexpr double kLogoHeight = 16.0;
inline constexpr double kLogoWidth = 45.0;
inline constexpr double kTitleGap = 2.0;
inline constexpr double kHeaderLine = 4.6;
inline constexpr double kCaptionLine = 3.4;
inline constexpr double kRow = 4.3;
inline constexpr double kCellPadding = 1.0;
inline constexpr double kMinColumn = 8.0;
inline constexpr double kMaxNaturalColumn = 70.0;
inline constexpr double kPageFooter = 6.0;
inline constexpr double kLastFooter = 7.0;
inline constexpr double kTitlePoints = 14.0;
inline constexpr double kHeaderPoints = 9.0;
inline constexpr double kCaptionPoints = 7.0;
inline constexpr double kDetailPoints = 7.5;
inline constexpr double kFooterPoints = 7.0;
}  // namespace form

class TReportForm {
public:
    // Lays out the columns of `range` for a paint area `widthMm` x `heightMm`;
    // elides the rows' texts of these columns to their widths in `content`.
    TReportForm(ReportContent& content, ColumnRange range, double widthMm, double heightMm);

    int pageCount() const { return int(pages_.size()); }
    const ColumnRange& columns() const { return range_; }
    const std::vector<double>& widths() const { return widths_; }
    const std::vector<QStringList>& captionLines() const { return captionLines_; }
    const std::vector<PageRows>& pages() const { return pages_; }

    // Page `page` of this template; `number` and `total` count in the report.
    void paintPage(QPainter& painter, const PageGeometry& geometry, int page, int number, int total) const;

private:
    double headerHeight() const;
    double captionBandHeight() const;
    void paintHeader(QPainter& painter, const PageGeometry& geometry, double& y) const;
    void paintCaptions(QPainter& painter, const PageGeometry& geometry, double& y) const;
    void paintRows(QPainter& painter, const PageGeometry& geometry, const PageRows& rows, double& y) const;
    void paintFooters(QPainter& painter, const PageGeometry& geometry, int page, int number, int total,
                      double y) const;

    const ReportContent& content_;
    ColumnRange range_;
    double widthMm_;
    double heightMm_;
    std::vector<double> widths_;
    std::vector<QStringList> captionLines_;
    int captionLineCount_ = 1;
    std::vector<PageRows> pages_;
};

}  // namespace reports
