// A save killed at any moment leaves a sound database that holds the whole
// save or none of it. The child process saves a changed allocation of 5,000
// event codes (several procedure calls) through the allocation windows' save
// path and is killed with SIGKILL after a random delay once it says the save
// starts; a few times it is killed only after the save has ended. Each run
// starts from a fresh copy of a database prepared once.
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCodes = 5000;
constexpr int kProfileId = 5;  // a demo profile
constexpr int kSetId = 9;      // a new set of three categories
constexpr int kListId = 900;   // a new event list of kCodes codes
constexpr int kRandomKills = 20;
constexpr int kKillsAfterSave = 2;

// The child, its stdin and stdout on pipes.
class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        int toChild[2];
        int fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        if (in_ >= 0) ::close(in_);
        if (out_ >= 0) ::close(out_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }

    // The next line the child writes (without its line feed); empty at end.
    std::string readLine() {
        std::string line;
        char c = 0;
        while (::read(out_, &c, 1) == 1) {
            if (c == '\n') return line;
            line += c;
        }
        return line;
    }
    // Lets a child that has saved end by itself.
    void closeInput() {
        ::close(in_);
        in_ = -1;
    }
    void kill() { ::kill(pid_, SIGKILL); }
    // The wait status.
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
};

bool killedBySigkill(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }

// What the database holds after a run, read with SQLite itself rather than
// through the program's code.
struct Inspection {
    std::string integrity;   // "ok" when sound
    std::string allocation;  // the profile's allocation rows in the set, in order
    int allocatedInSet = 0;
};

Inspection inspect(const QString& path) {
    Inspection result;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        result.integrity = std::string("cannot open: ") + sqlite3_errmsg(db);
        sqlite3_close(db);
        return result;
    }
    const auto rows = [db](const char* sql, std::string* out) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
            *out += std::string("error: ") + sqlite3_errmsg(db);
            return;
        }
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* text = sqlite3_column_text(statement, i);
                *out += text ? reinterpret_cast<const char*>(text) : "null";
                *out += i + 1 < sqlite3_column_count(statement) ? ':' : ';';
            }
        }
        if (step != SQLITE_DONE) *out += std::string("error: ") + sqlite3_errmsg(db);
        sqlite3_finalize(statement);
    };
    rows("PRAGMA integrity_check", &result.integrity);
    const std::string sql =
        "SELECT CA.CategoryAllocationId, CA.CategoryAllocationDisabled, "
        "IFNULL(S.ReportCategoryId, 0) FROM TCategoryAllocation AS CA "
        "LEFT JOIN TCategoryAllocation_TReportCategorySet AS S "
        "ON S.CategoryAllocationId = CA.CategoryAllocationId AND S.ReportCategorySetId = " +
        std::to_string(kSetId) + " WHERE CA.ReportProfileId = " + std::to_string(kProfileId) + " ORDER BY 1";
    rows(sql.c_str(), &result.allocation);
    std::string count;
    rows(("SELECT COUNT(*) FROM TCategoryAllocation_TReportCategorySet WHERE ReportCategorySetId = " +
          std::to_string(kSetId))
             .c_str(),
         &count);
    result.allocatedInSet = std::atoi(count.c_str());
    sqlite3_close(db);
    return result;
}

// A small demo database with an event list of kCodes codes, their allocation
// rows in the profile (unallocated) and a category set of three categories.
bool prepareDatabase(const QString& target) {
    testing_support::DemoContent demo;
    demo.options.turbineCount = 2;
    demo.options.rawDataDays = 1;
    testing_support::TempDatabase database(demo);
    if (!database.isValid()) return false;
    const db::Result result = database.exec(
        QStringLiteral(
            "INSERT INTO TEventList (EventListId, EventListTitle) VALUES (%1, 'Kill test list');"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
            "INSERT INTO TEventCode (EventListId, EventCodeNumber, EventCodeTitle) "
            "SELECT %1, i, 'Kill test event ' || i FROM n;"
            "INSERT INTO TCategoryAllocation (ReportProfileId, EventCodeId) "
            "SELECT %3, EventCodeId FROM TEventCode WHERE EventListId = %1;"
            "INSERT INTO TReportCategorySet (ReportProfileId, ReportCategorySetId, "
            "ReportCategorySetTitle, CategorySetSortOrder, CategorySetEnabled) "
            "VALUES (%3, %4, 'Kill test set', 9, 1);"
            "INSERT INTO TReportCategorySet_TReportCategory (ReportProfileId, ReportCategorySetId, "
            "ReportCategoryId, MemberOrder) SELECT %3, %4, ReportCategoryId, ReportCategoryId "
            "FROM TReportCategory WHERE ReportCategoryId <= 3")
            .arg(kListId)
            .arg(kCodes)
            .arg(kProfileId)
            .arg(kSetId));
    if (!result.ok()) return false;
    const QString source = database.path();
    database.close();  // the last connection folds the journal into the file
    if (QFileInfo(source + QStringLiteral("-wal")).size() > 0) return false;
    return QFile::copy(source, target);
}

