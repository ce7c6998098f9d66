#pragma once
// Lets a test hold another thread at numbered points: the thread notes each
// point it reaches and waits there until the test allows it past, so a race
// is played in the order the test chooses instead of waiting for it.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace testing_support {

class Gate {
public:
    // Called by the held thread: notes the point and waits until it may pass.
    void pass(int point) {
        std::unique_lock lock(mutex_);
        reached_ = point;
        changed_.notify_all();
        changed_.wait(lock, [&] { return allowed_ > point; });
    }
    // False when the point was not reached within a generous time (the test
    // fails instead of hanging).
    bool waitReached(int point) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return reached_ >= point; });
    }
    // Lets the thread pass every point below `point`.
    void allow(int point) {
        std::lock_guard lock(mutex_);
        allowed_ = point;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int reached_ = -1;
    int allowed_ = 0;
};

}  // namespace testing_support
