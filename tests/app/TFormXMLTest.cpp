// The closing window: its texts with their fallbacks, the count-down on the
// button, the busy flag holding it, and closing the main window once.

#include "app/AppContext.h"
#include "app/TFormXML.h"
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

    QString title() const { return " (" + QApplication::applicationDisplayName() + ")"; }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    QTemporaryDir languages;
    app::AppContext context;
};

}  // namespace

TEST_F(TFormXMLTest, CountsDownFromTenAndClosesTheMainWindowOnce) {
    loadMessages("TXT70=Closing down\r\nTXT71=Line lost.\\nSorry.\r\nTXT72=Bye soon.\r\nTXT73=&Quit\r\n");
    TFormXML window(context);
    int closings = 0;
    QObject::connect(&window, &TFormXML::closeMainWindow, [&] { ++closings; });
    auto* button = window.findChild<QPushButton*>("ButtonClose");
    ASSERT_TRUE(button);

    window.StartClosing();
    EXPECT_EQ(window.windowTitle(), "Closing down" + title());
    EXPECT_EQ(window.findChild<QLabel*>("LabelText1")->text(), "Line lost.\nSorry.");
    EXPECT_EQ(window.findChild<QLabel*>("LabelText2")->text(), "Bye soon.");
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(window.isVisible());  // the first tick shows it

    // Ticks are held while a long operation runs.
    context.beginBusy();
    window.TimerCloseTimer();
    window.TimerCloseTimer();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.tickCount(), 0);
    context.endBusy();

    for (int remaining = 10; remaining >= 0; --remaining) {
        window.TimerCloseTimer();
        ASSERT_TRUE(window.isVisible());
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->text(), QString("&Quit (%1)").arg(remaining));
        if (remaining == 5) {
            // Repeated lost-connection reports do not restart anything; busy pauses mid-way.
            window.StartClosing();
            context.beginBusy();
            window.TimerCloseTimer();
            context.endBusy();
        }
    }
    EXPECT_EQ(closings, 0);
    EXPECT_TRUE(window.isModal() || window.windowModality() == Qt::ApplicationModal);

    window.TimerCloseTimer();  // the twelfth counted tick closes
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(window.findChild<QTimer*>("TimerClose")->isActive());
    window.TimerCloseTimer();
    window.StartClosing();
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TFormXMLTest, MissingTextsFallBackToTheFixedWordingAndTheButtonCloses) {
    loadMessages("TXT70=Closing down\r\n");
    TFormXML window(context);
    int closings = 0;
    QObject::connect(&window, &TFormXML::closeMainWindow, [&] { ++closings; });
    window.StartClosing();
    EXPECT_EQ(window.windowTitle(), "Closing down" + title());
    EXPECT_EQ(window.findChild<QLabel*>("LabelText1")->text(), "The network connection has been lost.");
    EXPECT_EQ(window.findChild<QLabel*>("LabelText2")->text(), "The window will be closed automatically.");
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<const QLabel*>(w)) {
            EXPECT_FALSE(label->text().contains("Message.txt"));
        }
    }

    // The real timer drives the ticks.
    auto* button = window.findChild<QPushButton*>("ButtonClose");
    ASSERT_TRUE(ui::waitUntil([&] { return window.isVisible(); }, 50, 5000));
    EXPECT_EQ(button->text(), "&Close (10)");

    button->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(window.findChild<QTimer*>("TimerClose")->isActive());
}

TEST_F(TFormXMLTest, WithoutAnyTextsTheCaptionIsTheFixedOne) {
    TFormXML window(context);
    window.StartClosing();
    EXPECT_EQ(window.windowTitle(), "Closing window" + title());
    window.TimerCloseTimer();
    EXPECT_EQ(window.findChild<QPushButton*>("ButtonClose")->text(), "&Close (10)");
    // Escape closes it like the button.
    int closings = 0;
    QObject::connect(&window, &TFormXML::closeMainWindow, [&] { ++closings; });
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closings, 1);
}