class KillSafety : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        prepared_ = dir_.filePath(QStringLiteral("prepared.db"));
        ASSERT_TRUE(prepareDatabase(prepared_));
    }

    // A fresh copy of the prepared database and a child saving into it.
    std::unique_ptr<Child> startChild(int run) {
        const QString path = dir_.filePath(QStringLiteral("run%1.db").arg(run));
        EXPECT_TRUE(QFile::copy(prepared_, path));
        current_ = path;
        return std::make_unique<Child>(
            std::vector<std::string>{PA_KILLSAFETY_CHILD, path.toStdString(), std::to_string(kProfileId),
                                     std::to_string(kSetId), std::to_string(kListId)});
    }
    const QString& current() const { return current_; }
    const QString& prepared() const { return prepared_; }

private:
    QTemporaryDir dir_;
    QString prepared_;
    QString current_;
};

TEST_F(KillSafety, ASaveKilledAtAnyMomentLeavesAllOrNothing) {
    const Inspection before = inspect(prepared());
    ASSERT_EQ(before.integrity, "ok;");
    ASSERT_EQ(before.allocatedInSet, 0);

    // One save to its end: what "every change" looks like, and how long a save takes.
    Inspection after;
    Clock::duration saveTime{};
    {
        auto child = startChild(0);
        ASSERT_TRUE(child->started());
        const std::string ready = child->readLine();
        const Clock::time_point start = Clock::now();
        int rows = 0;
        int calls = 0;
        ASSERT_EQ(std::sscanf(ready.c_str(), "ready %d %d", &rows, &calls), 2) << ready;
        EXPECT_EQ(rows, kCodes);
        EXPECT_GT(calls, 1) << "the save should span several procedure calls";
        ASSERT_EQ(child->readLine(), "saved 1");
        saveTime = Clock::now() - start;
        child->closeInput();
        const int status = child->wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        after = inspect(current());
        ASSERT_EQ(after.integrity, "ok;");
        ASSERT_EQ(after.allocatedInSet, kCodes);
    }

    // Killed at random moments while saving, then a few times after the save.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::int64_t> delayNs(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(saveTime).count());
    int none = 0;
    int all = 0;
    for (int run = 1; run <= kRandomKills + kKillsAfterSave; ++run) {
        SCOPED_TRACE(run);
        const bool afterSave = run > kRandomKills;
        auto child = startChild(run);
        ASSERT_TRUE(child->started());
        const std::string ready = child->readLine();
        ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
        if (afterSave) {
            ASSERT_EQ(child->readLine(), "saved 1");
        } else {
            const Clock::time_point until = Clock::now() + std::chrono::nanoseconds(delayNs(random));
            while (Clock::now() < until) {
            }
        }
        child->kill();
        ASSERT_TRUE(killedBySigkill(child->wait()));

        const Inspection state = inspect(current());
        EXPECT_EQ(state.integrity, "ok;");
        const bool isNone = state.allocation == before.allocation;
        const bool isAll = state.allocation == after.allocation;
        EXPECT_TRUE(isNone || isAll) << state.allocatedInSet << " of " << kCodes << " rows allocated";
        if (afterSave) {
            EXPECT_TRUE(isAll);
        }
        none += isNone;
        all += isAll;
        for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(current() + QLatin1String(suffix));
    }
    RecordProperty("killedWithNothingSaved", none);
    RecordProperty("killedWithEverythingSaved", all);
}

}  // namespace
