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
