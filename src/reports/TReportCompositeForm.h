#pragma once
// The printed list: one report made of page templates (TReportForm), the
// visible columns dealt out 20 to a template, the pages of all templates in
// one sequence with one page numbering. Built from values only, it paints
// the same pages on the preview, a printer, a PDF file or a picture.

#include "reports/ReportPages.h"
#include "reports/ReportTable.h"
#include "reports/TReportForm.h"

#include <QLocale>
#include <array>
#include <memory>
#include <vector>

namespace reports {

struct ReportSettings {
    std::array<QString, 7> headerTexts;
    CellFormats formats;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QImage logo1;
    QImage logo2;
    QString printedText;
    QString pageText = QStringLiteral("Page %1 of %2");
    QString rowCountText = QStringLiteral("%1 rows");
    QLocale locale;
};

class TReportCompositeForm : public PagedReport {
public:
    TReportCompositeForm(const TableData& table, const ReportSettings& settings);

    QPageLayout pageLayout() const override { return layout_; }
    int pageCount() const override { return pageCount_; }
    void paintPage(QPainter& painter, const PageGeometry& geometry, int page) const override;

    int templateCount() const { return int(forms_.size()); }
    const TReportForm& form(int index) const { return *forms_[size_t(index)]; }
    const ReportContent& content() const { return content_; }

private:
    QPageLayout layout_;
    ReportContent content_;
    std::vector<std::unique_ptr<TReportForm>> forms_;
    int pageCount_ = 0;
};

}  // namespace reports
