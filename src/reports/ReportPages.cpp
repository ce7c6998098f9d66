#include "reports/ReportPages.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace reports {

namespace {

constexpr double kMarginMm = 10.0;
constexpr int kReferenceDpi = 1200;
constexpr double kMmPerInch = 25.4;

int dotsPerMeter(int dpi) { return int(dpi / 0.0254 + 0.5); }

QImage referenceImage() {
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(dotsPerMeter(kReferenceDpi));
    image.setDotsPerMeterY(dotsPerMeter(kReferenceDpi));
    return image;
}

void paintAll(const PagedReport& report, QPainter& painter, QPagedPaintDevice& device,
              const PageGeometry& geometry) {
    for (int page = 0; page < report.pageCount(); ++page) {
        if (page > 0) device.newPage();
        painter.save();
        report.paintPage(painter, geometry, page);
        painter.restore();
    }
}

PageGeometry geometryOf(const QPagedPaintDevice& device) {
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Millimeter);
    PageGeometry geometry;
    geometry.widthMm = area.width();
    geometry.heightMm = area.height();
    geometry.pxPerMm = area.width() > 0 ? device.width() / area.width() : 1.0;
    return geometry;
}

}  // namespace

QPageLayout reportPageLayout(QPageLayout::Orientation orientation) {
    return QPageLayout(QPageSize(QPageSize::A4), orientation,
                       QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
}

QFont reportFont(double pointSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    // Lists are plain Latin text: without shaping there are no ligatures,
    // so a PDF's text reads back letter for letter, and pages render faster.
    font.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

bool printPages(const PagedReport& report, QPagedPaintDevice& device, QString* error, bool applyLayout) {
    if (applyLayout) device.setPageLayout(report.pageLayout());
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error) *error = QStringLiteral("The output device could not be opened for painting.");
        return false;
    }
    paintAll(report, painter, device, geometryOf(device));
    if (!painter.end()) {
        if (error) *error = QStringLiteral("The output device could not finish the pages.");
        return false;
    }
    return true;
}

QImage pageImage(const PagedReport& report, int page, int dpi) {
    const QPageLayout layout = report.pageLayout();
    const QRectF full = layout.fullRect(QPageLayout::Millimeter);
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    const double pxPerMm = dpi / kMmPerInch;
    QImage image(int(full.width() * pxPerMm + 0.5), int(full.height() * pxPerMm + 0.5),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(dotsPerMeter(dpi));
    image.setDotsPerMeterY(dotsPerMeter(dpi));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(area.left() * pxPerMm, area.top() * pxPerMm);
    report.paintPage(painter, PageGeometry{pxPerMm, area.width(), area.height()}, page);
    painter.end();
    return image;
}

bool writePdf(const PagedReport& report, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kReferenceDpi);
        writer.setCreator(QStringLiteral("Profile administrator"));
        if (!printPages(report, writer, error)) {
            file.cancelWriting();
            return false;
        }
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

MmMeasure::MmMeasure(const QFont& font)
    : font_(font), reference_(referenceImage()), metrics_(font_, &reference_) {
    mmPerPx_ = kMmPerInch / kReferenceDpi;
    ascent_ = metrics_.ascent() * mmPerPx_;
    height_ = metrics_.height() * mmPerPx_;
}

double MmMeasure::width(const QString& text) {
    const auto found = cache_.constFind(text);
    if (found != cache_.constEnd()) return *found;
    const double w = metrics_.horizontalAdvance(text) * mmPerPx_;
    cache_.insert(text, w);
    return w;
}

QString MmMeasure::elided(const QString& text, double width) const {
    return metrics_.elidedText(text, Qt::ElideRight, width / mmPerPx_);
}

}  // namespace reports
