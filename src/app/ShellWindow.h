#pragma once
// The program's top-level window until the profile list window takes its
// place: reads the session on first showing, loads the language texts, opens
// the connections, and carries out the host's commands.

#include "app/HostCommands.h"

#include <QMainWindow>

class QLabel;
class QTimer;

namespace app {

class AppContext;

class ShellWindow : public QMainWindow, public HostActions {
    Q_OBJECT
public:
    explicit ShellWindow(AppContext& context, QWidget* parent = nullptr);

    // HostActions
    void reset() override;
    void close() override;
    void showSessionLocked() override {}
    void closeSessionLocked() override {}
    void minimise() override;
    void restore() override;
    void connectionLost() override;
    bool wasActiveRecently() override { return true; }
    void trace(int level, const char* text) override;

    // True once the start-up sequence has run to its end.
    bool isLoaded() const { return loaded_; }

Q_SIGNALS:
    void startupFinished(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TimerStartTimer();
    bool runStartup();

    AppContext& context_;
    QLabel* LabelStatus = nullptr;
    QTimer* TimerStart = nullptr;
    QTimer* TimerClose = nullptr;
    bool firstShow_ = true;
    bool loaded_ = false;
};

}  // namespace app
