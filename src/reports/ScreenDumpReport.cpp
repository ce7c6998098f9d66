#include "reports/ScreenDumpReport.h"

#include <QFileInfo>
#include <QPainter>

namespace reports {

namespace {
constexpr double kTitleBand = 10.0;
constexpr double kInfoLine = 4.6;
constexpr double kBandLabel = 5.0;
constexpr double kCommentLine = 4.3;
constexpr double kLegendBand = 20.0;
constexpr double kFooter = 6.0;
constexpr double kGap = 3.0;
}  // namespace

QString screenDumpFileName(const QString& applicationTitle, const QString& folder) {
    QString dir = folder;
    if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
    return dir + applicationTitle + QStringLiteral(" - ScreenDump.bmp");
}

QImage loadScreenDump(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toUpper();
    const bool jpeg = suffix == QLatin1String("JPG") || suffix == QLatin1String("JPEG");
    QImage image;
    image.load(path, jpeg ? "JPEG" : "BMP");
    return image;
}

void TReportFormScreenDump::paintPage(QPainter& painter, const PageGeometry& g) const {
    const double w = g.widthMm;
    double y = 0;
    painter.setFont(reportFont(14, true));
    painter.drawText(QRectF(0, 0, g.px(w), g.px(kTitleBand)), Qt::AlignLeft | Qt::AlignVCenter,
                     content_.title);
    y += kTitleBand;
    painter.setFont(reportFont(9));
    for (const QString& line : {content_.takenText, content_.userText}) {
        painter.drawText(QRectF(0, g.px(y), g.px(w), g.px(kInfoLine)), Qt::AlignLeft | Qt::AlignVCenter,
                         line);
        y += kInfoLine;
    }
    y += kGap;

    // The bands below the picture take what they need; the picture the rest.
    const double commentBand = kBandLabel + std::max<qsizetype>(content_.comments.size(), 1) * kCommentLine;
    const double below = kGap + commentBand + kGap + kLegendBand + kFooter;
    const double pictureHeight = std::max(g.heightMm - y - below, 10.0);
    if (!content_.picture.isNull()) {
        const double scale =
            std::min(w / content_.picture.width(), pictureHeight / content_.picture.height());
        const QRectF target(0, g.px(y), g.px(content_.picture.width() * scale),
                            g.px(content_.picture.height() * scale));
        painter.drawImage(target, content_.picture);
        painter.setPen(QPen(Qt::darkGray, g.px(0.2)));
        painter.drawRect(target);
        painter.setPen(Qt::black);
    }
    y += pictureHeight + kGap;

    const auto band = [&](const QString& label, double height) {
        painter.setPen(QPen(Qt::black, g.px(0.2)));
        painter.drawRect(QRectF(0, g.px(y), g.px(w), g.px(height)));
        painter.setFont(reportFont(8, true));
        painter.drawText(QRectF(g.px(1.5), g.px(y), g.px(w - 3), g.px(kBandLabel)),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
    };
    band(content_.commentLabel, commentBand);
    painter.setFont(reportFont(8));
    double line = y + kBandLabel;
    for (const QString& comment : content_.comments) {
        painter.drawText(QRectF(g.px(1.5), g.px(line), g.px(w - 3), g.px(kCommentLine)),
                         Qt::AlignLeft | Qt::AlignVCenter, comment);
        line += kCommentLine;
    }
    y += commentBand + kGap;
    band(content_.legendLabel, kLegendBand);

    const double top = g.heightMm - kFooter;
    painter.drawLine(QPointF(0, g.px(top + 1)), QPointF(g.px(w), g.px(top + 1)));
    painter.setFont(reportFont(7));
    painter.drawText(QRectF(0, g.px(top + 1.5), g.px(w), g.px(kFooter - 1.5)),
                     Qt::AlignRight | Qt::AlignVCenter, content_.pageText.arg(1).arg(1));
}

TReportCompositeFormDump::TReportCompositeFormDump(ScreenDumpContent content,
                                                   QPageLayout::Orientation orientation)
    : layout_(reportPageLayout(orientation)), form_(std::move(content)) {}

void TReportCompositeFormDump::paintPage(QPainter& painter, const PageGeometry& geometry, int) const {
    form_.paintPage(painter, geometry);
}

}  // namespace reports
