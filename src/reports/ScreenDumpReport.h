#pragma once
// The screen dump: a picture of the calling window printed on one page with
// the time of the dump, the user, a comment band with the window's header
// texts, a legend band and the page numbering.

#include "reports/ReportPages.h"

#include <QDateTime>
#include <QImage>
#include <QStringList>

namespace reports {

// "<application title> - ScreenDump.bmp" in `folder`.
QString screenDumpFileName(const QString& applicationTitle, const QString& folder);
// Reads a dump back: ".JPG" and ".JPEG" files as JPEG, all others as bitmaps.
QImage loadScreenDump(const QString& path);

struct ScreenDumpContent {
    QImage picture;
    QString title;         // the window's first header text
    QString takenText;     // the time of the dump, as printed
    QString userText;      // the user, as printed
    QString commentLabel;  // caption of the comment band
    QStringList comments;  // the other header texts
    QString legendLabel;   // caption of the legend band
    QString pageText;      // "%1" page number, "%2" page count
};

// The one page template of the dump.
class TReportFormScreenDump {
public:
    explicit TReportFormScreenDump(ScreenDumpContent content) : content_(std::move(content)) {}
    const ScreenDumpContent& content() const { return content_; }
    void paintPage(QPainter& painter, const PageGeometry& geometry) const;

private:
    ScreenDumpContent content_;
};

// The dump as a report of one page.
class TReportCompositeFormDump : public PagedReport {
public:
    TReportCompositeFormDump(ScreenDumpContent content, QPageLayout::Orientation orientation);
    QPageLayout pageLayout() const override { return layout_; }
    int pageCount() const override { return 1; }
    void paintPage(QPainter& painter, const PageGeometry& geometry, int page) const override;

private:
    QPageLayout layout_;
    TReportFormScreenDump form_;
};

}  // namespace reports
