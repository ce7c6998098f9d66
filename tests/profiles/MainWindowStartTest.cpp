// The start-up sequence follows the window's first paint without a further
// delay: the window is seen before the list loads, and the list loads at once.

#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QEvent>

using testing_support::MainWindowFixture;

namespace {

class PaintCount : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

TEST(MainWindowStart, TheListLoadsRightAfterTheFirstPaint) {
    MainWindowFixture f;
    PaintCount count;
    f.window.installEventFilter(&count);
    int paintsAtStart = -1;
    bool loaded = false;
    QObject::connect(&f.window, &TFormSQLProfileAdministrator::startupFinished, [&](bool ok) {
        paintsAtStart = count.paints;
        loaded = ok;
    });

    f.window.show();
    // Only what is pending is handled: no timer with a delay can fire here.
    for (int round = 0; round < 20 && paintsAtStart < 0; ++round) QCoreApplication::processEvents();

    ASSERT_GE(paintsAtStart, 1);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(f.window.isStarted());
    // The windows that take long to build are not made before they are used.
    EXPECT_EQ(f.windows.categoryAllocation.ifMade(), nullptr);
    EXPECT_EQ(f.windows.categoryDetails.ifMade(), nullptr);
    f.window.hide();
}
