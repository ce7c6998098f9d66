#include "app/AppContext.h"

#include "db/VersionGate.h"

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

}  // namespace app
