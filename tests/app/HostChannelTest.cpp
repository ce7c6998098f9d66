// The host's commands: each code's action and the busy refusal, the lock
// codes answered first, the message and line formats; and the channel over
// real local sockets: answers, the session-locked window's modal loop, the
// limits that keep a misbehaving peer from taking the channel down, the
// private socket folder, and the host's end.

#include "app/AppContext.h"
#include "app/HostChannel.h"
#include "app/HostClient.h"
#include "app/HostCommands.h"
#include "app/SessionFile.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompts.h"
#include "support/TraceCapture.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>

namespace {

using app::HostChannel;
using app::HostCommandHandler;
using testing_support::ScopedEnv;
using ListenResult = app::HostChannel::ListenResult;

constexpr int kSession = 4711;
constexpr int kWaitMs = 5000;

// The main window's part, with the session-locked window as a modal loop
// that ends when the window is closed.
class WindowActions : public app::HostActions {
public:
    QStringList calls;
    QStringList traces;
    bool locked() const { return lockLoop_ != nullptr; }

    void reset() override { calls << "reset"; }
    void close() override { calls << "close"; }
    void showSessionLocked() override {
        if (lockLoop_) return;
        calls << "lock";
        QEventLoop loop;
        lockLoop_ = &loop;
        // Never hang the test run when closing does not come through.
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
        lockLoop_ = nullptr;
    }
    void closeSessionLocked() override {
        calls << "unlock";
        if (lockLoop_) lockLoop_->quit();
    }
    void minimise() override { calls << "minimise"; }
    void restore() override { calls << "restore"; }
    void connectionLost() override { calls << "lost"; }
    bool wasActiveRecently() override {
        calls << "active?";
        return true;
    }
    void trace(int, const char* text) override { traces << QString::fromUtf8(text); }

private:
    QEventLoop* lockLoop_ = nullptr;
};

// A host connection that collects every reply and notices its end.
struct Host {
    app::HostClient client;
    std::vector<app::HostReply> replies;
    bool ended = false;

    bool connect() {
        client.setReplyHandler([this](const app::HostReply& r) { replies.push_back(r); });
        client.setDisconnectedHandler([this](const std::vector<int>&) { ended = true; });
        return client.connectToTool(kSession, kWaitMs);
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& r : replies) out.push_back(r.code);
        return out;
    }
};

bool waitFor(const std::function<bool()>& done) { return ui::waitUntil(done, 2, kWaitMs); }

// A plain socket of the system on `path`: bound and left (stale), or
// connected (a peer the channel has to accept).
int plainSocket(const QString& path, bool connect) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return fd;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const auto* generic = reinterpret_cast<sockaddr*>(&address);
    if ((connect ? ::connect(fd, generic, sizeof address) : ::bind(fd, generic, sizeof address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Every test's sockets live in a private folder of its own, gone with the test.
class HostChannelTest : public ::testing::Test {
protected:
    HostChannelTest()
        : runtimeValue_(runtime_.path().toLocal8Bit()), env_("XDG_RUNTIME_DIR", &runtimeValue_) {
        ::chmod(runtimeValue_.constData(), 0700);
    }

    QString socketPath() const { return runtime_.path() + u'/' + app::hostChannelName(kSession); }

    QTemporaryDir runtime_;
    QByteArray runtimeValue_;
    ScopedEnv env_;
    WindowActions actions;
    HostCommandHandler handler{actions, [] { return false; }};
    HostChannel channel{handler};
};

TEST_F(HostChannelTest, AnswersEveryLineAndRunsTheLockCodesInOrder) {
    ASSERT_EQ(channel.listen(kSession), ListenResult::Listening);
    EXPECT_EQ(channel.serverName(), socketPath());
    Host host;
    ASSERT_TRUE(host.connect());
    for (const int code : {20, 7, 0x10000 + 2}) host.client.post(code);  // high bits of lParam are ignored
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 3; }));
    for (const auto& r : host.replies) EXPECT_EQ(r.toolHandle, QCoreApplication::applicationPid());
    EXPECT_EQ(host.codes(), (std::vector<int>{20, 7, 2}));
    EXPECT_EQ(host.replies[0].answer, 20);
    EXPECT_EQ(host.replies[1].answer, 0);
    EXPECT_EQ(actions.calls, (QStringList{"active?", "restore", "close"}));
    // Locking and unlocking twice, all in one write: the window's modal loop
    // runs the rest (answering while locked is the end-to-end test's).
    actions.calls.clear();
    for (const int code : {11, 12, 11, 12}) host.client.post(code);
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 7 && !actions.locked(); }));
    EXPECT_EQ(actions.calls, (QStringList{"lock", "unlock", "lock", "unlock"}));
}

