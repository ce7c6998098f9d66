// Start-up on a session whose reporting database is on a server that does
// not answer: a prompt error naming the server, never the password, and the
// tool closes.

#include "MainWindowFixture.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace {

using namespace testing_support;

TEST(MainWindowStartup, AServerThatDoesNotAnswerEndsTheStartWithoutThePassword) {
    MainWindowSetup setup;
    // Port 1 on this machine refuses at once, as a stopped server does.
    setup.connectionString = QStringLiteral(
        "Provider=SQLOLEDB.1;Password=Wind'Secr3t;Persist Security Info=True;User ID=report;"
        "Initial Catalog=Skyloom;Data Source=127.0.0.1,1");
    MainWindowFixture f(setup);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(f.start());
    EXPECT_LT(clock.elapsed(), 60000) << "within the connection time-out";
    const auto prompts = f.prompts.take();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].text.contains(QStringLiteral("127.0.0.1,1"))) << prompts[0].text.toStdString();
    for (const QString& text : QStringList{prompts[0].text, f.trace.texts().join(u'\n')})
        EXPECT_FALSE(text.contains(QStringLiteral("Secr3t"))) << text.toStdString();
    EXPECT_FALSE(f.context.Database().isConnected());

    struct CloseWatch : QObject {
        QEventLoop loop;
        bool closed = false;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Close) {
                closed = true;
                loop.quit();
            }
            return false;
        }
    } watch;
    f.window.installEventFilter(&watch);
    QTimer::singleShot(5000, &watch.loop, &QEventLoop::quit);
    watch.loop.exec();
    EXPECT_TRUE(watch.closed);
}

}  // namespace
