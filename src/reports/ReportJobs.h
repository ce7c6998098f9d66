#pragma once
// From a report source to pages: the list's values, the header and labels
// from the session and the language files, the screen dump's picture and
// bands. The window-free half of the report menu.

#include "reports/ReportSource.h"
#include "reports/ScreenDumpReport.h"
#include "reports/TReportCompositeForm.h"

#include <QDateTime>

namespace app {
class AppContext;
}

namespace reports {

// The list the source names: the data set, else the model; empty for a
// source that names neither.
TableData tableOf(const ReportSource& source);

// Image1 and Image2 of the header: the session's report logos where given
// (a relative name is looked for in the base directory), else "ChLogo2.bmp"
// of the base directory for the first. A missing file gives a null image.
std::array<QImage, 2> reportLogos(const app::AppContext& context);

// Header texts, formats, logos and the printed labels for a list report.
ReportSettings reportSettings(app::AppContext& context, const ReportSource& source,
                              QPageLayout::Orientation orientation, const QDateTime& printed);

// The bands of a screen dump of `picture`, taken at `taken`.
ScreenDumpContent screenDumpContent(app::AppContext& context, const ReportSource& source,
                                    const QImage& picture, const QDateTime& taken);

// The application's title as the reports and the screen dump's file name use it.
QString applicationTitle();

}  // namespace reports
