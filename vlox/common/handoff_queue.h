// Copies that a reader thread hands to the user-interface thread. The reader puts a copy of
// what it read, addressed to a window, and posts a message there (HandToWindow,
// handoff_win.h); the window's handler takes everything waiting for it, in order, and draws
// it. So the reader touches no window's drawing and no screen layout, and a message that comes
// late, after its copy was taken with an earlier one, finds nothing.
//
// Copies addressed to a window that has gone are dropped when another window takes, and when
// nobody takes at all no more than the limit are kept, the oldest going first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

template <class T>
class HandOffQueue {
public:
    explicit HandOffQueue(size_t limit) : limit_(limit > 0 ? limit : 1) {}
    HandOffQueue(const HandOffQueue&) = delete;
    HandOffQueue& operator=(const HandOffQueue&) = delete;

    // Appends a copy for window (any word but 0 names one).
    void Put(uintptr_t window, T value)
    {
        std::lock_guard<std::mutex> held(lock_);
        while (items_.size() >= limit_)
            items_.pop_front();
        items_.emplace_back(window, std::move(value));
    }

    // Everything waiting for window, in the order it was put; the queue is empty afterwards.
    std::vector<T> Take(uintptr_t window)
    {
        std::deque<std::pair<uintptr_t, T>> all;
        {
            std::lock_guard<std::mutex> held(lock_);
            all.swap(items_);
        }
        std::vector<T> mine;
        for (auto& [to, value] : all) {
            if (to == window)
                mine.push_back(std::move(value));
        }
        return mine;
    }

private:
    std::mutex lock_;
    std::deque<std::pair<uintptr_t, T>> items_;
    size_t limit_;
};
