#include "ui/SaveDialog.h"

#include "ui/Prompts.h"

#include <QFileDialog>
#include <QStringList>

namespace ui {

QString saveFileNameWithFilter(Prompts& prompts, const QString& caption, const QString& directory,
                               const QString& filter, int* chosenFilter) {
    if (chosenFilter) *chosenFilter = -1;
    if (!dynamic_cast<QtPrompts*>(&prompts)) return prompts.saveFileName(caption, directory, filter);
    QString selected;
    const QString name =
        QFileDialog::getSaveFileName(prompts.parentWidget(), caption, directory, filter, &selected);
    if (chosenFilter && !selected.isEmpty())
        *chosenFilter = int(filter.split(QStringLiteral(";;")).indexOf(selected));
    return name;
}

}  // namespace ui
