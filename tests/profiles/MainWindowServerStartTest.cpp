// Start-up on a session whose reporting database is on a server that does
// not answer: a prompt error naming the server, never the password, and the
// tool closes.

#include "MainWindowFixture.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace {

TEST(MainWindowStartup, AServerThatDoesNotAnswerEndsTheStartWithoutThePassword) {
    testing_support::MainWindowSetup setup;
    // Port 1 on this machine refuses at once, as a stopped server does.
    setup.connectionString = QStringLiteral(
        "Provider=SQLOLEDB.1;Password=Wind'Secr3t;User ID=report;Initial Catalog=Skyloom;Data "
        "Source=127.0.0.1,1");
    testing_support::MainWindowFixture f(setup);
    struct CloseWatch : QObject {
        QEventLoop loop;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Close) loop.exit(1);
            return false;
        }
    } watch;
    f.window.installEventFilter(&watch);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(f.start());
    EXPECT_LT(clock.elapsed(), 60000) << "within the connection time-out";
    const auto prompts = f.prompts.take();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].text.contains(QStringLiteral("127.0.0.1,1"))) << prompts[0].text.toStdString();
    for (const QString& text : {prompts[0].text, f.trace.texts().join(u'\n')})
        EXPECT_FALSE(text.contains(QStringLiteral("Secr3t"))) << text.toStdString();
    QTimer::singleShot(5000, &watch.loop, [&watch] { watch.loop.exit(0); });
    EXPECT_EQ(watch.loop.exec(), 1) << "the tool closes";
}

}  // namespace
