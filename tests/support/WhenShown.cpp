#include "support/WhenShown.h"

#include <QAbstractEventDispatcher>

namespace testing_support {

WhenShown::WhenShown(QWidget& widget, std::function<void()> action, std::function<bool()> ready) {
    // The action runs as an event of its own, where it may open a modal loop.
    const auto check = [this, &widget, action, ready] {
        if (fired_ || !widget.isVisible() || (ready && !ready())) return;
        timer_.stop();
        fired_ = true;
        QMetaObject::invokeMethod(&timer_, action, Qt::QueuedConnection);
    };
    // Whenever the event loop has handled its events, a widget shown since
    // is checked at once (by an event: `ready` may do work that has no place
    // while the loop is about to wait); the timer checks `ready` after that.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &timer_,
                     [this, &widget, check] {
                         const bool visible = widget.isVisible();
                         if (visible && !wasVisible_ && !fired_)
                             QMetaObject::invokeMethod(&timer_, check, Qt::QueuedConnection);
                         wasVisible_ = visible;
                     });
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, check);
    timer_.start();
}

}  // namespace testing_support