TEST_F(HostChannelTest, DropsAPeerThatBreaksTheLimitsAndKeepsTheOthers) {
    ASSERT_EQ(channel.listen(kSession), ListenResult::Listening);
    int dropped = 0;
    QObject::connect(&channel, &HostChannel::connectionDropped, [&] { ++dropped; });
    Host host;
    ASSERT_TRUE(host.connect());

    // A line without end.
    QLocalSocket endless;
    endless.connectToServer(socketPath());
    ASSERT_TRUE(endless.waitForConnected(kWaitMs));
    endless.write(QByteArray(app::kMaxHostLineBytes + 1, '7'));
    EXPECT_TRUE(waitFor([&] { return dropped == 1; }));

    // Commands whose answers are never read (this end takes one byte in).
    QLocalSocket deaf;
    deaf.setReadBufferSize(1);
    deaf.connectToServer(socketPath());
    ASSERT_TRUE(deaf.waitForConnected(kWaitMs));
    QByteArray flood;
    for (int i = 0; i < 40000; ++i) flood += "32768 1 6\n";
    deaf.write(flood);
    EXPECT_TRUE(waitFor([&] { return dropped == 2; }));
    EXPECT_EQ(actions.traces.filter("connection dropped").size(), 2)
        << actions.traces.join('\n').toStdString();

    // More connections than a host needs: the surplus one is closed.
    std::vector<std::unique_ptr<QLocalSocket>> crowd;
    for (int i = 1; i <= app::kMaxHostConnections; ++i) {
        crowd.push_back(std::make_unique<QLocalSocket>());
        crowd.back()->connectToServer(socketPath());
        ASSERT_TRUE(crowd.back()->waitForConnected(kWaitMs));
    }
    EXPECT_TRUE(waitFor([&] { return dropped == 3; }));
    EXPECT_TRUE(waitFor([&] { return crowd.back()->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(channel.connectionCount(), app::kMaxHostConnections);
    crowd.clear();
    EXPECT_TRUE(waitFor([&] { return channel.connectionCount() == 1; }));

    // The host's own connection still gets its answers.
    host.client.post(20);
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 1; }));
    EXPECT_FALSE(host.ended);
}

// Opens descriptors until the process has only `spare` left (under a low
// limit, so there are few to open); closes them again when it ends.
class HandleExhaustion {
public:
    explicit HandleExhaustion(int spare) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        int highest = 0;
        for (const QString& fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
            highest = std::max(highest, fd.toInt());
        rlimit low = saved_;
        low.rlim_cur = std::min(saved_.rlim_cur, rlim_t(highest + 64));
        ::setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) held_.push_back(fd);
        for (int i = 0; i < spare && !held_.empty(); ++i, held_.pop_back()) ::close(held_.back());
    }
    ~HandleExhaustion() {
        for (const int fd : held_) ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
    bool exhausted() const { return !held_.empty(); }

private:
    rlimit saved_{};
    std::vector<int> held_;
};

TEST_F(HostChannelTest, ListensAgainAfterTheSystemStoppedTheServer) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime opens handles of its own for its checks, and
    // this test leaves none: it runs in the normal build only.
    GTEST_SKIP() << "uses up every handle, which the sanitizer runtime needs";
#endif
    ASSERT_EQ(channel.listen(kSession), ListenResult::Listening);
    channel.setWatchInterval(5);
    bool again = false;
    QObject::connect(&channel, &HostChannel::listeningAgain, [&] { again = true; });

    {
        // The one handle left goes to the connecting peer; the server finds
        // none to accept it with and stops.
        HandleExhaustion exhaustion(1);
        ASSERT_TRUE(exhaustion.exhausted());
        const int peer = plainSocket(socketPath(), true);
        ASSERT_GE(peer, 0);
        ui::waitUntil([&] { return !actions.traces.filter("stopped listening").isEmpty(); }, 2, kWaitMs);
        ::close(peer);
    }
    EXPECT_EQ(actions.traces.filter("stopped listening").size(), 1)
        << actions.traces.join('\n').toStdString();
    ASSERT_TRUE(waitFor([&] { return again; }));

    Host host;
    ASSERT_TRUE(host.connect());
    host.client.post(7);
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 1; }));
    EXPECT_EQ(actions.traces.filter("listening again").size(), 1);
}

