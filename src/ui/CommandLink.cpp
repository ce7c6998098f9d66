#include "ui/CommandLink.h"

#include "ui/LazyIcon.h"

#include <QAction>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>

namespace ui {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (isEnabled() && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

CommandLink CommandLink::create(QWidget* parent, const QString& buttonName, const QString& actionName,
                                const QString& iconName, const QIcon& fallback) {
    CommandLink link;
    link.button = new QToolButton(parent);
    link.button->setObjectName(buttonName);
    link.button->setAutoRaise(true);
    link.button->setIconSize(QSize(24, 24));
    if (!iconName.isEmpty())
        link.button->setIcon(
            themeIcon(iconName, fallback.isNull() ? standardIcon(QStyle::SP_ArrowRight) : fallback));
    link.label = new ClickableLabel(parent);
    link.label->setObjectName(buttonName + QStringLiteral("Label"));
    link.label->setCursor(Qt::PointingHandCursor);
    link.label->setBuddy(link.button);
    link.action = new QAction(parent);
    link.action->setObjectName(actionName);
    parent->addAction(link.action);
    return link;
}

void CommandLink::bindTo(QObject* context, std::function<void()> handler) {
    QObject::connect(button, &QToolButton::clicked, context, [handler] { handler(); });
    QObject::connect(label, &ClickableLabel::clicked, context, [handler] { handler(); });
    QObject::connect(action, &QAction::triggered, context, [handler] { handler(); });
}

void CommandLink::setCaption(const QString& caption) {
    label->setText(caption);
    action->setText(caption);
    button->setToolTip(QString(caption).remove(QLatin1Char('&')));
}

void CommandLink::setEnabled(bool enabled) {
    setButtonAndLabelEnabled(enabled);
    action->setEnabled(enabled);
}

void CommandLink::setButtonAndLabelEnabled(bool enabled) {
    button->setEnabled(enabled);
    label->setEnabled(enabled);
}

void CommandLink::setVisible(bool visible) {
    button->setVisible(visible);
    label->setVisible(visible);
}

void CommandLink::setHint(const QString& hint) {
    button->setToolTip(hint);
    label->setToolTip(hint);
}

bool CommandLink::isEnabled() const { return button->isEnabled(); }

}  // namespace ui
