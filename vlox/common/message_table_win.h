// The message-table convention of every window procedure of V-LOX: a constant array of
// (message number, handler) pairs scanned from the first entry; the first handler whose
// message matches answers, and a message no entry names goes to DefWindowProcW.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "vlox/common/table_scan.h"

using MessageHandler = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct MessageEntry {
    uint32_t message;
    MessageHandler handler;
};

struct MessageTable {
    const MessageEntry* entries;
    size_t count;
};

template <size_t N>
constexpr MessageTable MakeMessageTable(const MessageEntry (&entries)[N])
{
    return MessageTable{entries, N};
}

// The body of every window procedure: the first matching handler's result, or the default
// window procedure's.
inline LRESULT DispatchThroughTable(const MessageTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const MessageEntry* entry = FindMessageEntry(table.entries, table.count, message);
    if (entry != nullptr && entry->handler != nullptr)
        return entry->handler(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}
