#include "app/HostChannel.h"
#include "app/HostCommands.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace {

using app::HostCommandHandler;

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
        handler.runNextQueued();
        EXPECT_EQ(actions.calls, row.calls) << "code " << row.code;
    }
}

TEST(HostCommandHandler, AnswersTheLockCodesFirstAndRunsThemInOrder) {
    RecordingActions actions;
    HostCommandHandler handler(actions, [] { return false; });

    // The window waits for the user: the answer must not wait with it.
    EXPECT_EQ(handler.handle(11, alive), 11);
    EXPECT_EQ(handler.handle(12, alive), 12);
    EXPECT_TRUE(actions.calls.isEmpty());
    EXPECT_TRUE(handler.hasQueued());

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
    handler.runNextQueued();
    EXPECT_EQ(actions.calls.size(), 3);

    // Refused while busy: nothing is queued.
    actions.calls.clear();
    HostCommandHandler busy(actions, [] { return true; });
    EXPECT_EQ(busy.handle(11, alive), 65536 + 11);
    EXPECT_FALSE(busy.hasQueued());
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

TEST(HostLineBuffer, CutsLinesAndRefusesOneLongerThanTheLimit) {
    const struct {
        const char* name;
        std::vector<QByteArray> chunks;
        QList<QByteArray> lines;  // taken after all chunks
        bool refused;
    } table[] = {
        {"one line in pieces", {"1 2", " 3", "\n"}, {"1 2 3"}, false},
        {"several lines in one piece", {"a\nbb\r\n\nccc"}, {"a", "bb\r", ""}, false},
        {"an unfinished line is held", {"abc"}, {}, false},
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
