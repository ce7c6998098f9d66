// The closing window: its texts with their fallbacks, the count-down on the
// button, the busy flag holding it, and closing the main window once.

#include "app/AppContext.h"
#include "app/TFormXML.h"
#include "support/MissingTexts.h"
#include "support/ScriptedPrompts.h"
#include "support/TraceCapture.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

class TFormXMLTest : public ::testing::Test {
protected:
    TFormXMLTest() : context(prompts, trace.log(), {}) {}

    // A language folder whose Message.txt holds `lines`.
    void loadMessages(const QByteArray& lines) {
        ASSERT_TRUE(QDir(languages.path()).mkpath("UK"));
        QFile file(languages.filePath("UK/Message.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines);
        file.close();
        context.texts().setLocation(languages.path(), "UK");
        ASSERT_TRUE(context.texts().load(text::Slot::Messages, "Message.txt"));
    }
    // The window, made once its texts are there.
    TFormXML& make() {
        window = std::make_unique<TFormXML>(context);
        QObject::connect(window.get(), &TFormXML::closeMainWindow, [this] { ++closings; });
        return *window;
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    QTemporaryDir languages;
    app::AppContext context;
    std::unique_ptr<TFormXML> window;
    int closings = 0;
};

}  // namespace

TEST_F(TFormXMLTest, CountsDownFromTenHeldWhileBusyAndClosesTheMainWindowOnce) {
    loadMessages("TXT70=Closing down\r\nTXT71=Line lost.\\nSorry.\r\nTXT72=Bye soon.\r\nTXT73=&Quit\r\n");
    TFormXML& window = make();
    QPushButton* button = window.findChild<QPushButton*>();
    window.StartClosing();
    EXPECT_TRUE(window.windowTitle().startsWith("Closing down"));
    EXPECT_EQ(window.findChild<QLabel*>("LabelText1")->text(), "Line lost.\nSorry.");
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(window.isVisible()) << "the first tick shows it";

    // Ticks are held while a long operation runs.
    context.beginBusy();
    window.TimerCloseTimer();
    EXPECT_FALSE(window.isVisible());
    context.endBusy();
    for (int remaining = 10; remaining >= 0; --remaining) {
        window.TimerCloseTimer();
        ASSERT_TRUE(window.isVisible());
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->text(), QString("&Quit (%1)").arg(remaining));
        if (remaining == 5) {
            // Repeated lost-connection reports restart nothing; busy pauses mid-way.
            window.StartClosing();
            context.beginBusy();
            window.TimerCloseTimer();
            context.endBusy();
        }
    }
    EXPECT_EQ(closings, 0);
    EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
    window.TimerCloseTimer();  // the twelfth counted tick closes
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closings, 1);
    window.TimerCloseTimer();
    window.StartClosing();
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TFormXMLTest, MissingTextsFallBackAndTheButtonOrEscapeCloses) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape, Message.txt without 71 to 73" : "button, no Message.txt");
        // Made before the texts are loaded, as at start-up.
        TFormXML& window = make();
        if (escape) loadMessages("TXT70=Closing down\r\n");
        window.StartClosing();
        // Its own timer drives the ticks (one at once here).
        auto* timer = window.findChild<QTimer*>();
        timer->setSingleShot(true);
        timer->start(0);
        ASSERT_TRUE(ui::waitUntil([&] { return window.isVisible(); }, 1, 5000));
        EXPECT_EQ(testing_support::missingTexts(window), QStringList());
        EXPECT_TRUE(window.findChild<QPushButton*>()->text().endsWith("(10)"));
        if (escape) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&window, &key);
        } else {
            window.findChild<QPushButton*>()->click();
        }
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(closings, 1);
        closings = 0;
    }
}
