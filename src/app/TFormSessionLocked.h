#pragma once
// Shown while the host has locked its session: a borderless window on top of
// the tool that swallows the keyboard until the host unlocks the session.

#include <QDialog>

class QFrame;
class QLabel;

namespace app {
class AppContext;
}

class TFormSessionLocked : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextCaption = 0;  // texts of SLock.txt
    static constexpr int kTextDetails = 1;

    // `mainWindow` is the window it is centred on (also its parent).
    explicit TFormSessionLocked(app::AppContext& context, QWidget* mainWindow = nullptr);

    // Host command 11: shows the window modally unless it is already shown;
    // returns when it is closed.
    void showLocked();
    // Host command 12.
    void closeLocked();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;  // swallows every key

private:
    void buildUi();
    void setCaptions();
    void centreOnMainWindow();

    app::AppContext& context_;
    QWidget* mainWindow_ = nullptr;
    QFrame* PanelSessionLocked = nullptr;
    QLabel* LabelSessionLockedDetails = nullptr;
};
