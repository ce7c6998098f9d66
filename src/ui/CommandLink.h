#pragma once
// A command shown as a button with a clickable label beside it and an action
// (for the keyboard): all three run the same handler and are enabled,
// disabled and hinted together.

#include <QIcon>
#include <QLabel>
#include <QString>
#include <functional>

class QAction;
class QToolButton;
class QWidget;

namespace ui {

// A label that reports clicks.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

struct CommandLink {
    QToolButton* button = nullptr;
    ClickableLabel* label = nullptr;
    QAction* action = nullptr;

    // Creates the three with their object names, parented to `parent`; the
    // action is added to `parent` so its shortcut works in the window.
    // The button shows the icon theme's `iconName`, else `fallback` (an
    // arrow when none is given); both are made when first drawn.
    static CommandLink create(QWidget* parent, const QString& buttonName, const QString& actionName,
                              const QString& iconName, const QIcon& fallback = QIcon());
    // Binds all three to one handler.
    void bindTo(QObject* context, std::function<void()> handler);

    // The caption with its "&" mnemonic, on the label and the action.
    void setCaption(const QString& caption);
    void setEnabled(bool enabled);
    // The label follows the button; the action may differ (unlock).
    void setButtonAndLabelEnabled(bool enabled);
    void setVisible(bool visible);
    void setHint(const QString& hint);
    bool isEnabled() const;
};

}  // namespace ui
