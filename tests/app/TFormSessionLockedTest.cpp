// The session-locked window: texts, placement, keyboard swallowing and the
// show/close pair the host drives.

#include "app/AppContext.h"
#include "app/TFormSessionLocked.h"
#include "support/ScriptedPrompts.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

class SessionLockedTest : public ::testing::Test {
protected:
    SessionLockedTest() : context(prompts, trace.log(), {}) {
        context.texts().setLocation(PA_LANG_DIR, "UK");
        EXPECT_TRUE(context.texts().load(text::Slot::Lock, text::kLockFile));
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
    app::AppContext context;
};

TEST_F(SessionLockedTest, ShowsTheLockTextsCentredAndSwallowsKeys) {
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

}  // namespace
