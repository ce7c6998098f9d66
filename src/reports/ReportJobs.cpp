#include "reports/ReportJobs.h"

#include "app/AppContext.h"
#include "reports/ReportTexts.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QGuiApplication>

namespace reports {

namespace {

QString printerLabel(app::AppContext& context, texts::PrinterLabel label) {
    text::TextTables& tables = context.texts();
    return tables.hasPrinterText(label.number) ? tables.printer(label.number)
                                               : QString::fromUtf8(label.fallback);
}

QImage loadLogo(const QString& baseDir, const QString& name) {
    if (name.isEmpty()) return {};
    QImage image;
    image.load(QDir(baseDir).filePath(name));
    return image;
}

}  // namespace

QString applicationTitle() {
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QStringLiteral("Profile administrator") : title;
}

TableData tableOf(const ReportSource& source) {
    if (source.dataSet && (source.kind == SourceKind::DataSet || source.kind == SourceKind::Always))
        return tableFromDataSet(*source.dataSet);
    if (source.model) return tableFromModel(*source.model);
    return {};
}

std::array<QImage, 2> reportLogos(const app::AppContext& context) {
    const app::SessionData& session = context.session();
    const QString first = session.ReportLogo1.isEmpty() ? QStringLiteral("ChLogo2.bmp") : session.ReportLogo1;
    return {loadLogo(session.BaseDir, first), loadLogo(session.BaseDir, session.ReportLogo2)};
}

ReportSettings reportSettings(app::AppContext& context, const ReportSource& source,
                              QPageLayout::Orientation orientation, const QDateTime& printed) {
    ReportSettings settings;
    settings.headerTexts = source.headerTexts;
    settings.formats = cellFormats(source.formatTexts[0], source.formatTexts[1]);
    settings.orientation = orientation;
    auto logos = reportLogos(context);
    settings.logo1 = std::move(logos[0]);
    settings.logo2 = std::move(logos[1]);
    const QString when = QLocale().toString(printed, QLocale::ShortFormat);
    settings.printedText = printerLabel(context, texts::kPrinted).arg(when);
    settings.pageText = printerLabel(context, texts::kPageOf);
    settings.rowCountText = printerLabel(context, texts::kRowCount);
    return settings;
}

ScreenDumpContent screenDumpContent(app::AppContext& context, const ReportSource& source,
                                    const QImage& picture, const QDateTime& taken) {
    ScreenDumpContent content;
    content.picture = picture;
    content.title = source.headerTexts[0].isEmpty() ? applicationTitle() : source.headerTexts[0];
    content.takenText =
        printerLabel(context, texts::kDumpTaken).arg(QLocale().toString(taken, QLocale::LongFormat));
    content.userText = printerLabel(context, texts::kUser).arg(context.session().UserInit);
    content.commentLabel = printerLabel(context, texts::kComment);
    for (size_t i = 1; i < source.headerTexts.size(); ++i)
        if (!source.headerTexts[i].isEmpty()) content.comments << source.headerTexts[i];
    content.legendLabel = printerLabel(context, texts::kLegend);
    content.pageText = printerLabel(context, texts::kPageOf);
    return content;
}

}  // namespace reports
