// The host channel over real local sockets: answers, the session-locked
// window's modal loop, the limits that keep a misbehaving peer from taking
// the channel down, the private socket folder, and the host's end.

#include "app/AppContext.h"
#include "app/HostChannel.h"
#include "app/HostClient.h"
#include "app/HostCommands.h"
#include "app/SessionFile.h"
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
using ListenResult = app::HostChannel::ListenResult;

constexpr int kSession = 4711;
constexpr int kWaitMs = 5000;

// Sets an environment variable (or, with nullptr, unsets it) for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray* value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) previous_ = qgetenv(name);
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~ScopedEnv() { previous_ ? qputenv(name_, *previous_) : qunsetenv(name_); }

private:
    const char* name_;
    std::optional<QByteArray> previous_;
};

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