// What is on the session's socket path decides: a live tool is left alone, a
// socket no server answers on is stale and replaced, anything else stays.
TEST_F(HostChannelTest, ListensOnlyWhereNoLiveToolAnswers) {
    WindowActions second;
    HostCommandHandler secondHandler(second, [] { return false; });
    HostChannel secondChannel(secondHandler);
    QString error;
    {
        QFile file(socketPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(channel.listen(kSession, &error), ListenResult::Failed);
    EXPECT_TRUE(error.contains(QStringLiteral("not a socket"))) << error.toStdString();
    ASSERT_TRUE(QFile::remove(socketPath()));
    const int stale = plainSocket(socketPath(), false);  // bound, never listening
    ASSERT_GE(stale, 0);
    ::close(stale);
    ASSERT_EQ(channel.listen(kSession, &error), ListenResult::Listening) << error.toStdString();

    EXPECT_EQ(secondChannel.listen(kSession, &error), ListenResult::InUse);
    EXPECT_TRUE(error.contains(socketPath())) << error.toStdString();
    Host host;
    ASSERT_TRUE(host.connect());
    host.client.post(6);
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 1; }));
    EXPECT_EQ(actions.calls, QStringList{"minimise"});
    EXPECT_TRUE(second.calls.isEmpty());
}

TEST_F(HostChannelTest, TheSocketFolderMustBeTheUsersAlone) {
    QTemporaryDir temp;
    const QByteArray tempValue = temp.path().toLocal8Bit();
    QString error;

    // XDG_RUNTIME_DIR that others may enter.
    QTemporaryDir open;
    ::chmod(QFile::encodeName(open.path()).constData(), 0755);
    {
        const QByteArray value = open.path().toLocal8Bit();
        ScopedEnv runtime("XDG_RUNTIME_DIR", &value);
        EXPECT_EQ(channel.listen(kSession, &error), ListenResult::Failed);
        EXPECT_TRUE(error.contains(open.path())) << error.toStdString();
        EXPECT_TRUE(app::hostChannelPath(kSession, false, &error).isEmpty());
    }

    // Without it, a folder of the user's own below the temporary folder:
    // one that others may enter is refused, a missing one is made private.
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv tmp("TMPDIR", &tempValue);
    const QString own = temp.path() + QStringLiteral("/skyloom-") + QString::number(::geteuid());
    ASSERT_TRUE(QDir().mkdir(own));
    ::chmod(QFile::encodeName(own).constData(), 0777);
    EXPECT_EQ(channel.listen(kSession, &error), ListenResult::Failed);
    EXPECT_TRUE(error.contains(own)) << error.toStdString();

    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_TRUE(QFile::link(temp.path(), own));  // a link could lead anywhere
    EXPECT_EQ(channel.listen(kSession, &error), ListenResult::Failed);
    ASSERT_TRUE(QFile::remove(own));

    ASSERT_EQ(channel.listen(kSession, &error), ListenResult::Listening) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(own).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(app::hostChannelPath(kSession, false, &error), channel.serverName());

    // The host finds it the same way.
    Host host;
    ASSERT_TRUE(host.connect());
    host.client.post(9);
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 1; }));
}

TEST_F(HostChannelTest, TheRefusalIsShownInTheSessionsLanguageAndTraced) {
    QTemporaryDir dir;
    app::SessionDescription description;
    description.SessionId = kSession;
    description.SysDir = QStringLiteral(PA_LANG_DIR);
    description.Language = QStringLiteral("DE");
    QString error;
    const QString file = dir.filePath(QStringLiteral("session.xml"));
    ASSERT_TRUE(app::writeSessionFile(file, {description}, &error)) << error.toStdString();

    for (const auto result : {ListenResult::InUse, ListenResult::Failed}) {
        testing_support::ScriptedPrompts prompts;
        testing_support::TraceCapture trace;
        app::AppContext context(prompts, trace.log(), {});
        context.session().SessionFile = file;
        context.session().SessionId = kSession;
        app::showHostChannelRefusal(context, result, QStringLiteral("the reason"));

        const auto shown = prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        // In German from the session's folder, with what names the case.
        auto& texts = context.texts();
        EXPECT_EQ(texts.language(), QStringLiteral("DE"));
        EXPECT_EQ(shown[0].caption, texts.message(9052));
        EXPECT_EQ(shown[0].text, result == ListenResult::InUse ? texts.message(9050) + " (SessionId = 4711)"
                                                               : texts.message(9051) + " (the reason)");
        EXPECT_FALSE((shown[0].caption + shown[0].text).contains("): '")) << "a text is missing";
        EXPECT_TRUE(trace.contains(QStringLiteral("Host channel: the reason")));
    }
}

