// Users, user roles and the rights that link them to features, report
// profiles and report templates: WMS_SP_CRQ_AdminUser and
// WMS_SP_CRQ_AdminUserRole, each driven by an operation word.
//
// Refusals are return values, checked before anything is written, so a
// refused call changes nothing. Adding a relation that exists or deleting one
// that does not is no error: a save that is tried again sends them again.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

#include <QStringList>
#include <vector>

namespace reportdb {

namespace {

using db::FieldType;

// The user, level and override columns and parameters of older databases.
constexpr char kNoStoredPasswordsSince[] = "3.24.0.0";

// Return values of WMS_SP_CRQ_AdminUser.
constexpr int kUserNoAdministrator = 13;
constexpr int kUserUnknownOperation = 15;
constexpr int kUserInitialsMissing = 16;
constexpr int kUserInitialsTaken = 17;
constexpr int kUserUnknownUser = 18;
constexpr int kUserUnknownRole = 19;
constexpr int kUserUnknownFeature = 20;
constexpr int kUserUnknownTemplate = 21;
constexpr int kUserUnknownProfile = 22;
constexpr int kUserRoleNotRelatable = 50;

// Return values of WMS_SP_CRQ_AdminUserRole.
constexpr int kRoleUnknownOperation = 1;
constexpr int kRoleNoAdministrator = 13;
constexpr int kRoleTitleMissingOrTaken = 15;
constexpr int kRoleUnknownId = 16;
constexpr int kRoleLockedOrClosed = 17;

// A refusal found while checking a call; becomes its return value.
struct Refusal {
    int code;
};

ProcedureResult refused(int code) {
    ProcedureResult result;
    result.returnValue = code;
    return result;
}

// A comma-separated id list; NULL or empty is no id. A part that is not a
// number fails the call as the server's conversion would.
std::vector<int> idList(const Arguments& args, const QString& name) {
    std::vector<int> ids;
    if (!args.has(name) || args.isNull(name)) return ids;
    const QString text = args.toString(name).trimmed();
    if (text.isEmpty()) return ids;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (!ok)
            throw SqlError(
                QStringLiteral("Conversion failed when converting the nvarchar value '%1' to data type int.")
                    .arg(part));
        ids.push_back(id);
    }
    return ids;
}

// Ids as a JSON array, so one statement takes a whole list through json_each.
QString jsonIds(const std::vector<int>& ids) {
    QStringList parts;
    parts.reserve(qsizetype(ids.size()));
    for (int id : ids) parts << QString::number(id);
    return u'[' + parts.join(u',') + u']';
}

bool isListed(const Arguments& args, const QString& name) { return args.has(name) && !args.isNull(name); }

// How many distinct ids of `ids` the query's "WHERE <key> IN (...)" finds.
bool allExist(const ProcedureContext& context, const QString& table, const QString& key,
              const std::vector<int>& ids, const QString& condition = {}) {
    if (ids.empty()) return true;
    const QString json = jsonIds(ids);
    const QVariant found = context.scalar(
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2 IN (SELECT value FROM json_each(?))%3")
            .arg(table, key, condition.isEmpty() ? QString() : QStringLiteral(" AND ") + condition),
        {json});
    const QVariant wanted =
        context.scalar(QStringLiteral("SELECT count(DISTINCT value) FROM json_each(?)"), {json});
    return found.toLongLong() == wanted.toLongLong();
}

// The condition on TUser that hides service users unless they are asked for.
QString visibleUsers(const Arguments& args, const QString& alias = QStringLiteral("TUser")) {
    return args.toBool(QStringLiteral("@ShowKorvaneUsers")) ? QStringLiteral("1 = 1")
                                                            : alias + QStringLiteral(".KorvaneUser = 0");
}

bool administratorKnown(const ProcedureContext& context, const Arguments& args) {
    const QVariant id = args.value(QStringLiteral("@UserAdministratorId"));
    return !id.isNull() &&
           !context.scalar(QStringLiteral("SELECT 1 FROM TUser WHERE UserId = ?"), {id}).isNull();
}

// One kind of relation: its table, the owner and target columns, the table
// that holds the targets, and the list parameters that add and delete.
struct Relation {
    const char* table;
    const char* owner;
    const char* target;
    const char* targetTable;
    const char* addList;
    const char* deleteList;
};

void applyRelation(const ProcedureContext& context, const Arguments& args, const Relation& relation,
                   const std::vector<int>& owners) {
    if (owners.empty()) return;
    const QString ownerJson = jsonIds(owners);
    const QString table = QLatin1String(relation.table);
    const QString owner = QLatin1String(relation.owner);
    const QString target = QLatin1String(relation.target);
    const std::vector<int> added = idList(args, QLatin1String(relation.addList));
    if (!added.empty())
        context.exec(QStringLiteral("INSERT OR IGNORE INTO %1 (%2, %3) SELECT DISTINCT o.value, t.value "
                                    "FROM json_each(?1) AS o, json_each(?2) AS t")
                         .arg(table, owner, target),
                     {ownerJson, jsonIds(added)});
    const std::vector<int> deleted = idList(args, QLatin1String(relation.deleteList));
    if (!deleted.empty())
        context.exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT value FROM json_each(?1)) "
                                    "AND %3 IN (SELECT value FROM json_each(?2))")
                         .arg(table, owner, target),
                     {ownerJson, jsonIds(deleted)});
}

