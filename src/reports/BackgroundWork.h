#pragma once
// Long report work (laying out and writing hundreds of pages) runs off the
// user-interface thread, so windows keep painting; the caller waits for the
// work's completion signal in an event loop.

#include <functional>

namespace reports {

// Runs `work` on a thread of its own and returns once it has finished,
// processing events meanwhile; an exception thrown by `work` is thrown
// again here. `work` may paint on images and PDF writers (Qt renders text
// on any thread), never on widgets.
void runInBackground(const std::function<void()>& work);

}  // namespace reports
