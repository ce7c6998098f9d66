#pragma once
// Runs an action once a widget is shown, as soon as the modal loop has
// handled the events that showed it: the way tests answer a modal window
// that the code under test opens.

#include <QTimer>
#include <QWidget>
#include <functional>

namespace testing_support {

class WhenShown {
public:
    // `ready` may add a condition. The timer stops with the object.
    WhenShown(QWidget& widget, std::function<void()> action, std::function<bool()> ready = {});
    bool fired() const { return fired_; }

private:
    QTimer timer_;
    bool fired_ = false;
    bool wasVisible_ = false;
};

}  // namespace testing_support
