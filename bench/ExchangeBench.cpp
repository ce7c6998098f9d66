// The export package on 2,000 users with 40 features and 60 report
// templates each: writing it, reading it back, and matching the read users
// against 2,000 database users (half of them differing) to build the
// conflicts.
#include "exchange/ImportRules.h"
#include "exchange/Package.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kUsers = 2000;

users::User user(int n, bool changed) {
    users::User u;
    u.UserId = n;
    u.Initials = QStringLiteral("U%1").arg(n);
    u.FirstName = changed ? QStringLiteral("Änne") : QStringLiteral("Anne");
    u.SurName = QStringLiteral("Surname \"%1\"").arg(n);
    u.Organisation = QStringLiteral("Hollow Ridge Operations");
    u.Email = QStringLiteral("u%1@example.org").arg(n);
    u.AccessLevelId = 1 + n % 4;
    for (int f = 0; f < 40; ++f) u.rights.of(users::RightKind::Features).insert(100 + (n + f * 7) % 300);
    for (int t = 0; t < 60; ++t)
        u.rights.of(users::RightKind::ReportTemplates).insert(10000 + (n * 3 + t * 11) % 3000);
    u.rights.of(users::RightKind::Members) = {1 + n % 20};
    return u;
}

QStringList plainTexts() {
    QStringList texts;
    for (int n = 1; n <= kUsers; ++n) texts << exchange::UserPlainText(user(n, false));
    return texts;
}

exchange::PackageHeader header() {
    exchange::PackageHeader h;
    h.title = QStringLiteral("Hand-over");
    h.databaseVersion = QStringLiteral("3.28.0.0");
    return h;
}

void BM_WritePackage(benchmark::State& state) {
    for (auto _ : state) {
        const QByteArray file = exchange::WritePackage(header(), QStringLiteral("User"), plainTexts());
        benchmark::DoNotOptimize(file.size());
    }
}
BENCHMARK(BM_WritePackage)->Unit(benchmark::kMillisecond);

void BM_ReadPackage(benchmark::State& state) {
    const QByteArray file = exchange::WritePackage(header(), QStringLiteral("User"), plainTexts());
    state.counters["bytes"] = double(file.size());
    for (auto _ : state) {
        exchange::Package package;
        exchange::ReadPackage(file, &package, nullptr);
        const exchange::ImportedObjects imported = exchange::ImportedFrom(package);
        benchmark::DoNotOptimize(imported.users.size());
    }
}
BENCHMARK(BM_ReadPackage)->Unit(benchmark::kMillisecond);

void BM_MatchAndBuildConflicts(benchmark::State& state) {
    exchange::Package package;
    exchange::ReadPackage(exchange::WritePackage(header(), QStringLiteral("User"), plainTexts()), &package,
                          nullptr);
    const exchange::ImportedObjects imported = exchange::ImportedFrom(package);
    std::map<int, users::User> database;
    for (int n = 1; n <= kUsers; ++n)
        database[5000 + n] = user(n, n % 2 == 0), database[5000 + n].UserId = 5000 + n;
    users::UserList databaseUsers;
    databaseUsers.setLoaded(database);
    users::RoleList databaseRoles;
    std::map<int, users::UserRole> roles;
    for (int r = 1; r <= 20; ++r) roles[r].RoleId = r;
    databaseRoles.setLoaded(roles);
    std::set<int> selected;
    for (const auto& [id, u] : imported.users) selected.insert(id);
    for (auto _ : state) {
        const auto conflicts = exchange::BuildConflicts(imported, selected, {}, databaseUsers, databaseRoles);
        benchmark::DoNotOptimize(conflicts.size());
    }
}
BENCHMARK(BM_MatchAndBuildConflicts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
