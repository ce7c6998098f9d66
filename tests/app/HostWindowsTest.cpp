// The windows the host's commands bring up. The closing window: its texts
// with their fallbacks, the count-down on the button, the busy flag holding
// it, and closing the main window once. The session-locked window:
// placement, keyboard swallowing and the show/close pair the host drives.

#include "app/AppContext.h"
#include "app/TFormSessionLocked.h"
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

    // Runs `check` while the window is shown modally by showLocked().
    void whileLocked(TFormSessionLocked& form, const std::function<void()>& check) {
        bool ran = false;
        QTimer::singleShot(0, &form, [&] {
            ran = true;
            check();
            form.closeLocked();
        });
        // Never hang the test run when closeLocked does not work.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &form, [&] { form.QDialog::done(0); });
        guard.start(5000);
        form.showLocked();
        EXPECT_TRUE(ran);
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    QTemporaryDir languages;
    app::AppContext context;
    std::unique_ptr<TFormXML> window;
    int closings = 0;
};

using SessionLockedTest = TFormXMLTest;

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

TEST_F(SessionLockedTest, ShowsTheLockTextsCentredAndSwallowsKeys) {
    context.texts().setLocation(PA_LANG_DIR, "UK");
    ASSERT_TRUE(context.texts().load(text::Slot::Lock, text::kLockFile));
    QWidget mainWindow;
    mainWindow.setGeometry(200, 150, 900, 700);
    mainWindow.show();
    TFormSessionLocked form(context, &mainWindow);
    whileLocked(form, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &form);
        const QPoint offset = form.frameGeometry().center() - mainWindow.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
        for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_A}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(&form, &press);
            EXPECT_TRUE(press.isAccepted());
        }
        QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_F4, Qt::AltModifier);
        QApplication::sendEvent(&form, &shortcut);
        EXPECT_TRUE(shortcut.isAccepted());
        EXPECT_TRUE(form.isVisible()) << "a key closed the locked window";
        form.showLocked();  // already shown: no second window
    });
    EXPECT_FALSE(form.isVisible());
    form.closeLocked();                                         // already closed: nothing more
    whileLocked(form, [&] { EXPECT_TRUE(form.isVisible()); });  // locked again later
    EXPECT_EQ(trace.count("Session Locked"), 2);
    EXPECT_EQ(trace.count("Session unlocked"), 2);
}
