#pragma once
// "Processing dialog": the gauge and status line shown while the park unit
// configuration loads (and while a new profile takes its units).

#include <QDialog>

class QLabel;
class QProgressBar;

namespace app {
class AppContext;
}

class TFormPUProgresser : public QDialog {
    Q_OBJECT

public:
    explicit TFormPUProgresser(app::AppContext& context, QWidget* parent = nullptr);

    // Shows the dialog at position 0 with the start status.
    void Start();
    // Moves the gauge and shows `status`; events are processed so the
    // dialog is drawn between the steps.
    void Step(int position, const QString& status);
    // Ends a load that found nothing: "Done ", and the dialog closes.
    void Finish();
    void Stop() { hide(); }

    QString statusText() const;
    int position() const;

private:
    app::AppContext& context_;
    QLabel* LabelStatus = nullptr;
    QProgressBar* CGauge = nullptr;
};
