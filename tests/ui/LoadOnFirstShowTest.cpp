// The load-on-first-show rule: what the user does to a shown window
// (minimise and restore, hide and show, the window manager's show events)
// never loads it again; only preparing it does.

#include "ui/LoadOnFirstShow.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QShowEvent>
#include <QWidget>
#include <string>
#include <vector>

namespace {

enum class Step {
    Prepare,
    Show,
    Hide,
    MinimiseAndRestore,
    ShowEvent,  // a show event without a change of visibility
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    int loads;
};

void run(QWidget& window, ui::LoadOnFirstShow& load, Step step) {
    switch (step) {
        case Step::Prepare: load.prepare(); break;
        case Step::Show: window.show(); break;
        case Step::Hide: window.hide(); break;
        case Step::MinimiseAndRestore:
            window.showMinimized();
            window.showNormal();
            break;
        case Step::ShowEvent: {
            QShowEvent event;
            QCoreApplication::sendEvent(&window, &event);
            break;
        }
    }
}

}  // namespace

TEST(LoadOnFirstShow, LoadsOnTheFirstShowAfterPrepareOnly) {
    using S = Step;
    const std::vector<Case> cases{
        {"prepared, shown", {S::Prepare, S::Show}, 1},
        {"shown without prepare", {S::Show}, 0},
        {"restored after minimising", {S::Prepare, S::Show, S::MinimiseAndRestore, S::MinimiseAndRestore}, 1},
        {"hidden and shown again", {S::Prepare, S::Show, S::Hide, S::Show}, 1},
        {"further show events", {S::Prepare, S::Show, S::ShowEvent, S::ShowEvent}, 1},
        {"prepared twice before the show", {S::Prepare, S::Prepare, S::Show}, 1},
        {"prepared anew after closing", {S::Prepare, S::Show, S::Hide, S::Prepare, S::Show}, 2},
        {"prepared while shown: at once", {S::Prepare, S::Show, S::Prepare}, 2},
        {"prepared while open, then restored", {S::Show, S::Prepare, S::MinimiseAndRestore}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        int loads = 0;
        bool shownWhenLoading = true;
        auto* load = new ui::LoadOnFirstShow(window, [&] {
            ++loads;
            shownWhenLoading = shownWhenLoading && window.isVisible();
        });
        for (Step step : c.steps) run(window, *load, step);
        EXPECT_EQ(loads, c.loads);
        EXPECT_TRUE(shownWhenLoading);  // a load may rely on its window being up
        EXPECT_FALSE(load->isArmed());
    }
}
