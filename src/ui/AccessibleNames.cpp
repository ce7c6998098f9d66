#include "ui/AccessibleNames.h"

#include <QAbstractButton>
#include <QWidget>

namespace ui {

namespace {

QString plain(const QString& caption) { return QString(caption).remove(QLatin1Char('&')).simplified(); }

}  // namespace

void setHint(QWidget* control, const QString& hint) {
    control->setToolTip(hint);
    const auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button || button->text().isEmpty()) control->setAccessibleName(plain(hint));
}

void nameAfter(QWidget* control, const QString& caption) { control->setAccessibleName(plain(caption)); }

}  // namespace ui
