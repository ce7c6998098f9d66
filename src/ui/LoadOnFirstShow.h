#pragma once
// The one rule for a window that loads its data when it is shown: it loads on
// the first show after it was prepared, and never again until it is prepared
// anew. Restoring a minimised window, a re-show after hide() and the window
// manager's own (spontaneous) show events leave the window, and the user's
// unsaved edits, as they are.
//
// A window that loads on show owns one of these and does no loading in its
// showEvent() (captions may still be set there):
//
//   TFormX::TFormX(...) : firstShow_(new ui::LoadOnFirstShow(*this, [this] { Timer->start(); })) {}
//   void TFormX::Prepare(...) { ...reset the window's state...; firstShow_->prepare(); }
//   int TFormX::Execute(...) { Prepare(...); return exec(); }
//
// prepare() on a window that is already visible loads at once, since no show
// event will come.

#include <QObject>
#include <functional>

class QWidget;

namespace ui {

class LoadOnFirstShow : public QObject {
public:
    // Watches `window` (and is owned by it); `load` runs on the first show
    // after prepare().
    LoadOnFirstShow(QWidget& window, std::function<void()> load);

    // Arms the load for the next show (or runs it now when the window is
    // visible already).
    void prepare();
    // A load is waiting for the next show.
    bool isArmed() const { return armed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fire();

    QWidget& window_;
    std::function<void()> load_;
    bool armed_ = false;
};

}  // namespace ui
