#include "support/WhenShown.h"

#include <QAbstractEventDispatcher>

namespace testing_support {

WhenShown::WhenShown(QWidget& widget, std::function<void()> action, std::function<bool()> ready) {
    // Asked whenever the event loop has handled its events, so the action
    // follows the event that showed the widget (or made it ready) at once;
    // the timer only catches what changes without an event. The action runs
    // as an event of its own, where it may open a modal loop.
    const auto check = [this, &widget, action, ready] {
        if (fired_ || !widget.isVisible() || (ready && !ready())) return;
        timer_.stop();
        fired_ = true;
        QMetaObject::invokeMethod(&timer_, action, Qt::QueuedConnection);
    };
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &timer_,
                     check);
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, check);
    timer_.start();
}

}  // namespace testing_support
