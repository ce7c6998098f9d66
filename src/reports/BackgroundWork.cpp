#include "reports/BackgroundWork.h"

#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>

namespace reports {

void runInBackground(const std::function<void()>& work) {
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    // Queued to this thread: a worker that ends before exec() still ends the loop.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace reports
