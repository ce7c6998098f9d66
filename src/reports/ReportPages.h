#pragma once
// The one way a report reaches paper, screen or file: a PagedReport paints
// page by page with QPainter in millimetre geometry, and the functions below
// put its pages on any QPagedPaintDevice (the preview's printer, a printer,
// a PDF writer) or into a picture. A report holds only values, so it can be
// painted on a worker thread.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QString>

class QPainter;
class QPagedPaintDevice;

namespace reports {

// The paint area of a page: its size in millimetres and the device's pixels
// per millimetre.
struct PageGeometry {
    double pxPerMm = 1;
    double widthMm = 0;
    double heightMm = 0;

    double px(double mm) const { return mm * pxPerMm; }
};

class PagedReport {
public:
    virtual ~PagedReport() = default;
    // A4 with the report's orientation and margins.
    virtual QPageLayout pageLayout() const = 0;
    virtual int pageCount() const = 0;
    // Paints page `page` (0-based) with the painter's origin at the top left
    // of the paint area.
    virtual void paintPage(QPainter& painter, const PageGeometry& geometry, int page) const = 0;
};

// A4, the orientation, 10 mm margins.
QPageLayout reportPageLayout(QPageLayout::Orientation orientation);

// Paints every page on `device`, after giving it the report's page layout
// when `applyLayout` (a preview's printer already has it). False, with the
// reason, when the device cannot be painted on.
bool printPages(const PagedReport& report, QPagedPaintDevice& device, QString* error,
                bool applyLayout = true);

// One page, the whole sheet at `dpi` on white.
QImage pageImage(const PagedReport& report, int page, int dpi);

// The report as a PDF file at `path`. The file is written under another
// name and takes its place only when complete: a failure leaves no file
// at `path` (an older file there stays as it was).
bool writePdf(const PagedReport& report, const QString& path, QString* error);

// The font every report uses, at a point size.
QFont reportFont(double pointSize, bool bold = false);

// Text widths in millimetres for one font, the same on every device; widths
// already asked for are remembered (lists repeat their values).
class MmMeasure {
public:
    explicit MmMeasure(const QFont& font);
    double width(const QString& text);
    // `text` shortened with "..." to fit `width`.
    QString elided(const QString& text, double width) const;
    double ascent() const { return ascent_; }
    double height() const { return height_; }

private:
    QFont font_;
    QImage reference_;
    QFontMetricsF metrics_;
    double mmPerPx_ = 1;
    double ascent_ = 0;
    double height_ = 0;
    QHash<QString, double> cache_;
};

}  // namespace reports
