#pragma once
// The wait window, and the small SQL helpers the profile windows share: a
// synchronous command on Database2, an asynchronous command and a query on
// Database, and the regeneration marker of a profile in the main window's list.

#include "db/AsyncExecutor.h"
#include "db/DataSet.h"

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;

namespace app {
class AppContext;
}

class TFormUtil : public QDialog {
    Q_OBJECT

public:
    explicit TFormUtil(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormUtil() override;

    // Shows the window with `text` in its middle and the hourglass cursor.
    void ShowWait(const QString& text);
    // Hides it and restores the normal cursor.
    void HideWait();

    // Runs SQL text on Database2 without time-out. On an error the wait
    // window is hidden and false returned; lastError() says why.
    bool RunCommand(const QString& sql);

    // Starts SQL text on Database without waiting; commandFinished() reports
    // the end. False when it could not start (or one is still running).
    bool StartCommand(const QString& sql);
    // Drops the started statement; one still running completes on its own
    // worker connection.
    void ReleaseCommand();
    bool isCommandRunning() const { return executor_.isRunning(); }

    // Opens SQL text on Database. Returns the data set when the statement
    // returned at least one row, otherwise null (lastError() is set when it failed).
    db::DataSet* OpenQuery(const QString& sql);

    // The main window's profile list, which carries the regeneration
    // marker; null while the list does not exist.
    void setProfileList(db::DataSet* list) { profileList_ = list; }
    // Sets ReportProfileRegeneratePendingFlag of the profile `profileId` to
    // `flag` and writes its row to TReportProfile; the list keeps its
    // current row. Does nothing (false) without a list or with an empty one;
    // false with lastError() when the profile is not listed or the write
    // failed, the change then stays held in the list.
    bool SetRegeneratePending(int profileId, int flag);

    const QString& lastError() const { return lastError_; }

Q_SIGNALS:
    void commandFinished(bool ok);

private:
    void buildUi();
    void fail(const QString& message);
    bool writeRegeneratePending(db::DataSet& list, int flag);
    void setWaitCursor();
    void restoreCursor();

    app::AppContext& context_;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;

    db::Command ADOCommand1;      // on Database2, no time-out
    db::Command ADOCommand2;      // asynchronous, on Database while attached
    db::AsyncExecutor executor_;  // runs ADOCommand2
    db::DataSet ADODataSet1;      // on Database
    db::DataSet* profileList_ = nullptr;
    QString lastError_;
    bool waitCursor_ = false;
};
