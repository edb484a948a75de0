#pragma once

// A minimal synchronous notification list. Views subscribe to the core's
// state through these; the core never knows who is listening.

#include <functional>
#include <utility>
#include <vector>

namespace korvanta {

template <class... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    int connect(Slot slot)
    {
        slots_.push_back({++lastId_, std::move(slot)});
        return lastId_;
    }

    void disconnect(int id)
    {
        for (auto it = slots_.begin(); it != slots_.end(); ++it) {
            if (it->first == id) {
                slots_.erase(it);
                return;
            }
        }
    }

    void emit(Args... args) const
    {
        if (slots_.empty()) return;
        // Index loop: a slot may connect further slots while we run.
        for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i].second(args...);
    }

    bool empty() const { return slots_.empty(); }

private:
    std::vector<std::pair<int, Slot>> slots_;
    int lastId_ = 0;
};

// A value that tells its listeners when it really changes.
template <class T>
class Observable {
public:
    Observable() = default;
    explicit Observable(T initial) : value_(std::move(initial)) {}

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    void set(const T& value)
    {
        if (value_ == value) return;
        value_ = value;
        changed.emit();
    }

    Signal<> changed;

private:
    T value_{};
};

}  // namespace korvanta