// Checks that the ids of an add list exist in the target table.
void checkAdded(const ProcedureContext& context, const Arguments& args, const Relation& relation,
                int unknownCode, const QString& condition = {}) {
    if (!allExist(context, QLatin1String(relation.targetTable), QLatin1String(relation.target),
                  idList(args, QLatin1String(relation.addList)), condition))
        throw Refusal{unknownCode};
}

// Result sets named in "@OperationParams", in the order named.
struct NamedQuery {
    const char* name;
    QString sql;
};

ProcedureResult selectNamed(const ProcedureContext& context, const Arguments& args,
                            const std::vector<NamedQuery>& queries, int unknownCode) {
    const QString wanted =
        args.isNull(QStringLiteral("@OperationParams")) ? QString() : args.toString("@OperationParams");
    QStringList names;
    for (const QString& part : wanted.split(u',', Qt::SkipEmptyParts)) names << part.trimmed().toUpper();
    if (names.isEmpty()) return refused(unknownCode);
    std::vector<const NamedQuery*> chosen;
    for (const QString& name : names) {
        const NamedQuery* found = nullptr;
        for (const NamedQuery& query : queries)
            if (name == QLatin1String(query.name)) found = &query;
        if (!found) return refused(unknownCode);
        chosen.push_back(found);
    }
    ProcedureResult result;
    for (const NamedQuery* query : chosen) result.resultSets.push_back(context.query(query->sql));
    return result;
}

// --- WMS_SP_CRQ_AdminUser ---------------------------------------------------

const Relation kUserRoles{"TUserRole_TUser", "UserId",        "RoleId",
                          "TUserRole",       "@RoleIdsToAdd", "@RoleIdsToDelete"};
const Relation kUserFeatures{"TUser_TFeature", "UserId",           "FeatureId",
                             "TFeature",       "@FeatureIdsToAdd", "@FeatureIdsToDelete"};
const Relation kUserTemplates{"TUser_TReportTemplate",   "UserId",
                              "ReportTemplateId",        "TReportTemplate",
                              "@ReportTemplateIdsToAdd", "@ReportTemplateIdsToDelete"};
const Relation kUserProfiles{"TUser_TReportProfile",   "UserId",
                             "ReportProfileId",        "TReportProfile",
                             "@ReportProfileIdsToAdd", "@ReportProfileIdsToDelete"};

void checkUserLists(const ProcedureContext& context, const Arguments& args) {
    checkAdded(context, args, kUserRoles, kUserUnknownRole);
    checkAdded(context, args, kUserRoles, kUserRoleNotRelatable, QStringLiteral("Relatable <> 0"));
    checkAdded(context, args, kUserFeatures, kUserUnknownFeature);
    checkAdded(context, args, kUserTemplates, kUserUnknownTemplate);
    checkAdded(context, args, kUserProfiles, kUserUnknownProfile);
}

