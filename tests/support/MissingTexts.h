#pragma once
// The texts a window shows that are missing-text placeholders ("(12):
// 'Message.txt'"): one sweep over a window's title, labels, buttons, group
// boxes, tabs and accessible names instead of comparing each caption.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

namespace testing_support {

inline QStringList missingTexts(const QWidget& window) {
    static const QRegularExpression placeholder(QStringLiteral("\\(-?\\d+\\): '"));
    QStringList shown{window.windowTitle()};
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        shown << w->accessibleName() << w->toolTip();
        if (auto* label = qobject_cast<const QLabel*>(w)) shown << label->text();
        if (auto* button = qobject_cast<const QAbstractButton*>(w)) shown << button->text();
        if (auto* box = qobject_cast<const QGroupBox*>(w)) shown << box->title();
        if (auto* tabs = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i) shown << tabs->tabText(i);
    }
    return shown.filter(placeholder);
}

}  // namespace testing_support
