// The one scan behind every MessageTable: the first entry whose message number matches.
// Portable so that the scan order is tested natively; the Win32 dispatch sits on it.
#pragma once

#include <cstddef>
#include <cstdint>

template <class Entry>
const Entry* FindMessageEntry(const Entry* table, size_t count, uint32_t message)
{
    for (size_t i = 0; i < count; ++i) {
        if (table[i].message == message)
            return &table[i];
    }
    return nullptr;
}