void applyUserLists(const ProcedureContext& context, const Arguments& args, const std::vector<int>& users) {
    for (const Relation* relation : {&kUserRoles, &kUserFeatures, &kUserTemplates, &kUserProfiles})
        applyRelation(context, args, *relation, users);
}

// Initials must be given and be no other user's (in any letter case).
void checkInitials(const ProcedureContext& context, const QVariant& initials, int ownId) {
    if (initials.isNull() || initials.toString().trimmed().isEmpty()) throw Refusal{kUserInitialsMissing};
    if (!context
             .scalar(
                 QStringLiteral("SELECT 1 FROM TUser WHERE UserInitials = ? COLLATE NOCASE AND UserId <> ?"),
                 {initials.toString().trimmed(), ownId})
             .isNull())
        throw Refusal{kUserInitialsTaken};
}

bool userVisible(const ProcedureContext& context, const Arguments& args, int userId) {
    return !context
                .scalar(QStringLiteral("SELECT 1 FROM TUser WHERE UserId = ? AND %1").arg(visibleUsers(args)),
                        {userId})
                .isNull();
}

// The personal columns a call sets: those given (not NULL).
struct ColumnValues {
    QStringList columns;
    std::vector<QVariant> values;
};

ColumnValues personalValues(const ProcedureContext& context, const Arguments& args) {
    struct Personal {
        const char* parameter;
        const char* column;
        bool oldOnly;
    };
    static constexpr Personal kPersonal[] = {
        {"@Initials", "UserInitials", false},
        {"@FirstName", "UserFirstName", false},
        {"@SurName", "UserSurName", false},
        {"@Organisation", "UserOrganisation", false},
        {"@Email", "UserEmail", false},
        {"@Password", "UserPassword", true},
        {"@AccessLevelId", "AccessLevelId", true},
        {"@OverrideAccessLevel", "OverrideAccessLevel", true},
    };
    ColumnValues out;
    const bool old = !context.versionAtLeast(QLatin1String(kNoStoredPasswordsSince));
    for (const Personal& p : kPersonal) {
        if (p.oldOnly && !old) continue;
        const QString parameter = QLatin1String(p.parameter);
        if (args.isNull(parameter)) continue;
        QVariant value = args.value(parameter);
        if (parameter == QLatin1String("@Initials")) value = value.toString().trimmed();
        if (parameter == QLatin1String("@OverrideAccessLevel")) value = value.toBool() ? 1 : 0;
        out.columns << QLatin1String(p.column);
        out.values.push_back(value);
    }
    return out;
}

