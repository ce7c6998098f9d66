#include "ui/ToolButtons.h"

#include "ui/LazyIcon.h"

#include <QApplication>
#include <QToolButton>

namespace ui {

QToolButton* makeToolButton(QWidget* parent, const char* name, const char* themeName,
                            QStyle::StandardPixmap fallback, int iconSize) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setIcon(themeName ? themeIcon(QLatin1String(themeName), standardIcon(fallback))
                              : standardIcon(fallback));
    return button;
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace ui
