#include "support/WhenShown.h"

namespace testing_support {

WhenShown::WhenShown(QWidget& widget, std::function<void()> action, std::function<bool()> ready) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this, &widget, action, ready] {
        if (!widget.isVisible() || (ready && !ready())) return;
        timer_.stop();
        fired_ = true;
        action();
    });
    timer_.start();
}

}  // namespace testing_support