ProcedureResult createUser(ProcedureContext& context, const Arguments& args) {
    checkInitials(context, args.value(QStringLiteral("@Initials")), 0);
    checkUserLists(context, args);
    const ColumnValues personal = personalValues(context, args);
    context.exec(
        QStringLiteral("INSERT INTO TUser (%1) VALUES (%2)")
            .arg(personal.columns.join(QStringLiteral(", ")),
                 QStringList(personal.columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
        personal.values);
    const int userId = int(context.lastInsertId());
    applyUserLists(context, args, {userId});
    ProcedureResult result;
    result.outputs[QStringLiteral("@UserId")] = userId;
    return result;
}

ProcedureResult updateUser(ProcedureContext& context, const Arguments& args) {
    const int userId = args.toInt(QStringLiteral("@UserId"));
    if (args.isNull(QStringLiteral("@UserId")) || !userVisible(context, args, userId))
        throw Refusal{kUserUnknownUser};
    if (!args.isNull(QStringLiteral("@Initials")))
        checkInitials(context, args.value(QStringLiteral("@Initials")), userId);
    checkUserLists(context, args);
    ColumnValues personal = personalValues(context, args);
    if (!personal.columns.isEmpty()) {
        QStringList assignments;
        for (const QString& column : personal.columns) assignments << column + QStringLiteral(" = ?");
        personal.values.push_back(userId);
        context.exec(QStringLiteral("UPDATE TUser SET %1 WHERE UserId = ?")
                         .arg(assignments.join(QStringLiteral(", "))),
                     personal.values);
    }
    applyUserLists(context, args, {userId});
    ProcedureResult result;
    result.outputs[QStringLiteral("@UserId")] = userId;
    return result;
}

ProcedureResult relateUsers(ProcedureContext& context, const Arguments& args) {
    const std::vector<int> users = idList(args, QStringLiteral("@UserIdsToUpdate"));
    if (!allExist(context, QStringLiteral("TUser"), QStringLiteral("UserId"), users, visibleUsers(args)))
        throw Refusal{kUserUnknownUser};
    checkUserLists(context, args);
    applyUserLists(context, args, users);
    return {};
}

ProcedureResult selectUsers(ProcedureContext& context, const Arguments& args) {
    QString columns = QStringLiteral(
        "UserId, UserInitials, UserFirstName, UserSurName, UserOrganisation, UserEmail, UserLastLoginDate");
    if (!context.versionAtLeast(QLatin1String(kNoStoredPasswordsSince)))
        columns += QStringLiteral(", AccessLevelId, OverrideAccessLevel, UserPassword");
    const QString visible = visibleUsers(args, QStringLiteral("U"));
    const auto relation = [&](const char* table, const char* column) {
        return QStringLiteral(
                   "SELECT R.UserId, R.%2 FROM %1 AS R INNER JOIN TUser AS U ON U.UserId = R.UserId "
                   "WHERE %3 ORDER BY R.UserId, R.%2")
            .arg(QLatin1String(table), QLatin1String(column), visible);
    };
    return selectNamed(
        context, args,
        {{"USERS",
          QStringLiteral("SELECT %1 FROM TUser AS U WHERE %2 ORDER BY UserId").arg(columns, visible)},
         {"FEATURE_RELATIONS", relation("TUser_TFeature", "FeatureId")},
         {"REPORTPROFILE_RELATIONS", relation("TUser_TReportProfile", "ReportProfileId")},
         {"REPORTTEMPLATE_RELATIONS", relation("TUser_TReportTemplate", "ReportTemplateId")}},
        kUserUnknownOperation);
}

ProcedureResult adminUser(ProcedureContext& context, const Arguments& args) {
    if (!administratorKnown(context, args)) return refused(kUserNoAdministrator);
    const QString operation = args.toString(QStringLiteral("@Operation")).trimmed().toUpper();
    try {
        if (operation == QLatin1String("SELECT")) return selectUsers(context, args);
        if (operation == QLatin1String("CREATE")) return createUser(context, args);
        if (operation == QLatin1String("UPDATE")) return updateUser(context, args);
        if (operation == QLatin1String("UPDATE_RELATIONS")) return relateUsers(context, args);
    } catch (const Refusal& refusal) {
        return refused(refusal.code);
    }
    return refused(kUserUnknownOperation);
}

// --- WMS_SP_CRQ_AdminUserRole -----------------------------------------------

const Relation kRoleUsers{"TUserRole_TUser", "RoleId",        "UserId",
                          "TUser",           "@UserIdsToAdd", "@UserIdsToDelete"};
const Relation kRoleFeatures{"TUserRole_TFeature", "RoleId",           "FeatureId",
                             "TFeature",           "@FeatureIdsToAdd", "@FeatureIdsToDelete"};
const Relation kRoleTemplates{"TUserRole_TReportTemplate", "RoleId",
                              "ReportTemplateId",          "TReportTemplate",
                              "@ReportTemplateIdsToAdd",   "@ReportTemplateIdsToDelete"};
const Relation kRoleProfiles{"TUserRole_TReportProfile", "RoleId",
                             "ReportProfileId",          "TReportProfile",
                             "@ReportProfileIdsToAdd",   "@ReportProfileIdsToDelete"};

struct RoleState {
    bool exists = false;
    bool locked = false;
    bool relatable = false;
};

RoleState roleState(const ProcedureContext& context, int roleId) {
    const db::ResultSet rows =
        context.query(QStringLiteral("SELECT Locked, Relatable FROM TUserRole WHERE RoleId = ?"), {roleId});
    if (rows.rows.empty()) return {};
    return {true, rows.rows[0][0].toInt() != 0, rows.rows[0][1].toInt() != 0};
}

// A title must be given and be no other role's (in any letter case).
QString checkedTitle(const ProcedureContext& context, const Arguments& args, int ownId) {
    const QString title = args.isNull(QStringLiteral("@RoleTitle"))
                              ? QString()
                              : args.toString(QStringLiteral("@RoleTitle")).trimmed();
    if (title.isEmpty() ||
        !context
             .scalar(QStringLiteral("SELECT 1 FROM TUserRole WHERE Title = ? COLLATE NOCASE AND RoleId <> ?"),
                     {title, ownId})
             .isNull())
        throw Refusal{kRoleTitleMissingOrTaken};
    return title.left(50);
}

QVariant description(const Arguments& args) {
    if (args.isNull(QStringLiteral("@RoleDescription"))) return QString();
    return args.toString(QStringLiteral("@RoleDescription")).left(200);
}

QVariant level(const Arguments& args) {
    return args.isNull(QStringLiteral("@AccessLevelId")) ? QVariant(1) : args.value("@AccessLevelId");
}

// Users may be added only when they are shown, and only to relatable roles.
void checkRoleUsers(const ProcedureContext& context, const Arguments& args, const std::vector<int>& roles) {
    const std::vector<int> added = idList(args, QLatin1String(kRoleUsers.addList));
    if (added.empty()) return;
    if (!allExist(context, QStringLiteral("TUser"), QStringLiteral("UserId"), added, visibleUsers(args)))
        throw Refusal{kRoleUnknownId};
    for (int role : roles)
        if (!roleState(context, role).relatable) throw Refusal{kRoleLockedOrClosed};
}

ProcedureResult createRole(ProcedureContext& context, const Arguments& args) {
    const QString title = checkedTitle(context, args, 0);
    const int copyFrom =
        args.isNull(QStringLiteral("@RoleIdToCopyFrom")) ? 0 : args.toInt("@RoleIdToCopyFrom");
    if (copyFrom > 0 && !roleState(context, copyFrom).exists) throw Refusal{kRoleUnknownId};
    const std::vector<int> added = idList(args, QLatin1String(kRoleUsers.addList));
    if (!allExist(context, QStringLiteral("TUser"), QStringLiteral("UserId"), added, visibleUsers(args)))
        throw Refusal{kRoleUnknownId};
    context.exec(QStringLiteral("INSERT INTO TUserRole (Title, Description, AccessLevelId) VALUES (?, ?, ?)"),
                 {title, description(args), level(args)});
    const int roleId = int(context.lastInsertId());
    if (copyFrom > 0) {
        context.exec(QStringLiteral("INSERT INTO TUserRole_TFeature (RoleId, FeatureId) SELECT ?, FeatureId "
                                    "FROM TUserRole_TFeature WHERE RoleId = ?"),
                     {roleId, copyFrom});
        context.exec(
            QStringLiteral("INSERT INTO TUserRole_TReportProfile (RoleId, ReportProfileId) SELECT ?, "
                           "ReportProfileId FROM TUserRole_TReportProfile WHERE RoleId = ?"),
            {roleId, copyFrom});
        context.exec(
            QStringLiteral("INSERT INTO TUserRole_TReportTemplate (RoleId, ReportTemplateId, Relatable) "
                           "SELECT ?, ReportTemplateId, Relatable FROM TUserRole_TReportTemplate "
                           "WHERE RoleId = ?"),
            {roleId, copyFrom});
    }
    applyRelation(context, args, kRoleUsers, {roleId});
    ProcedureResult result;
    result.outputs[QStringLiteral("@RoleId")] = roleId;
    return result;
}

ProcedureResult updateRole(ProcedureContext& context, const Arguments& args) {
    const int roleId = args.toInt(QStringLiteral("@RoleId"));
    const RoleState state = roleState(context, roleId);
    if (!state.exists) throw Refusal{kRoleUnknownId};
    if (state.locked) throw Refusal{kRoleLockedOrClosed};
    const QString title = checkedTitle(context, args, roleId);
    checkRoleUsers(context, args, {roleId});
    context.exec(
        QStringLiteral("UPDATE TUserRole SET Title = ?, Description = ?, AccessLevelId = ? WHERE RoleId = ?"),
        {title, description(args), level(args), roleId});
    applyRelation(context, args, kRoleUsers, {roleId});
    ProcedureResult result;
    result.outputs[QStringLiteral("@RoleId")] = roleId;
    return result;
}

ProcedureResult deleteRole(ProcedureContext& context, const Arguments& args) {
    const int roleId = args.toInt(QStringLiteral("@RoleId"));
    const RoleState state = roleState(context, roleId);
    if (!state.exists) throw Refusal{kRoleUnknownId};
    if (state.locked) throw Refusal{kRoleLockedOrClosed};
    context.exec(QStringLiteral("DELETE FROM TUserRole WHERE RoleId = ?"), {roleId});
    return {};
}

ProcedureResult relateRoles(ProcedureContext& context, const Arguments& args) {
    const std::vector<int> roles = idList(args, QStringLiteral("@RoleIdsToUpdate"));
    if (!allExist(context, QStringLiteral("TUserRole"), QStringLiteral("RoleId"), roles))
        throw Refusal{kRoleUnknownId};
    // The rights of a locked role are fixed; its members are not.
    bool rightsChanged = false;
    for (const Relation* relation : {&kRoleFeatures, &kRoleTemplates, &kRoleProfiles})
        rightsChanged = rightsChanged || isListed(args, QLatin1String(relation->addList)) ||
                        isListed(args, QLatin1String(relation->deleteList));
    if (rightsChanged)
        for (int role : roles)
            if (roleState(context, role).locked) throw Refusal{kRoleLockedOrClosed};
    checkRoleUsers(context, args, roles);
    for (const Relation* relation : {&kRoleFeatures, &kRoleTemplates, &kRoleProfiles})
        checkAdded(context, args, *relation, kRoleUnknownId);
    for (const Relation* relation : {&kRoleUsers, &kRoleFeatures, &kRoleTemplates, &kRoleProfiles})
        applyRelation(context, args, *relation, roles);
    return {};
}

ProcedureResult selectRoles(ProcedureContext& context, const Arguments& args) {
    const QString visible = visibleUsers(args, QStringLiteral("U"));
    const auto relation = [](const char* table, const char* columns) {
        return QStringLiteral("SELECT %2 FROM %1 ORDER BY 1, 2")
            .arg(QLatin1String(table), QLatin1String(columns));
    };
    return selectNamed(
        context, args,
        {{"FEATURES", QStringLiteral("SELECT FeatureId, FeatureModule, FeatureTitle, FeatureDescription FROM "
                                     "TFeature ORDER BY FeatureId")},
         {"REPORTPROFILES",
          QStringLiteral("SELECT ReportProfileId, ReportProfileTitle, ReportProfileDescription "
                         "FROM TReportProfile ORDER BY ReportProfileId")},
         {"REPORTTEMPLATES", QStringLiteral("SELECT ReportTemplateId, ReportTemplateTitle, "
                                            "ReportTemplateDescription, Locked, ReportTemplateTypeId FROM "
                                            "TReportTemplate ORDER BY ReportTemplateId")},
         {"ROLES",
          QStringLiteral("SELECT RoleId, Title, Description, AccessLevelId, Locked, Required, Relatable "
                         "FROM TUserRole ORDER BY RoleId")},
         {"USER_RELATIONS",
          QStringLiteral("SELECT R.RoleId, R.UserId FROM TUserRole_TUser AS R INNER JOIN TUser AS U ON "
                         "U.UserId = R.UserId WHERE %1 ORDER BY R.RoleId, R.UserId")
              .arg(visible)},
         {"FEATURE_RELATIONS", relation("TUserRole_TFeature", "RoleId, FeatureId")},
         {"REPORTPROFILE_RELATIONS", relation("TUserRole_TReportProfile", "RoleId, ReportProfileId")},
         {"REPORTTEMPLATE_RELATIONS",
          relation("TUserRole_TReportTemplate", "RoleId, ReportTemplateId, Relatable")}},
        kRoleUnknownOperation);
}

ProcedureResult adminUserRole(ProcedureContext& context, const Arguments& args) {
    if (!administratorKnown(context, args)) return refused(kRoleNoAdministrator);
    const QString operation = args.toString(QStringLiteral("@Operation")).trimmed().toUpper();
    try {
        if (operation == QLatin1String("SELECT")) return selectRoles(context, args);
        if (operation == QLatin1String("CREATE")) return createRole(context, args);
        if (operation == QLatin1String("UPDATE")) return updateRole(context, args);
        if (operation == QLatin1String("DELETE")) return deleteRole(context, args);
        if (operation == QLatin1String("UPDATE_RELATIONS")) return relateRoles(context, args);
    } catch (const Refusal& refusal) {
        return refused(refusal.code);
    }
    return refused(kRoleUnknownOperation);
}

std::vector<ProcedureParameter> commonParameters() {
    return {ProcedureParameter::input(QStringLiteral("@Operation"), FieldType::String),
            ProcedureParameter::optional(QStringLiteral("@OperationParams"), FieldType::String, {}),
            ProcedureParameter::input(QStringLiteral("@UserAdministratorId"), FieldType::Integer),
            ProcedureParameter::optional(QStringLiteral("@ShowKorvaneUsers"), FieldType::Boolean, false)};
}

void addLists(std::vector<ProcedureParameter>& parameters, std::initializer_list<const char*> names) {
    for (const char* name : names)
        parameters.push_back(ProcedureParameter::optional(QLatin1String(name), FieldType::String, {}));
}

}  // namespace

void registerUserProcedures(ProcedureRegistry& registry) {
    std::vector<ProcedureParameter> user = commonParameters();
    user.push_back(ProcedureParameter::out(QStringLiteral("@UserId"), FieldType::Integer));
    for (const char* name : {"@Initials", "@FirstName", "@SurName", "@Organisation", "@Email"})
        user.push_back(ProcedureParameter::optional(QLatin1String(name), FieldType::String, {}));
    user.push_back(ProcedureParameter::optional(QStringLiteral("@Password"), FieldType::String, {})
                       .before(QLatin1String(kNoStoredPasswordsSince)));
    user.push_back(ProcedureParameter::optional(QStringLiteral("@AccessLevelId"), FieldType::Integer, {})
                       .before(QLatin1String(kNoStoredPasswordsSince)));
    user.push_back(
        ProcedureParameter::optional(QStringLiteral("@OverrideAccessLevel"), FieldType::Boolean, {})
            .before(QLatin1String(kNoStoredPasswordsSince)));
    addLists(user, {"@UserIdsToUpdate", "@RoleIdsToAdd", "@RoleIdsToDelete", "@FeatureIdsToAdd",
                    "@FeatureIdsToDelete", "@ReportTemplateIdsToAdd", "@ReportTemplateIdsToDelete",
                    "@ReportProfileIdsToAdd", "@ReportProfileIdsToDelete"});
    registry.add(QStringLiteral("WMS_SP_CRQ_AdminUser"), std::move(user), adminUser);

    std::vector<ProcedureParameter> role = commonParameters();
    role.push_back(ProcedureParameter::out(QStringLiteral("@RoleId"), FieldType::Integer));
    role.push_back(ProcedureParameter::optional(QStringLiteral("@RoleTitle"), FieldType::String, {}));
    role.push_back(ProcedureParameter::optional(QStringLiteral("@RoleDescription"), FieldType::String, {}));
    role.push_back(ProcedureParameter::optional(QStringLiteral("@AccessLevelId"), FieldType::Integer, {}));
    role.push_back(ProcedureParameter::optional(QStringLiteral("@RoleIdToCopyFrom"), FieldType::Integer, {}));
    addLists(role, {"@RoleIdsToUpdate", "@UserIdsToAdd", "@UserIdsToDelete", "@FeatureIdsToAdd",
                    "@FeatureIdsToDelete", "@ReportTemplateIdsToAdd", "@ReportTemplateIdsToDelete",
                    "@ReportProfileIdsToAdd", "@ReportProfileIdsToDelete"});
    registry.add(QStringLiteral("WMS_SP_CRQ_AdminUserRole"), std::move(role), adminUserRole);
}

}  // namespace reportdb
