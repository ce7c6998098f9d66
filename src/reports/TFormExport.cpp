#include "reports/TFormExport.h"

#include "app/AppContext.h"
#include "reports/BackgroundWork.h"
#include "reports/ClipboardText.h"
#include "reports/ReportTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace rt = reports::texts;

TFormExport::TFormExport(app::AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormExport"));
    buildUi();
}

void TFormExport::buildUi() {
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    LabelText = new QLabel(this);
    LabelText->setObjectName(QStringLiteral("LabelText"));
    LabelText->setAlignment(Qt::AlignCenter);
    // A busy bar stands for the animation: it moves while the work runs.
    Animate = new QProgressBar(this);
    Animate->setObjectName(QStringLiteral("Animate"));
    Animate->setRange(0, 0);
    Animate->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelText);
    layout->addWidget(Animate);
    setFixedSize(320, 90);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kStartDelayMs);
    connect(TimerStart, &QTimer::timeout, this, &TFormExport::TimerStartTimer);
}

QString TFormExport::text(int number) { return text::withLineBreaks(context_.texts().reportDialog(number)); }

void TFormExport::CopyToClipboard(const db::DataSet& dataSet) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormExport::CopyToClipboard"));
    context_.prompts().setClipboardText(reports::clipboardText(reports::tableFromDataSet(dataSet)));
}

bool TFormExport::ExportToExcel(const db::DataSet& dataSet, const QString& fileName,
                                const QString& sheetTitle, const QString& header) {
    return runExport(reports::tableFromDataSet(dataSet), fileName, sheetTitle, header);
}

bool TFormExport::ExportToExcel(const QAbstractItemModel& grid, const QString& fileName,
                                const QString& header) {
    return runExport(reports::tableFromModel(grid), fileName, QFileInfo(fileName).completeBaseName(), header);
}

bool TFormExport::runExport(reports::TableData table, const QString& fileName, const QString& sheetName,
                            const QString& header) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormExport::ExportToExcel"));
    app::BusyScope busy(context_);
    table_ = std::move(table);
    fileName_ = fileName;
    sheetName_ = sheetName;
    header_ = header;
    result_ = {reports::WorkbookFailure::Export, {}};
    Prepare(fileName);
    exec();
    table_ = {};
    fileName_.clear();
    if (!result_.ok()) reportFailure(fileName);
    return result_.ok();
}

void TFormExport::Prepare(const QString& fileName) {
    setWindowTitle(text(rt::kExportCaption));
    LabelText->setText(QFileInfo(fileName).fileName());
}

void TFormExport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TimerStart->start();
}

void TFormExport::TimerStartTimer() {
    // Shown without an export to run (as a picture): nothing to do.
    if (fileName_.isEmpty()) return;
    try {
        reports::runInBackground(
            [this] { result_ = reports::writeWorkbook(fileName_, sheetName_, header_, table_); });
    } catch (const std::exception& e) {
        result_ = {reports::WorkbookFailure::Export, QString::fromUtf8(e.what())};
    }
    accept();
}

void TFormExport::reportFailure(const QString& fileName) {
    const QString caption = text(rt::kExportCaption);
    ui::Prompts& prompts = context_.prompts();
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Excel export failed: ") + result_.detail);
    switch (result_.failure) {
        case reports::WorkbookFailure::DeleteExisting:
            prompts.message(ui::Icon::Error, text(rt::kExcelDeleteFailed), caption);
            return;
        case reports::WorkbookFailure::Write:
            prompts.message(
                ui::Icon::Error,
                text(rt::kExcelCannotSave).replace(QLatin1String("%s"), QDir::toNativeSeparators(fileName)) +
                    u'\n' + text(rt::kExcelDiskFull),
                caption);
            return;
        case reports::WorkbookFailure::Export:
            prompts.message(ui::Icon::Error,
                            result_.detail.isEmpty() ? text(rt::kExcelError)
                                                     : text(rt::kExcelErrorWithMessage) + result_.detail,
                            caption);
            return;
        case reports::WorkbookFailure::None: return;
    }
}
