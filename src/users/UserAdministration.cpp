#include "users/UserAdministration.h"

#include <QProgressBar>
#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "db/Parameters.h"
#include "users/IdList.h"

namespace users {

namespace {

// Status texts.
constexpr int kTextUserCreate = 160;
constexpr int kTextUserUpdate = 161;
constexpr int kTextUserRelations = 162;
constexpr int kTextRoleUpdate = 211;
constexpr int kTextRoleCreate = 212;
constexpr int kTextRoleDelete = 153;
constexpr int kTextLoading = 9000;
// Failures of the relation loads: text and caption.
constexpr int kTextUserRelationsFailed = 156;
constexpr int kTextUserRelationsCaption = 157;
constexpr int kTextRoleRelationsFailed = 158;
constexpr int kTextRoleRelationsCaption = 159;

const db::ResultSet& resultSet(const db::Result& result, size_t index) {
    static const db::ResultSet kNone;
    return index < result.resultSets.size() ? result.resultSets[index] : kNone;
}

}  // namespace

UserAdministration::UserAdministration(app::AppContext& context)
    : context_(context), promptSink_(context.prompts()) {}

CallSettings UserAdministration::settings() const {
    return {context_.session().UserId, showKorvaneUsers_, context_.session().DBVersion};
}

QString UserAdministration::text(int number) const { return context_.texts().window(number); }

UserAdministration::Outcome UserAdministration::run(int statusText, std::vector<db::Command>& commands,
                                                    db::Result* rows) {
    Outcome outcome;
    TFormStatus* status = context_.windows().status;
    if (!status || status->isExecuting() || commands.empty()) {
        outcome.error = QStringLiteral("The status window is not available");
        return outcome;
    }
    if (queryLog_)
        for (const db::Command& command : commands)
            queryLog_(command.text + u' ' + db::DescribeParameters(command));
    if (sessionText_ == 0)
        status->StartStatusDialog(0, text(statusText), false);
    else
        status->StartStatusDialog(1, text(sessionText_), false);
    outcome.ok = commands.size() == 1 ? status->ExecuteAsync(context_.Database(), commands.front())
                                      : status->ExecuteAsync(context_.Database(), commands);
    outcome.returnValue = status->returnValue();
    outcome.error = status->errorText();
    if (rows) *rows = status->lastResult();
    if (sessionText_ == 0) status->StopStatusDialog();
    // A failure without a return value or a reason still is one.
    if (!outcome.ok && outcome.returnValue == 0 && outcome.error.isEmpty())
        outcome.error = QStringLiteral("The call did not complete");
    return outcome;
}

UserAdministration::Outcome UserAdministration::run(int statusText, db::Command& command, db::Result* rows) {
    std::vector<db::Command> commands{command};
    const Outcome outcome = run(statusText, commands, rows);
    command = commands.front();
    return outcome;
}

void UserAdministration::report(Subject subject, Operation operation, const Outcome& outcome,
                                const QString& contextText, int kind) {
    ResultSink& sink = resultSink();
    sink.report(MakeReport(subject, operation, outcome.returnValue, outcome.ok ? QString() : outcome.error,
                           contextText, kind, sink.importRunning(), [this](int n) { return text(n); }));
}

void UserAdministration::reportRelations(Subject subject, const Outcome& outcome, const Difference& d) {
    const QString contextText = text(subject == Subject::Users ? kUserRelationsContext : kRoleContext);
    const auto sends = [&](RightKind kind) {
        return !d.added[size_t(kind)].empty() || !d.deleted[size_t(kind)].empty();
    };
    if (!resultSink().importRunning()) {
        report(subject, Operation::UpdateRelations, outcome, contextText, kRelationReport);
        return;
    }
    const bool features = sends(RightKind::Features);
    const bool templates = sends(RightKind::ReportTemplates);
    if (features) report(subject, Operation::UpdateRelations, outcome, contextText, kFeatureReport);
    if (templates) report(subject, Operation::UpdateRelations, outcome, contextText, kTemplateReport);
    // A call with neither list is still reported, so that no failure passes unseen.
    if (!features && !templates)
        report(subject, Operation::UpdateRelations, outcome, contextText, kRelationReport);
}

void UserAdministration::beginStatus(int statusText) {
    sessionText_ = statusText;
    if (TFormStatus* status = context_.windows().status) {
        status->StartStatusDialog(1, text(statusText), false);
        setProgress(0);
    }
}

void UserAdministration::setProgress(int position) {
    TFormStatus* status = context_.windows().status;
    if (sessionText_ != 0 && status && status->progressBar()) status->progressBar()->setValue(position);
}

void UserAdministration::endStatus() {
    sessionText_ = 0;
    if (TFormStatus* status = context_.windows().status) status->StopStatusDialog();
}

bool UserAdministration::load(const std::function<void(int)>& progress) {
    const auto step = [&](int position) {
        if (progress) progress(position);
    };
    const CallSettings s = settings();
    db::Result rolesResult, usersResult, catalogueResult, roleRelations, userRelations;
    db::Command call = SelectRolesCall(s);
    Outcome outcome = run(kTextLoading, call, &rolesResult);
    if (!outcome.ok) {
        report(Subject::Roles, Operation::Select, outcome, text(kRoleContext));
        return false;
    }
    step(20);
    call = SelectUsersCall(s);
    outcome = run(kTextLoading, call, &usersResult);
    if (!outcome.ok) {
        report(Subject::Users, Operation::Select, outcome, text(kUserRelationsContext));
        return false;
    }
    step(30);
    call = SelectCatalogueCall(s);
    outcome = run(kTextLoading, call, &catalogueResult);
    if (!outcome.ok) {
        report(Subject::Roles, Operation::Select, outcome, text(kRoleContext));
        return false;
    }
    const auto relationFailure = [&](const Outcome& failed, int message, int caption) {
        const QString reason = failed.returnValue != 0 ? QString::number(failed.returnValue) : failed.error;
        context_.prompts().message(ui::Icon::Error, text(message) + u' ' + reason, text(caption));
        return false;
    };
    step(40);
    call = SelectRoleRelationsCall(s);
    outcome = run(kTextLoading, call, &roleRelations);
    if (!outcome.ok) return relationFailure(outcome, kTextRoleRelationsFailed, kTextRoleRelationsCaption);
    step(60);
    call = SelectUserRelationsCall(s);
    outcome = run(kTextLoading, call, &userRelations);
    if (!outcome.ok) return relationFailure(outcome, kTextUserRelationsFailed, kTextUserRelationsCaption);

    std::map<int, UserRole> roleMap = ReadRoles(resultSet(rolesResult, 0));
    std::map<int, User> userMap = ReadUsers(resultSet(usersResult, 0), s.oldUserColumns());
    RightsCatalogue loaded;
    loaded.features = ReadFeatures(resultSet(catalogueResult, 0));
    loaded.reportProfiles = ReadReportProfiles(resultSet(catalogueResult, 1));
    loaded.reportTemplates =
        ReadReportTemplates(resultSet(catalogueResult, 2), [this](int n) { return text(n); });
    for (int k = 0; k < kRightKinds; ++k) {
        // Role relations: users, features, report profiles, report templates.
        static constexpr RightKind kRoleOrder[] = {RightKind::Members, RightKind::Features,
                                                   RightKind::ReportProfiles, RightKind::ReportTemplates};
        ReadRelations(roleMap, resultSet(roleRelations, size_t(k)), kRoleOrder[k]);
    }
    static constexpr RightKind kUserOrder[] = {RightKind::Features, RightKind::ReportProfiles,
                                               RightKind::ReportTemplates};
    for (size_t k = 0; k < std::size(kUserOrder); ++k)
        ReadRelations(userMap, resultSet(userRelations, k), kUserOrder[k]);
    SetUserRoles(userMap, roleMap);
    roles.setLoaded(std::move(roleMap));
    users.setLoaded(std::move(userMap));
    catalogue = std::move(loaded);
    return true;
}

void UserAdministration::syncMembers(Subject written, int id, const std::set<int>& added,
                                     const std::set<int>& deleted) {
    const auto apply = [&](auto& container) {
        for (int other : added)
            container.updateBoth(other,
                                 [&](auto& record) { record.rights.of(RightKind::Members).insert(id); });
        for (int other : deleted)
            container.updateBoth(other,
                                 [&](auto& record) { record.rights.of(RightKind::Members).erase(id); });
    };
    if (written == Subject::Users)
        apply(roles);
    else
        apply(users);
}

bool UserAdministration::sendRelations(Subject subject, const std::vector<int>& ids,
                                       const Difference& difference) {
    const CallSettings s = settings();
    std::vector<db::Command> commands;
    for (const RelationCall& part : SplitRelations(ids, difference))
        commands.push_back(subject == Subject::Users ? UserRelationsCall(s, part.targetIds, part.lists)
                                                     : RoleRelationsCall(s, part.targetIds, part.lists));
    const Outcome outcome = run(subject == Subject::Users ? kTextUserRelations : kTextRoleUpdate, commands);
    reportRelations(subject, outcome, difference);
    if (!outcome.ok) return false;
    const size_t members = size_t(RightKind::Members);
    for (int id : ids) {
        const auto applyDifference = [&](auto& record) {
            for (size_t k = 0; k < size_t(kRightKinds); ++k) {
                for (int added : difference.added[k]) record.rights.ids[k].insert(added);
                for (int deleted : difference.deleted[k]) record.rights.ids[k].erase(deleted);
            }
        };
        if (subject == Subject::Users)
            users.updateBoth(id, applyDifference);
        else
            roles.updateBoth(id, applyDifference);
        syncMembers(subject, id, difference.added[members], difference.deleted[members]);
    }
    return true;
}

namespace {

void copyPersonal(User& to, const User& from) {
    to.Initials = from.Initials;
    to.FirstName = from.FirstName;
    to.SurName = from.SurName;
    to.Organisation = from.Organisation;
    to.Email = from.Email;
    to.AccessLevelId = from.AccessLevelId;
    to.OverrideAccessLevel = from.OverrideAccessLevel;
}

void copyPersonal(UserRole& to, const UserRole& from) {
    to.Title = from.Title;
    to.Description = from.Description;
    to.AccessLevelId = from.AccessLevelId;
}

}  // namespace

bool UserAdministration::saveUsers() {
    for (const SaveStep& step : PlanSave(users)) {
        if (step.kind == SaveStep::Kind::Relations) {
            if (!sendRelations(Subject::Users, step.ids, step.difference)) return false;
            continue;
        }
        const User user = users.items.at(step.ids.front());
        db::Command call = UserWriteCall(settings(), Operation::Update, user, nullptr);
        const Outcome outcome = run(kTextUserUpdate, call);
        report(Subject::Users, Operation::Update, outcome, user.Initials);
        if (!outcome.ok) return false;
        User stored = *users.loadedRecord(user.UserId);
        copyPersonal(stored, user);
        users.setStored(stored, true);
    }
    return true;
}

bool UserAdministration::saveRoles() {
    for (const SaveStep& step : PlanSave(roles)) {
        if (step.kind == SaveStep::Kind::Relations) {
            if (!sendRelations(Subject::Roles, step.ids, step.difference)) return false;
            continue;
        }
        const UserRole role = roles.items.at(step.ids.front());
        db::Command call = RoleWriteCall(settings(), Operation::Update, role, 0);
        const Outcome outcome = run(kTextRoleUpdate, call);
        report(Subject::Roles, Operation::Update, outcome, role.Title);
        if (!outcome.ok) return false;
        UserRole stored = *roles.loadedRecord(role.RoleId);
        copyPersonal(stored, role);
        roles.setStored(stored, true);
    }
    return true;
}

bool UserAdministration::createUser(User& user, const QString& password, const std::set<int>& roleIds) {
    db::Command call = UserWriteCall(settings(), Operation::Create, user, &password);
    const Outcome outcome = run(kTextUserCreate, call);
    report(Subject::Users, Operation::Create, outcome, user.Initials);
    if (!outcome.ok) return false;
    const db::Parameter* id = call.parameter(QStringLiteral("@UserId"));
    const int userId = id ? id->value.toInt() : 0;
    if (userId < 1) return true;
    user.UserId = userId;
    if (settings().oldUserColumns()) user.Password = password;
    user.rights = {};
    users.setStored(user);
    if (!roleIds.empty()) {
        Difference difference;
        difference.added[size_t(RightKind::Members)] = roleIds;
        if (sendRelations(Subject::Users, {userId}, difference)) user.rights.of(RightKind::Members) = roleIds;
    }
    return true;
}

bool UserAdministration::updateUser(const User& user, const QString* password, const std::set<int>& roleIds,
                                    bool* written) {
    db::Command call = UserWriteCall(settings(), Operation::Update, user, password);
    const Outcome outcome = run(kTextUserUpdate, call);
    report(Subject::Users, Operation::Update, outcome, user.Initials);
    if (written) *written = outcome.ok;
    if (!outcome.ok) return false;
    const bool storesPassword = password && settings().oldUserColumns();
    users.updateBoth(user.UserId, [&](User& record) {
        copyPersonal(record, user);
        if (storesPassword) record.Password = *password;
    });
    const User* stored = users.loadedRecord(user.UserId);
    if (!stored) return true;
    Rights wanted = stored->rights;
    wanted.of(RightKind::Members) = roleIds;
    const Difference difference = DifferenceOf(stored->rights, wanted);
    if (difference.empty()) return true;
    return sendRelations(Subject::Users, {user.UserId}, difference);
}

bool UserAdministration::createRole(UserRole& role, int copyFrom) {
    db::Command call = RoleWriteCall(settings(), Operation::Create, role, copyFrom);
    const Outcome outcome = run(kTextRoleCreate, call);
    report(Subject::Roles, Operation::Create, outcome, role.Title);
    if (!outcome.ok) return false;
    const db::Parameter* id = call.parameter(QStringLiteral("@RoleId"));
    role.RoleId = id ? id->value.toInt() : 0;
    if (role.RoleId < 1) return true;
    role.rights = {};
    role.notRelatableTemplates.clear();
    if (const UserRole* base = roles.loadedRecord(copyFrom)) {
        // The procedure copied the base role's rights, not its users.
        role.rights = base->rights;
        role.rights.of(RightKind::Members).clear();
        role.notRelatableTemplates = base->notRelatableTemplates;
    }
    roles.setStored(role);
    return true;
}

bool UserAdministration::updateRole(const UserRole& role) {
    db::Command call = RoleWriteCall(settings(), Operation::Update, role, 0);
    const Outcome outcome = run(kTextRoleUpdate, call);
    report(Subject::Roles, Operation::Update, outcome, role.Title);
    if (!outcome.ok) return false;
    roles.updateBoth(role.RoleId, [&](UserRole& record) { copyPersonal(record, role); });
    return true;
}

bool UserAdministration::deleteRole(int roleId) {
    db::Command call = RoleDeleteCall(settings(), roleId);
    const Outcome outcome = run(kTextRoleDelete, call);
    const UserRole* role = roles.find(roleId);
    report(Subject::Roles, Operation::Delete, outcome, role ? role->Title : QString());
    if (!outcome.ok) return false;
    const std::set<int> members = role ? role->rights.of(RightKind::Members) : std::set<int>();
    syncMembers(Subject::Roles, roleId, {}, members);
    roles.remove(roleId);
    return true;
}

}  // namespace users
