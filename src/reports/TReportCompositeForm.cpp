#include "reports/TReportCompositeForm.h"

namespace reports {

TReportCompositeForm::TReportCompositeForm(const TableData& table, const ReportSettings& settings)
    : layout_(reportPageLayout(settings.orientation)) {
    content_.headerTexts = settings.headerTexts;
    content_.logo1 = settings.logo1;
    content_.logo2 = settings.logo2;
    content_.printedText = settings.printedText;
    content_.pageText = settings.pageText;
    content_.rowCountText = settings.rowCountText;
    for (const TableColumn& column : table.columns) {
        content_.captions << singleLine(column.caption);
        content_.rightAligned.push_back(column.type == db::FieldType::Integer ||
                                        column.type == db::FieldType::Float);
    }
    const QLocale locale = plainLocale(settings.locale);
    content_.rows.reserve(table.rows.size());
    for (const auto& values : table.rows) {
        std::vector<ReportCell> cells(values.size());
        for (size_t c = 0; c < values.size(); ++c)
            cells[c].text = singleLine(cellText(values[c], table.columns[c].type, locale, settings.formats));
        content_.rows.push_back(std::move(cells));
    }
    const QRectF area = layout_.paintRect(QPageLayout::Millimeter);
    for (const ColumnRange& range : dealColumns(int(table.columns.size()))) {
        forms_.push_back(std::make_unique<TReportForm>(content_, range, area.width(), area.height()));
        pageCount_ += forms_.back()->pageCount();
    }
}

void TReportCompositeForm::paintPage(QPainter& painter, const PageGeometry& geometry, int page) const {
    int first = 0;
    for (const auto& form : forms_) {
        if (page < first + form->pageCount()) {
            form->paintPage(painter, geometry, page - first, page + 1, pageCount_);
            return;
        }
        first += form->pageCount();
    }
}

}  // namespace reports
