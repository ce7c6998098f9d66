#include "ui/LoadOnFirstShow.h"

#include <QEvent>
#include <QWidget>

namespace ui {

LoadOnFirstShow::LoadOnFirstShow(QWidget& window, std::function<void()> load)
    : QObject(&window), window_(window), load_(std::move(load)) {
    window_.installEventFilter(this);
}

void LoadOnFirstShow::prepare() {
    armed_ = true;
    if (window_.isVisible()) fire();
}

void LoadOnFirstShow::fire() {
    // Disarmed before the load runs: a show event that the load causes
    // itself does not start it again.
    armed_ = false;
    if (load_) load_();
}

bool LoadOnFirstShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show && armed_) fire();
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
