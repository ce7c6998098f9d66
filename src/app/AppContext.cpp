#include "app/AppContext.h"

#include "db/VersionGate.h"

#include <QEvent>
#include <QWidget>

namespace app {

AppContext::AppContext(ui::Prompts& prompts, TraceLog& trace, db::ConnectionFactory connectionFactory)
    : prompts_(prompts),
      trace_(trace),
      texts_(prompts),
      connectionFactory_(connectionFactory),
      database_(QStringLiteral("Database"), connectionFactory),
      database2_(QStringLiteral("Database2"), connectionFactory) {}

bool AppContext::openConnections(QString* error) {
    for (auto* connection : {&database_, &database2_}) {
        connection->close();
        connection->setDefaultDatabase(session_.OnlineConnection.Catalog);
        connection->setConnectionString(session_.OnlineConfiguration);
    }
    for (auto* connection : {&database_, &database2_}) {
        if (!connection->connect(error)) {
            closeConnections();
            return false;
        }
    }
    return true;
}

void AppContext::closeConnections() {
    database_.close();
    database2_.close();
}

bool AppContext::IsDatabaseVersionAtLeast(const QString& threshold) const {
    return db::IsDatabaseVersionAtLeast(session_.DBVersion, threshold);
}

bool AppContext::HasFeature(int code) const { return app::HasFeature(session_, code); }

BusyWhileOpen::BusyWhileOpen(AppContext& context, QWidget& window) : QObject(&window), context_(context) {
    window.installEventFilter(this);
    if (window.isVisible()) {
        holding_ = true;
        context_.beginBusy();
    }
}

BusyWhileOpen::~BusyWhileOpen() {
    if (holding_) context_.endBusy();
}

bool BusyWhileOpen::eventFilter(QObject* watched, QEvent* event) {
    if (!event->spontaneous()) {
        if (event->type() == QEvent::Show && !holding_) {
            holding_ = true;
            context_.beginBusy();
        } else if (event->type() == QEvent::Hide && holding_) {
            holding_ = false;
            context_.endBusy();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace app
