#pragma once
// The closing window: shown when the host reports that the network
// connection is lost; counts down ten seconds on its button and then closes
// the main window, which ends the process. The busy flag holds the count-down
// while a long operation runs.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTimer;

namespace app {
class AppContext;
}

class TFormXML : public QDialog {
    Q_OBJECT

public:
    explicit TFormXML(app::AppContext& context, QWidget* parent = nullptr);

    // Starts the count-down; later calls do nothing, however often the host
    // reports the lost connection.
    void StartClosing();
    bool isClosingStarted() const { return started_; }
    // Ticks counted so far (ticks skipped while busy do not count).
    int tickCount() const { return counter_; }

    // The one-second tick; public so the count-down can be driven directly.
    void TimerCloseTimer();
    void ButtonCloseClick();

Q_SIGNALS:
    // The window was closed by its button or the count-down: the main window
    // closes and the process ends.
    void closeMainWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildUi();
    void setCaptions();
    void FormClose();

    app::AppContext& context_;
    QLabel* LabelText1 = nullptr;
    QLabel* LabelText2 = nullptr;
    QPushButton* ButtonClose = nullptr;
    QTimer* TimerClose = nullptr;

    QString closeText_;
    int counter_ = 0;
    bool started_ = false;
    bool closed_ = false;
};
