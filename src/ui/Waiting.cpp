#include "ui/Waiting.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace ui {

bool waitUntil(const std::function<bool()>& done, int stepMs, int timeoutMs) {
    if (done()) return true;
    if (timeoutMs == 0) return false;

    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    bool finished = false;
    QTimer step;
    step.setInterval(stepMs > 0 ? stepMs : 1);
    QObject::connect(&step, &QTimer::timeout, &loop, [&] {
        if (done()) {
            finished = true;
            loop.quit();
        } else if (timeoutMs > 0 && clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    step.start();
    loop.exec();
    step.stop();
    return finished;
}

void pause(int ms) {
    QEventLoop loop;
    if (ms <= 0) {
        loop.processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace ui
