#include "app/HostChannel.h"
#include "app/HostClient.h"
#include "app/HostCommands.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <atomic>
#include <thread>

namespace {

using app::HostCommandHandler;

class RecordingActions : public app::HostActions {
public:
    QStringList calls;
    bool active = false;

    void reset() override { calls << "reset"; }
    void close() override { calls << "close"; }
    void showSessionLocked() override { calls << "lock"; }
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

TEST(HostCommandHandler, CarriesOutEachCodeAndAcknowledgesWithAnswerZero) {
    RecordingActions actions;
    HostCommandHandler handler(actions, [] { return false; });

    const struct {
        int code;
        QStringList calls;
    } table[] = {
        {1, {"trace 1 Reset application", "reset"}},
        {4, {"trace 1 Reset application", "reset"}},
        {2, {"close"}},
        {3, {"close"}},
        {5, {"close"}},
        {6, {"minimise"}},
        {7, {"restore"}},
        {9, {"minimise", "restore"}},
        {10, {"lost"}},
        {11, {"lock"}},
        {12, {"unlock"}},
        {8, {}},
        {99, {}},
    };
    for (const auto& row : table) {
        actions.calls.clear();
        EXPECT_EQ(handler.handle(row.code, alive), row.code) << "code " << row.code;
        EXPECT_EQ(actions.calls, row.calls) << "code " << row.code;
    }
}

TEST(HostCommandHandler, ActivityQueryAnswersTwentyOnlyWhenActive) {
    RecordingActions actions;
    HostCommandHandler handler(actions, [] { return false; });
    actions.active = true;
    EXPECT_EQ(handler.handle(20, alive), 20 * 65536 + 20);
    actions.active = false;
    EXPECT_EQ(handler.handle(20, alive), 20);
}

TEST(HostCommandHandler, BusyRefusesAllButMinimiseRestoreFrontAndConnectionLost) {
    RecordingActions actions;
    HostCommandHandler handler(actions, [] { return true; });
    for (int code : {1, 2, 3, 4, 5, 11, 12, 20, 42}) {
        actions.calls.clear();
        EXPECT_EQ(handler.handle(code, alive), 65536 + code) << "code " << code;
        EXPECT_TRUE(actions.calls.isEmpty()) << "code " << code << " was carried out while busy";
    }
    for (int code : {6, 7, 9, 10}) {
        actions.calls.clear();
        EXPECT_EQ(handler.handle(code, alive), code) << "code " << code;
        EXPECT_FALSE(actions.calls.isEmpty()) << "code " << code;
    }
}

TEST(HostCommandHandler, NoReplyWhenTheSenderIsGone) {
    RecordingActions actions;
    bool busy = false;
    HostCommandHandler handler(actions, [&] { return busy; });
    const auto gone = [] { return false; };
    EXPECT_FALSE(handler.handle(7, gone).has_value());
    EXPECT_EQ(actions.calls, QStringList{"restore"});
    busy = true;
    EXPECT_FALSE(handler.handle(2, gone).has_value());
}

TEST(HostMessage, ParsesOnlyWellFormedAppMessages) {
    auto m = app::parseHostMessage("32768 77 65538\n");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->wParam, 77);
    EXPECT_EQ(m->lParam, 65538);
    EXPECT_FALSE(app::parseHostMessage("32769 1 2").has_value());
    EXPECT_FALSE(app::parseHostMessage("32768 1").has_value());
    EXPECT_FALSE(app::parseHostMessage("32768 a 2").has_value());
    EXPECT_FALSE(app::parseHostMessage("").has_value());
    EXPECT_EQ(app::formatHostMessage(5, 65536 + 20), QByteArray("32768 5 65556\n"));
}

TEST(HostChannel, AnswersOverTheLocalSocketWithTheProcessIdAsHandle) {
    RecordingActions actions;
    actions.active = true;
    bool busy = false;
    HostCommandHandler handler(actions, [&] { return busy; });
    app::HostChannel channel(handler);
    const int sessionId = 900000 + int(QCoreApplication::applicationPid() % 10000);
    ASSERT_TRUE(channel.listen(sessionId));

    std::vector<std::optional<app::HostReply>> replies;
    std::atomic<bool> done{false};
    std::thread host([&] {
        app::HostClient client;
        if (client.connectToTool(sessionId, 5000)) {
            replies.push_back(client.send(20, 5000));
            replies.push_back(client.send(7, 5000));
            replies.push_back(client.send(0x10000 + 2, 5000));  // high bits of lParam are ignored
        }
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    host.join();

    ASSERT_EQ(replies.size(), 3u);
    for (const auto& r : replies) {
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->toolHandle, QCoreApplication::applicationPid());
    }
    EXPECT_EQ(replies[0]->code, 20);
    EXPECT_EQ(replies[0]->answer, 20);
    EXPECT_EQ(replies[1]->code, 7);
    EXPECT_EQ(replies[1]->answer, 0);
    EXPECT_EQ(replies[2]->code, 2);
    EXPECT_EQ(actions.calls, (QStringList{"active?", "restore", "close"}));
}

}  // namespace
