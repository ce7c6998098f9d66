#pragma once
// The one way the program waits while keeping the user interface alive: a
// nested QEventLoop stepped by a QTimer. Windows that poll a flag (status
// window, process dialog, wait loops of commands) use these instead of
// sleeping and pumping events by hand.

#include <functional>

namespace ui {

// Processes events in steps of stepMs and checks done() after each step (and
// once before the first). Returns true as soon as done() is true, false when
// timeoutMs (negative: no limit) has passed first. done() runs on the calling
// thread and may have side effects (e.g. record why it ended the wait).
bool waitUntil(const std::function<bool()>& done, int stepMs = 100, int timeoutMs = -1);

// Processes events for ms milliseconds; with ms <= 0 it only handles the events
// already pending.
void pause(int ms);

}  // namespace ui
