#pragma once
// A window made the first time it is used rather than at start-up. Windows
// are created hidden and live until the process ends, so making one on its
// first use changes nothing the user or the host can see; it only moves the
// cost of building it out of the start-up. Copies share the one window: the
// owner keeps one, the windows that open it keep theirs.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ui {

template <typename T>
class OnFirstUse {
public:
    using Factory = std::function<std::unique_ptr<T>()>;

    OnFirstUse() = default;
    explicit OnFirstUse(Factory make) : state_(std::make_shared<State>()) { state_->make = std::move(make); }

    // The window, made now when it is not there yet; null when there is none
    // to make (no factory, or released).
    T* get() const {
        if (!state_) return nullptr;
        if (!state_->made && state_->make) {
            state_->made = state_->make();
            for (const auto& hook : state_->whenMade) hook(*state_->made);
        }
        return state_->made.get();
    }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    // There is a window to use (made or not).
    explicit operator bool() const { return state_ && (state_->made || state_->make); }

    // The window if it has been made, without making it.
    T* ifMade() const { return state_ ? state_->made.get() : nullptr; }
    // Runs `hook` on the window when it is made (at once when it is).
    void whenMade(std::function<void(T&)> hook) const {
        if (!state_) return;
        if (state_->made) hook(*state_->made);
        state_->whenMade.push_back(std::move(hook));
    }
    // Destroys the window; none is made after this.
    void release() const {
        if (!state_) return;
        state_->make = nullptr;
        state_->whenMade.clear();
        state_->made.reset();
    }

private:
    struct State {
        Factory make;
        std::unique_ptr<T> made;
        std::vector<std::function<void(T&)>> whenMade;
    };
    std::shared_ptr<State> state_;
};

}  // namespace ui
