// The allocation window's file and re-map commands: export of the grid to an
// allocation file, import of one into the grid, and the bulk move of one
// category's codes to another. All three change or read the grid only; the
// window's Apply saves it as usual.
#include "app/AppContext.h"
#include "categorization/CategoryAllocationWindow.h"
#include "categorization/TFormMapCategory.h"
#include "categorization/TFormReMapCategory.h"
#include "ui/ToolButtons.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QToolButton>

namespace categorization {

QString CategoryAllocationWindow::allocationFileFilter() {
    // File names are case-sensitive where the tool may run.
    return context_.texts().profile(kTextFileFilter) + QStringLiteral(" (*.XML *.xml)");
}

void CategoryAllocationWindow::SpeedButtonExportClick() {
    trace("SpeedButtonExportClick");
    if (busy_ || !dataSet_.isOpen()) return;
    text::TextTables& texts = context_.texts();
    const QString chosen = context_.prompts().saveFileName(
        texts.profile(kTextExport), context_.session().ProjectDir, allocationFileFilter());
    if (chosen.isEmpty()) return;
    const QString path = allocationFilePath(chosen);
    if (path.isEmpty()) {
        context_.prompts().message(ui::Icon::Error, texts.profile(kTextNoFileName),
                                   texts.profile(kTextInformation));
        return;
    }
    QString error;
    {
        const ui::WaitCursor wait;
        const QByteArray content = writeAllocationFile(grid_.toFile(emptyFile()));
        // Written beside the old file and put in its place only when complete.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
            error = file.errorString();
    }
    restoreGridPosition({});
    if (!error.isEmpty()) {
        traceException(error);
        context_.prompts().message(ui::Icon::Error,
                                   text::withLineBreaks(texts.profile(kTextWriteFailed)) +
                                       QStringLiteral("\n") + path + QStringLiteral("\n") + error,
                                   texts.profile(kTextInformation));
    }
}

void CategoryAllocationWindow::SpeedButtonImportClick() {
    trace("SpeedButtonImportClick");
    if (busy_ || !dataSet_.isOpen() || !importAndRemapEnabled()) return;
    const bool applied = importFile();
    if (applied || enablesApplyOnEveryImport()) enableApply();
}

bool CategoryAllocationWindow::importFile() {
    text::TextTables& texts = context_.texts();
    const QString path = context_.prompts().openFileName(
        texts.profile(kTextImport), context_.session().ProjectDir, allocationFileFilter());
    if (path.isEmpty() || !QFile::exists(path)) return false;
    std::optional<AllocationFile> file;
    {
        const ui::WaitCursor wait;
        QFile input(path);
        if (input.open(QIODevice::ReadOnly)) file = readAllocationFile(input.read(kAllocationFileLimit + 1));
    }
    if (!file) {
        context_.prompts().message(ui::Icon::Error, texts.profile(kTextNotAnAllocationFile),
                                   texts.profile(kTextAllocationFileCaption));
        return false;
    }
    if (!fileBelongsHere(*file)) return false;
    if (!reMapCategory_ || !reMapCategory_->Execute(file->categories, grid_.categoryList())) return false;
    {
        const ui::WaitCursor wait;
        grid_.applyFile(*file);
    }
    restoreGridPosition({});
    return true;
}

void CategoryAllocationWindow::ButtonRemapCategoryClick() {
    trace("ButtonRemapCategoryClick");
    if (busy_ || !dataSet_.isOpen() || !mapCategory_ || !importAndRemapEnabled()) return;
    const int mode =
        &variant_ == &kEventAllocation ? TFormMapCategory::kModeEvents : TFormMapCategory::kModeDerating;
    mapCategory_->Execute(grid_, mode, profile_.UseIECReporting, [this] {
        restoreGridPosition({});
        enableApply();
    });
}

}  // namespace categorization
