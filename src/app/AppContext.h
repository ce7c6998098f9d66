#pragma once
// The process-wide objects, owned in one place and passed by reference to
// every window: the session, the text tables, the trace log, the prompts, the
// busy flag and the two shared database connections.

#include "app/SessionData.h"
#include "app/TraceLog.h"
#include "db/Connection.h"
#include "text/TextTables.h"
#include "ui/Prompts.h"

#include <QObject>

class QWidget;
class TFormStatus;
class TOrinADOProgressDialog;
class TFormUtil;
class TFormReportMenu;
class TFormExport;

namespace app {

class ActivityMonitor;

// The shared windows and services that many windows call; created once in
// main.cpp (tests create the ones they need) and registered here.
struct SharedWindows {
    TFormStatus* status = nullptr;
    TOrinADOProgressDialog* progress = nullptr;
    TFormUtil* util = nullptr;
    TFormReportMenu* reportMenu = nullptr;
    TFormExport* exportForm = nullptr;
    ActivityMonitor* activity = nullptr;
};

class AppContext {
public:
    AppContext(ui::Prompts& prompts, TraceLog& trace, db::ConnectionFactory connectionFactory);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    SessionData& session() { return session_; }
    const SessionData& session() const { return session_; }
    text::TextTables& texts() { return texts_; }
    TraceLog& trace() { return trace_; }
    ui::Prompts& prompts() { return prompts_; }
    SharedWindows& windows() { return windows_; }

    // Opens connections from a connection string; windows with private
    // connections of their own (the process dialog) use it.
    const db::ConnectionFactory& connectionFactory() const { return connectionFactory_; }

    db::SharedConnection& Database() { return database_; }
    db::SharedConnection& Database2() { return database2_; }
    // Closes both, points them at the session's online configuration with its
    // catalog as default database, and connects them.
    bool openConnections(QString* error);
    void closeConnections();

    // The database version gate against the session's DBVersion.
    bool IsDatabaseVersionAtLeast(const QString& threshold) const;
    bool HasFeature(int code) const;

    // The process-wide busy flag: set while a long modal operation runs; the
    // host's commands are refused then (except minimise, restore, front and
    // connection lost). Nested operations keep it set until the outermost ends.
    bool isBusy() const { return busyDepth_ > 0; }
    void beginBusy() { ++busyDepth_; }
    void endBusy() {
        if (busyDepth_ > 0) --busyDepth_;
    }

private:
    ui::Prompts& prompts_;
    TraceLog& trace_;
    SessionData session_;
    text::TextTables texts_;
    db::ConnectionFactory connectionFactory_;
    db::SharedConnection database_;
    db::SharedConnection database2_;
    SharedWindows windows_;
    int busyDepth_ = 0;
};

// Keeps the busy flag set for its lifetime.
class BusyScope {
public:
    explicit BusyScope(AppContext& context) : context_(context) { context_.beginBusy(); }
    ~BusyScope() { context_.endBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    AppContext& context_;
};

// Keeps the busy flag set while a window is open: from the program showing it
// until the program hides it or it is destroyed. Minimising by the window
// system (a spontaneous hide) does not end it, as the window is still open.
// Progress windows that may be opened outside a command own one.
class BusyWhileOpen : public QObject {
public:
    BusyWhileOpen(AppContext& context, QWidget& window);
    ~BusyWhileOpen() override;
    BusyWhileOpen(const BusyWhileOpen&) = delete;
    BusyWhileOpen& operator=(const BusyWhileOpen&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& context_;
    bool holding_ = false;
};

}  // namespace app
