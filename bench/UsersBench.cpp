// The user administration on a large installation: 2,000 users, 100 roles,
// 300 features and 3,000 report templates with 100,000 relations. Loading
// everything, saving one relation change for 1,000 users, and the user
// management window: opening it, building each grid, a rebuild of every
// grid and a filter change. Run with QT_QPA_PLATFORM=offscreen.
#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "app/TraceLog.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"
#include "ui/DataSetModel.h"
#include "ui/Prompts.h"
#include "ui/Waiting.h"
#include "users/TFormUserManagement.h"
#include "users/UserAdministration.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

namespace {

class NoPrompts : public ui::Prompts {
public:
    void message(ui::Icon, const QString& text, const QString&) override {
        throw std::runtime_error("unexpected message: " + text.toStdString());
    }
    ui::Button question(ui::Icon, const QString&, const QString&, ui::Buttons, ui::Button b) override {
        return b;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void setClipboardText(const QString&) override {}
    bool openWithDesktop(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    QString defaultPrinterName() override { return {}; }
};

// Rows beside the demo's: ids start high enough to stay clear of them.
constexpr const char* kLargeInstallation = R"sql(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)
INSERT INTO TReportTemplate (ReportTemplateId, ReportTemplateTitle, Locked, ReportTemplateTypeId)
    SELECT 10000 + i, 'Template ' || i, i % 7 = 0, 1 + i % 17 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)
INSERT INTO TFeature (FeatureId, FeatureModule, FeatureTitle) SELECT 5000 + i, 'Module ' || (i % 12), 'Feature ' || i FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO TUser (UserId, UserInitials, UserSurName) SELECT 10000 + i, 'B' || i, 'User ' || i FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)
INSERT INTO TUserRole (RoleId, Title) SELECT 1000 + i, 'Role ' || i FROM n;
INSERT INTO TUserRole_TReportTemplate (RoleId, ReportTemplateId, Relatable)
    SELECT RoleId, ReportTemplateId, ReportTemplateId % 9 <> 0 FROM TUserRole, TReportTemplate
    WHERE RoleId > 1000 AND ReportTemplateId > 10000 AND (ReportTemplateId + RoleId) % 6 = 0;
INSERT INTO TUserRole_TUser (RoleId, UserId) SELECT RoleId, UserId FROM TUserRole, TUser
    WHERE RoleId > 1000 AND UserId > 10000 AND (UserId + RoleId) % 40 = 0;
INSERT INTO TUser_TFeature (UserId, FeatureId) SELECT UserId, FeatureId FROM TUser, TFeature
    WHERE UserId > 10000 AND FeatureId > 5000 AND (UserId * 7 + FeatureId) % 30 = 0;
INSERT INTO TUser_TReportTemplate (UserId, ReportTemplateId) SELECT UserId, ReportTemplateId FROM TUser, TReportTemplate
    WHERE UserId > 10000 AND ReportTemplateId > 10000 AND (UserId * 3 + ReportTemplateId) % 200 = 0;
)sql";

class Fixture {
public:
    Fixture() : context_(prompts_, trace_, reportdb::makeConnectionFactory()), status_(context_) {
        const QString path = dir_.filePath(QStringLiteral("bench.db"));
        reportdb::demo::Options options;
        options.turbineCount = 2;
        options.rawDataDays = 1;
        reportdb::demo::Summary summary;
        QString error;
        if (!reportdb::demo::writeDemoDatabase(path, options, &summary, &error))
            throw std::runtime_error(error.toStdString());
        auto server = reportdb::Server::open(path, &error);
        auto connection = server ? server->connect(&error) : nullptr;
        if (!connection) throw std::runtime_error(error.toStdString());
        db::Command sql;
        sql.text = QString::fromLatin1(kLargeInstallation);
        const db::Result result = connection->execute(sql);
        if (!result.ok()) throw std::runtime_error(result.error.toStdString());
        sql.text = QStringLiteral(
            "SELECT (SELECT count(*) FROM TUserRole_TReportTemplate) + (SELECT count(*) FROM "
            "TUserRole_TUser) + "
            "(SELECT count(*) FROM TUser_TFeature) + (SELECT count(*) FROM TUser_TReportTemplate)");
        relations_ = connection->execute(sql).resultSets.at(0).rows.at(0).at(0).toInt();

        context_.session().DBVersion = summary.versionText;
        context_.session().UserId = summary.administratorUserId;
        context_.Database().setConnectionString(QStringLiteral("Provider=Embedded;Data Source=") + path);
        context_.windows().status = &status_;
        context_.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        window_.setSettingsFile(dir_.filePath(QStringLiteral("UserManagement.ini")));
    }
    ~Fixture() { context_.windows() = app::SharedWindows{}; }

    users::UserAdministration& administration() { return administration_; }
    TFormUserManagement& window() { return window_; }
    int relations() const { return relations_; }

private:
    QTemporaryDir dir_;
    NoPrompts prompts_;
    app::TraceLog trace_;
    app::AppContext context_;
    TFormStatus status_;
    users::UserAdministration administration_{context_};
    TFormUserManagement window_{context_, administration_};
    int relations_ = 0;
};

void loadAll(benchmark::State& state, Fixture& fixture) {
    for (auto _ : state)
        if (!fixture.administration().load()) state.SkipWithError("the load failed");
    state.counters["users"] = double(fixture.administration().users.items.size());
    state.counters["relations"] = fixture.relations();
}

