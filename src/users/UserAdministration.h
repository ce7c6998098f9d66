#pragma once
// The user administration without windows: loads users, roles and the
// catalogue of rights, and writes every change through the two procedures,
// each call under the status window, logged to the query log and reported
// to the result sink.

#include "users/ResultReports.h"
#include "users/UserCalls.h"
#include "users/UserChanges.h"
#include "users/UserRecords.h"

#include <QString>
#include <functional>
#include <set>
#include <vector>

namespace app {
class AppContext;
}

namespace users {

class UserAdministration {
public:
    explicit UserAdministration(app::AppContext& context);

    UserList users;
    RoleList roles;
    RightsCatalogue catalogue;

    // Whether the service organisation's users take part.
    void setShowKorvaneUsers(bool show) { showKorvaneUsers_ = show; }
    bool showKorvaneUsers() const { return showKorvaneUsers_; }
    // Where reports go; null: message boxes.
    void setResultSink(ResultSink* sink) { sink_ = sink; }
    ResultSink& resultSink() { return sink_ ? *sink_ : promptSink_; }
    // Receives each call's text before it runs.
    void setQueryLog(std::function<void(const QString&)> log) { queryLog_ = std::move(log); }

    CallSettings settings() const;
    QString text(int number) const;

    // Roles, users, the catalogue, role relations and user relations, in
    // that order. On failure the containers keep what they held. `progress`
    // hears the gauge position after each step.
    bool load(const std::function<void(int)>& progress = {});

    // Until endStatus(), every call runs under one status window showing
    // `statusText` and a gauge, instead of each under its own text.
    void beginStatus(int statusText);
    void setProgress(int position);
    void endStatus();

    // Writes the edited users (roles) and makes what was written the loaded
    // state. Stops at the first failed call.
    bool saveUsers();
    bool saveRoles();

    // Writes at once. A created user's id is set in `user`; `roles` are
    // then given to it. False when the CREATE failed.
    bool createUser(User& user, const QString& password, const std::set<int>& roleIds);
    // `password` null: the stored password stays. `written` tells whether
    // the user's fields were written, also when the roles then failed.
    bool updateUser(const User& user, const QString* password, const std::set<int>& roleIds,
                    bool* written = nullptr);
    bool createRole(UserRole& role, int copyFrom);
    bool updateRole(const UserRole& role);
    bool deleteRole(int roleId);
    // One relation call for one user or role, reported like a save's.
    bool relate(Subject subject, int id, const Difference& difference) {
        return sendRelations(subject, {id}, difference);
    }

private:
    struct Outcome {
        bool ok = false;
        int returnValue = 0;
        QString error;
    };
    Outcome run(int statusText, std::vector<db::Command>& commands, db::Result* rows = nullptr);
    Outcome run(int statusText, db::Command& command, db::Result* rows = nullptr);
    void report(Subject subject, Operation operation, const Outcome& outcome, const QString& context,
                int kind = kPlainReport);
    void reportRelations(Subject subject, const Outcome& outcome, const Difference& difference);
    bool sendRelations(Subject subject, const std::vector<int>& ids, const Difference& difference);
    // Keeps the other side of a membership in step with a written change.
    void syncMembers(Subject written, int id, const std::set<int>& added, const std::set<int>& deleted);

    app::AppContext& context_;
    PromptSink promptSink_;
    ResultSink* sink_ = nullptr;
    std::function<void(const QString&)> queryLog_;
    bool showKorvaneUsers_ = false;
    int sessionText_ = 0;  // 0: no status session
};

}  // namespace users
