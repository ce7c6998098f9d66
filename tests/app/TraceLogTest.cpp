#include "app/TraceLog.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <thread>

using app::TraceLevel;
using app::TraceLog;

namespace {

// Points the log at a temporary folder for the test's lifetime.
class TraceFolder {
public:
    // A folder below the temporary one, so creating it is tested too.
    QString folder() const { return dir_.filePath("Logs/deeper"); }

private:
    QTemporaryDir dir_;
    const QByteArray path_ = folder().toLocal8Bit();
    testing_support::ScopedEnv env_{"PA_TRACE_DIR", &path_};
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Lines without their "HH:MM:SS MM/DD/YY " stamp; every line must be well formed.
QStringList entries(const QString& path) {
    static const QRegularExpression stamp(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d \\d\\d/\\d\\d/\\d\\d (<.*)$"));
    QStringList out;
    const QByteArray bytes = readAll(path);
    if (bytes.isEmpty()) return out;
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    for (const QString& line : QString::fromUtf8(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const auto m = stamp.match(line);
        EXPECT_TRUE(m.hasMatch()) << "malformed line: " << line.toStdString();
        EXPECT_FALSE(line.contains(u'\n') || line.contains(u'\r')) << line.toStdString();
        out << m.captured(1);
    }
    return out;
}

}  // namespace

TEST(TraceLog, PathLevelsAndLineShape) {
    TraceFolder folder;
    TraceLog log;
    EXPECT_EQ(log.traceLevel(), 1);
    EXPECT_FALSE(log.isStarted());
    log.Trace(1, "before start");  // dropped: there is no file yet

    log.StartTraceLog("ProfileAdmin_Trace.log", "ProfileAdmin", 5, 5, 10);
    log.StartTraceLog("Other.log", "Other", 5, 5, 10);  // the first call wins
    ASSERT_TRUE(log.isStarted());
    const QString expected =
        QDir(folder.folder())
            .filePath("ProfileAdmin_Trace_" + QDate::currentDate().toString("yyyyMMdd") + ".log");
    EXPECT_EQ(log.filePath(), expected);
    EXPECT_FALSE(QFile::exists(expected)) << "the file is opened by the first entry";

    log.Trace(TraceLevel::Info, "Reset application");
    log.Trace(TraceLevel::Warning, "above level 1");
    log.SetTraceLevel(3);
    log.Trace(TraceLevel::Error, "Caught Exception: boom");
    log.Trace(TraceLevel::Trace, "Enter Function: TFormStatus::StartStatusDialog");
    log.SetTraceLevel(9);
    log.Trace(TraceLevel::Debug, "debug");
    log.SetTraceLevel(0);
    log.Trace(0, "nothing at level 0");
    log.Trace(TraceLevel::Info, "nothing at level 0 either");
    log.StopTraceLog();
    EXPECT_FALSE(log.isStarted());

    EXPECT_EQ(entries(expected), QStringList({
                                     "<ProfileAdmin> <INFO> Starting Tracelog",
                                     "<ProfileAdmin> <INFO> Reset application",
                                     "<ProfileAdmin> <INFO> Changing loglevel to ERROR",
                                     "<ProfileAdmin> <ERROR> Caught Exception: boom",
                                     "<ProfileAdmin> <INFO> Changing loglevel to UNKNOWN",
                                     "<ProfileAdmin> <DEBUG> debug",
                                 }));

    // A new start on the same day appends to the same file.
    TraceLog again;
    again.StartTraceLog("ProfileAdmin_Trace.log", "ProfileAdmin", 5, 5, 10);
    again.Trace(1, "second run");
    EXPECT_EQ(entries(expected).size(), 8);
}

TEST(TraceLog, FileNamesCarryTheDate) {
    TraceFolder folder;
    const QString date = QDate::currentDate().toString("yyyyMMdd");
    for (const auto& [given, written] : {std::pair<QString, QString>{"plain", "plain_" + date},
                                         std::pair<QString, QString>{"a.b.log", "a_" + date + ".b.log"}}) {
        TraceLog log;
        log.StartTraceLog(given, "M", 0, 5, 10);
        EXPECT_EQ(QFileInfo(log.filePath()).fileName(), written);
    }
}

TEST(TraceLog, NothingIsWrittenAtLevelZeroOrAfterTheFileFailedToOpen) {
    TraceFolder folder;
    TraceLog quiet;
    quiet.StartTraceLog("Quiet.log", "ProfileAdmin", 5, 5, 10);
    quiet.SetTraceLevel(0);
    quiet.Trace(TraceLevel::NoLog, "x");
    quiet.Trace(TraceLevel::Error, "Caught Exception: y");
    quiet.StopTraceLog();
    EXPECT_FALSE(QFile::exists(quiet.filePath()));

    TraceLog blocked;
    blocked.StartTraceLog("Blocked.log", "ProfileAdmin", 5, 5, 10);
    ASSERT_TRUE(QDir().mkpath(blocked.filePath()));  // a folder where the file should be
    blocked.Trace(1, "lost");
    ASSERT_TRUE(QDir().rmdir(blocked.filePath()));
    blocked.Trace(1, "still off for the rest of the run");
    EXPECT_FALSE(QFile::exists(blocked.filePath()));
}

TEST(TraceLog, RollsEveryTwentyEntriesAndKeepsTheNewestFiles) {
    TraceFolder folder;
    TraceLog log;
    log.SetTraceLevel(4);  // before the start: not written, not counted
    log.StartTraceLog("Roll.log", "PA", 5, 5, 10);
    log.setMaxSizeBytes(1);  // every size check rolls
    const QString path = log.filePath();
    auto rolled = [&](int n) { return path + '.' + QString::number(n); };

    // The size is checked at every 20th entry; 20 entries per generation.
    int entry = 0;
    auto writeGeneration = [&] {
        for (int i = 0; i < 20; ++i) log.Trace(1, "entry " + QString::number(++entry));
    };
    writeGeneration();  // entries 1..19 in the first file, 20 starts the second
    ASSERT_TRUE(QFile::exists(rolled(0)));
    EXPECT_FALSE(QFile::exists(rolled(1)));
    const QStringList first = entries(rolled(0));
    ASSERT_EQ(first.size(), 1 + 19 + 1);
    EXPECT_EQ(first.front(), "<PA> <INFO> Starting Tracelog");
    EXPECT_EQ(first.back(), "<PA> <TRACE> Roling to next file");
    EXPECT_EQ(entries(path), QStringList({"<PA> <INFO> entry 20"}));

    // Ten rolls fill .0 to .9; the eleventh drops the oldest (the first file).
    for (int roll = 2; roll <= 10; ++roll) writeGeneration();
    for (int n = 0; n < 10; ++n) EXPECT_TRUE(QFile::exists(rolled(n))) << n;
    EXPECT_TRUE(entries(rolled(9)).contains("<PA> <INFO> entry 1"));
    writeGeneration();
    EXPECT_FALSE(QFile::exists(rolled(10)));
    EXPECT_FALSE(entries(rolled(9)).contains("<PA> <INFO> entry 1"));
    EXPECT_TRUE(entries(rolled(9)).contains("<PA> <INFO> entry 20"));
    EXPECT_TRUE(entries(rolled(0)).contains("<PA> <INFO> entry 219"));
    EXPECT_EQ(QDir(folder.folder()).entryList(QDir::Files).size(), 11);

    // Below TRACE the roll itself is not announced.
    log.SetTraceLevel(1);
    writeGeneration();
    EXPECT_EQ(entries(rolled(0)).filter("Roling").size(), 0);
}

TEST(TraceLog, ConcurrentWritersKeepLinesWhole) {
    TraceFolder folder;
    TraceLog log;
    log.StartTraceLog("Threads.log", "PA", 5, 5, 1000);
    log.setMaxSizeBytes(4096);
    constexpr int kThreads = 4;
    constexpr int kEach = 250;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kEach; ++i)
                log.Trace(1, QStringLiteral("thread %1 line %2 ").arg(t).arg(i) + QString(40, u'x'));
        });
    for (auto& th : threads) th.join();
    log.StopTraceLog();

    // The writers rolled the file many times while racing; every line must
    // be whole, present once, and each thread's lines in order.
    int rolls = 0;
    while (QFile::exists(log.filePath() + '.' + QString::number(rolls))) ++rolls;
    EXPECT_GT(rolls, 5);
    QStringList all;
    for (int n = rolls - 1; n >= 0; --n) all += entries(log.filePath() + '.' + QString::number(n));
    all += entries(log.filePath());
    std::vector<int> last(kThreads, -1);
    static const QRegularExpression shape(QStringLiteral("^<PA> <INFO> thread (\\d) line (\\d+) x{40}$"));
    int seen = 0;
    for (const QString& e : all) {
        if (e == "<PA> <INFO> Starting Tracelog") continue;
        const auto m = shape.match(e);
        ASSERT_TRUE(m.hasMatch()) << e.toStdString();
        const int t = m.captured(1).toInt();
        const int i = m.captured(2).toInt();
        EXPECT_EQ(i, last[t] + 1);
        last[t] = i;
        ++seen;
    }
    EXPECT_EQ(seen, kThreads * kEach);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(last[t], kEach - 1);
}