// Gives (then takes back) one feature to 1,000 users, whose other rights differ.
void saveRelationChange(benchmark::State& state, Fixture& fixture) {
    auto& administration = fixture.administration();
    if (!administration.load()) state.SkipWithError("the load failed");
    bool give = true;
    for (auto _ : state) {
        state.PauseTiming();
        int changed = 0;
        for (auto& [id, user] : administration.users.items) {
            if (id <= 10000 || changed == 1000) continue;
            auto& features = user.rights.of(users::RightKind::Features);
            if (give)
                features.insert(5001);
            else
                features.erase(5001);
            ++changed;
        }
        give = !give;
        state.ResumeTiming();
        if (!administration.saveUsers()) state.SkipWithError("the save failed");
    }
}

// Opens the window and waits for its load; the longest time the event loop
// went without a turn while loading says how responsive the window stayed.
void openWindow(benchmark::State& state, Fixture& fixture) {
    TFormUserManagement& window = fixture.window();
    double longestStall = 0;
    for (auto _ : state) {
        bool done = false;
        const auto connection =
            QObject::connect(&window, &TFormUserManagement::loaded, [&done](bool) { done = true; });
        QElapsedTimer sinceTurn;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestStall = std::max(longestStall, double(sinceTurn.restart())); });
        window.Prepare(1);
        window.show();
        sinceTurn.start();
        ticker.start();
        ui::waitUntil([&done] { return done; }, 1, 600000);
        ticker.stop();
        QObject::disconnect(connection);
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = longestStall;
}

// The rows of one grid from the loaded containers, into its data set.
void buildGrid(benchmark::State& state, Fixture& fixture, users::Grid grid) {
    auto& administration = fixture.administration();
    if (administration.users.items.empty() && !administration.load()) state.SkipWithError("the load failed");
    const users::UserData data{administration.users, administration.roles, administration.catalogue};
    users::ViewOptions view;
    db::DataSet rows;
    ui::DataSetModel model(rows);
    for (auto _ : state) rows.setRows(users::BuildGrid(grid, data, view, [](int) { return QString(); }));
    state.counters["rows"] = rows.recordCount();
}

// Every grid of the open window rebuilt (a switch), and a filter change.
void rebuildWindow(benchmark::State& state, Fixture& fixture, bool filter) {
    TFormUserManagement& window = fixture.window();
    if (!window.isVisible()) {
        bool done = false;
        const auto connection =
            QObject::connect(&window, &TFormUserManagement::loaded, [&done](bool) { done = true; });
        window.Prepare(1);
        window.show();
        ui::waitUntil([&done] { return done; }, 1, 600000);
        QObject::disconnect(connection);
    }
    QTableView* list = window.grid(users::Grid::UserFilter);
    for (auto _ : state) {
        if (filter) {
            state.PauseTiming();
            list->clearSelection();
            list->selectionModel()->select(list->model()->index(state.iterations() % 100, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            state.ResumeTiming();
            window.TimerFilterTimer();
        } else {
            window.CheckBoxShowDisabledUsersClick();
        }
    }
    state.counters["overview_rows"] = window.rows(users::Grid::Overview).recordCount();
}

// The Overview page shown after a change: its 2 M rows are built on a
// worker; the longest time the event loop went without a turn meanwhile.
void showOverview(benchmark::State& state, Fixture& fixture) {
    TFormUserManagement& window = fixture.window();
    // Every user, as after opening (the filter case chose one).
    window.grid(users::Grid::UserFilter)->clearSelection();
    window.TimerFilterTimer();
    double longestStall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.showGrid(users::Grid::UserDetails);
        window.CheckBoxShowDisabledUsersClick();  // every other grid is out of date now
        bool built = false;
        const auto connection = QObject::connect(&window, &TFormUserManagement::gridBuilt,
                                                 [&built](users::Grid) { built = true; });
        QElapsedTimer sinceTurn;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestStall = std::max(longestStall, double(sinceTurn.restart())); });
        state.ResumeTiming();
        sinceTurn.start();
        ticker.start();
        window.showGrid(users::Grid::Overview);
        ui::waitUntil([&built] { return built; }, 1, 600000);
        ticker.stop();
        QObject::disconnect(connection);
    }
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["overview_rows"] = window.rows(users::Grid::Overview).recordCount();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Fixture fixture;
    benchmark::RegisterBenchmark("users/load", [&fixture](benchmark::State& s) {
        loadAll(s, fixture);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("users/save_1000_users", [&fixture](benchmark::State& s) {
        saveRelationChange(s, fixture);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("users/window_open",
                                 [&fixture](benchmark::State& s) { openWindow(s, fixture); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    const std::pair<const char*, users::Grid> grids[] = {
        {"users/grid/user_details", users::Grid::UserDetails},
        {"users/grid/user_features", users::Grid::UserFeatures},
        {"users/grid/user_profiles", users::Grid::UserProfiles},
        {"users/grid/user_templates", users::Grid::UserTemplates},
        {"users/grid/user_roles", users::Grid::UserRoles},
        {"users/grid/overview", users::Grid::Overview},
        {"users/grid/role_details", users::Grid::RoleDetails},
        {"users/grid/role_features", users::Grid::RoleFeatures},
        {"users/grid/role_templates", users::Grid::RoleTemplates},
        {"users/grid/role_profiles", users::Grid::RoleProfiles},
        {"users/grid/role_users", users::Grid::RoleUsers},
    };
    for (const auto& [name, grid] : grids)
        benchmark::RegisterBenchmark(name, [&fixture, grid = grid](benchmark::State& s) {
            buildGrid(s, fixture, grid);
        })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("users/window_rebuild_all", [&fixture](benchmark::State& s) {
        rebuildWindow(s, fixture, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("users/window_filter_change", [&fixture](benchmark::State& s) {
        rebuildWindow(s, fixture, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("users/window_show_overview",
                                 [&fixture](benchmark::State& s) { showOverview(s, fixture); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
