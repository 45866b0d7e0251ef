// The reader's side of a hand-off to the user-interface thread: the copy put for the window,
// then the message that announces it posted there.
#pragma once

#include "vlox/common/handoff_queue.h"

#include <windows.h>

#include <utility>

// Nothing without a window. The message carries no values: the handler takes the copies.
template <class T>
void HandToWindow(HandOffQueue<T>& queue, HWND window, UINT message, T value)
{
    if (window == nullptr)
        return;
    queue.Put(reinterpret_cast<uintptr_t>(window), std::move(value));
    PostMessageW(window, message, 0, 0);
}
