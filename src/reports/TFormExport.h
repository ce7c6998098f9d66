#pragma once
// The export of a list: a tab-separated copy to the clipboard, and an Excel
// workbook written while a small dialog on top shows that work is going on.

#include "reports/ReportTable.h"
#include "reports/XlsxWorkbook.h"

#include <QDialog>

class QAbstractItemModel;
class QLabel;
class QProgressBar;
class QTimer;

namespace app {
class AppContext;
}

namespace db {
class DataSet;
}

class TFormExport : public QDialog {
    Q_OBJECT

public:
    // The work starts this long after the dialog is visible, so it is seen.
    static constexpr int kStartDelayMs = 100;

    explicit TFormExport(app::AppContext& context, QWidget* parent = nullptr);

    // The data set's visible fields and rows as text on the clipboard; its
    // current row and edit state stay as they are.
    void CopyToClipboard(const db::DataSet& dataSet);

    // The data set as a workbook at `fileName`: the sheet named `sheetTitle`,
    // `header` in its first cell. True when written; otherwise the user was
    // told why.
    bool ExportToExcel(const db::DataSet& dataSet, const QString& fileName, const QString& sheetTitle,
                       const QString& header);
    // A grid's rows; the sheet is named after the file's name without its
    // extension.
    bool ExportToExcel(const QAbstractItemModel& grid, const QString& fileName, const QString& header);

    // Sets the dialog up for writing `fileName`; ExportToExcel does it.
    void Prepare(const QString& fileName);

    // The result of the last export.
    const reports::WorkbookResult& lastResult() const { return result_; }

    void TimerStartTimer();

    // The dialog closes itself when the work is done; Escape and the
    // window's close do not end it halfway.
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    bool runExport(reports::TableData table, const QString& fileName, const QString& sheetName,
                   const QString& header);
    void reportFailure(const QString& fileName);
    QString text(int number);

    app::AppContext& context_;
    reports::TableData table_;
    QString fileName_;
    QString sheetName_;
    QString header_;
    reports::WorkbookResult result_;

    QLabel* LabelText = nullptr;
    QProgressBar* Animate = nullptr;
    QTimer* TimerStart = nullptr;
};
