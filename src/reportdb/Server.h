#pragma once
// One embedded reporting database file as a process sees it: the file, the
// procedures it offers and the connections opened on it.

#include "db/Connection.h"
#include "reportdb/ProcedureRegistry.h"

#include <QString>
#include <memory>

namespace reportdb {

class EmbeddedConnection;

class Server : public std::enable_shared_from_this<Server> {
public:
    // Opens an existing database file and brings its schema up to date. A
    // missing file is an error (nothing is created). Without a registry the
    // standard procedures are used.
    static std::shared_ptr<Server> open(const QString& path, QString* error,
                                        std::shared_ptr<const ProcedureRegistry> registry = nullptr);

    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::unique_ptr<db::Connection> connect(QString* error = nullptr);
    std::unique_ptr<EmbeddedConnection> connectEmbedded(QString* error = nullptr);

    const QString& path() const { return path_; }
    // The version text the database recorded, as read when it was opened.
    const QString& versionText() const { return versionText_; }
    const ProcedureRegistry& procedures() const { return *registry_; }
    const std::shared_ptr<const ProcedureRegistry>& registry() const { return registry_; }

private:
    Server(QString path, QString versionText, std::shared_ptr<const ProcedureRegistry> registry);

    QString path_;
    QString versionText_;
    std::shared_ptr<const ProcedureRegistry> registry_;
};

}  // namespace reportdb