TEST_F(HostChannelTest, TheHostRelaysWithoutWaitingForAnswers) {
    // A tool that answers nothing until the second command has come.
    QLocalServer tool;
    ASSERT_TRUE(tool.listen(socketPath()));
    QLocalSocket* toolSide = nullptr;
    QByteArray received;
    QObject::connect(&tool, &QLocalServer::newConnection, [&] {
        toolSide = tool.nextPendingConnection();
        QObject::connect(toolSide, &QLocalSocket::readyRead, [&] {
            received += toolSide->readAll();
            if (received.count('\n') == 2) toolSide->write("32768 1 11\n32768 1 12\n");
        });
    });

    Host host;
    ASSERT_TRUE(host.connect());
    std::vector<int> unanswered;
    host.client.setDisconnectedHandler([&](const std::vector<int>& codes) { unanswered = codes; });
    ASSERT_TRUE(host.client.post(11));
    ASSERT_TRUE(host.client.post(12));
    EXPECT_EQ(host.client.pendingCount(), 2);
    ASSERT_TRUE(waitFor([&] { return host.replies.size() == 2; }));
    EXPECT_EQ(host.codes(), (std::vector<int>{11, 12}));
    EXPECT_EQ(host.client.pendingCount(), 0);

    // Whatever the tool did not answer before it ended is reported.
    host.client.post(2);
    ASSERT_TRUE(waitFor([&] { return received.count('\n') == 3; }));
    toolSide->abort();
    ASSERT_TRUE(waitFor([&] { return host.ended || !unanswered.empty(); }));
    EXPECT_EQ(unanswered, std::vector<int>{2});
}

}  // namespace

namespace {

class RecordingActions : public app::HostActions {
public:
    QStringList calls;
    bool active = false;
    std::function<void()> whileLocked;  // runs inside "lock", as its modal loop would

    void reset() override { calls << "reset"; }
    void close() override { calls << "close"; }
    void showSessionLocked() override {
        calls << "lock";
        if (whileLocked) whileLocked();
    }
    void closeSessionLocked() override { calls << "unlock"; }
    void minimise() override { calls << "minimise"; }
    void restore() override { calls << "restore"; }
    void connectionLost() override { calls << "lost"; }
    bool wasActiveRecently() override {
        calls << "active?";
        return active;
    }
    void trace(int level, const char* text) override { calls << QString("trace %1 %2").arg(level).arg(text); }
};

const auto alive = [] { return true; };

TEST(HostCommandHandler, CarriesOutEachCodeUnlessBusyRefusesIt) {
    const struct {
        int code;
        QStringList calls;
        bool whileBusy;
    } table[] = {
        {1, {"trace 1 Reset application", "reset"}, false},
        {4, {"trace 1 Reset application", "reset"}, false},
        {2, {"close"}, false},
        {3, {"close"}, false},
        {5, {"close"}, false},
        {6, {"minimise"}, true},
        {7, {"restore"}, true},
        {9, {"minimise", "restore"}, true},
        {10, {"lost"}, true},
        {11, {"lock"}, false},
        {12, {"unlock"}, false},
        {20, {"active?"}, false},
        {8, {}, false},
        {99, {}, false},
    };
    for (const bool busy : {false, true}) {
        RecordingActions actions;
        HostCommandHandler handler(actions, [busy] { return busy; });
        for (const auto& row : table) {
            SCOPED_TRACE(testing::Message() << "code " << row.code << (busy ? " while busy" : ""));
            actions.calls.clear();
            const bool refused = busy && !row.whileBusy;
            EXPECT_EQ(handler.handle(row.code, alive), refused ? 65536 + row.code : row.code);
            handler.runNextQueued();
            EXPECT_EQ(actions.calls, refused ? QStringList() : row.calls);
        }
    }
    // The activity query answers 20 when the user was active.
    RecordingActions actions;
    actions.active = true;
    EXPECT_EQ(HostCommandHandler(actions, [] { return false; }).handle(20, alive), 20 * 65536 + 20);
}

TEST(HostCommandHandler, AnswersTheLockCodesFirstAndRunsThemInOrder) {
    RecordingActions actions;
    HostCommandHandler handler(actions, [] { return false; });
    // The window waits for the user: the answer must not wait with it.
    EXPECT_EQ(handler.handle(11, alive), 11);
    EXPECT_EQ(handler.handle(12, alive), 12);
    EXPECT_TRUE(actions.calls.isEmpty());

    // Showing the window runs a modal loop: the rest is handed over before
    // it runs, so that closing runs from inside that loop.
    int handedOver = 0;
    actions.whileLocked = [&] {
        EXPECT_EQ(handedOver, 1);
        EXPECT_EQ(handler.handle(20, alive), 20);
        handler.runNextQueued([&] { ++handedOver; });
    };
    handler.runNextQueued([&] { ++handedOver; });
    EXPECT_EQ(actions.calls, (QStringList{"lock", "active?", "unlock"}));
    EXPECT_EQ(handedOver, 1) << "nothing was left to hand over after closing";
    EXPECT_FALSE(handler.hasQueued());

    // Refused while busy: nothing is queued.
    HostCommandHandler busy(actions, [] { return true; });
    EXPECT_EQ(busy.handle(11, alive), 65536 + 11);
    EXPECT_FALSE(busy.hasQueued());

    // No reply when the sender is gone; the command is still carried out.
    actions.calls.clear();
    EXPECT_FALSE(handler.handle(7, [] { return false; }).has_value());
    EXPECT_EQ(actions.calls, QStringList{"restore"});
    EXPECT_FALSE(busy.handle(2, [] { return false; }).has_value());
}

TEST(HostMessage, ParsesOnlyWellFormedAppMessages) {
    const auto m = app::parseHostMessage("32768 77 65538\n");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->wParam, 77);
    EXPECT_EQ(m->lParam, 65538);
    for (const char* line : {"32769 1 2", "32768 1", "32768 a 2", ""})
        EXPECT_FALSE(app::parseHostMessage(line).has_value()) << line;
    EXPECT_EQ(app::formatHostMessage(5, 65536 + 20), QByteArray("32768 5 65556\n"));
}

TEST(HostLineBuffer, CutsLinesAndRefusesOneLongerThanTheLimit) {
    const struct {
        const char* name;
        std::vector<QByteArray> chunks;
        QList<QByteArray> lines;  // taken after all chunks
        bool refused;
    } table[] = {
        {"one line in pieces", {"1 2", " 3", "\n"}, {"1 2 3"}, false},
        {"several lines in one piece", {"a\nbb\r\n\nccc"}, {"a", "bb\r", ""}, false},
        {"eight bytes fit", {"12345678\n"}, {"12345678"}, false},
        {"eight bytes in pieces fit", {"1234", "5678", "\n", "12345678"}, {"12345678"}, false},
        {"nine bytes do not", {"123456789"}, {}, true},
        {"nine bytes across pieces", {"1234\n1234", "56789\n"}, {}, true},
        {"a long line between short ones", {"ok\n123456789\nok\n"}, {}, true},
        {"refused stays refused", {"123456789", "\nok\n"}, {}, true},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        app::HostLineBuffer buffer(8);
        bool accepted = true;
        for (const QByteArray& chunk : row.chunks) accepted = buffer.append(chunk) && accepted;
        EXPECT_EQ(!accepted, row.refused);
        EXPECT_EQ(buffer.refused(), row.refused);
        QList<QByteArray> lines;
        while (const auto line = buffer.takeLine()) lines << *line;
        EXPECT_EQ(lines, row.lines);
    }

    // Many short lines at once are all taken, and what was taken is let go.
    app::HostLineBuffer buffer;
    QByteArray burst;
    for (int i = 0; i < 5000; ++i) burst += "32768 1 " + QByteArray::number(i) + "\n";
    ASSERT_TRUE(buffer.append(burst + "32768"));
    int taken = 0;
    while (const auto line = buffer.takeLine()) EXPECT_EQ(*line, "32768 1 " + QByteArray::number(taken++));
    EXPECT_EQ(taken, 5000);
    ASSERT_TRUE(buffer.append(" 1 9\n"));
    EXPECT_EQ(buffer.takeLine(), QByteArray("32768 1 9"));
    EXPECT_EQ(buffer.heldBytes(), 0);
}

}  // namespace
