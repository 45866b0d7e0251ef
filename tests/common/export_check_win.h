// Checks a DLL's exports against the table it was built from: each export reachable by name
// and by ordinal at one address, and the by-ordinal import of this test program landing
// there too. The rows come from the "<dll>_exports.inc" table through EXPORT_ROW.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>

struct ExportRow {
    int ordinal;
    const char* name;
    int bytes;
    const void* imported;  // the function as this program imports it
};

// The address an import thunk (jmp [__imp_name]) jumps to. The jump's operand is the slot's
// address on x86 and the slot's distance from the next instruction on x64.
inline const void* ThunkTarget(const void* thunk)
{
    const uint8_t* code = static_cast<const uint8_t*>(thunk);
    if (code[0] != 0xFF || code[1] != 0x25)
        return thunk;
    const void* const* slot;
#if defined(__x86_64__) || defined(_M_X64)
    int32_t distance;
    std::memcpy(&distance, code + 2, sizeof distance);
    slot = reinterpret_cast<const void* const*>(code + 6 + distance);
#else
    std::memcpy(&slot, code + 2, sizeof slot);
#endif
    return *slot;
}

// Every row by name equals by ordinal equals the import; ordinals are distinct.
inline void ExpectExportsMatch(const char* dllName, const ExportRow* rows, size_t count)
{
    HMODULE dll = GetModuleHandleA(dllName);
    ASSERT_NE(dll, nullptr) << dllName;
    std::set<int> ordinals;
    for (size_t i = 0; i < count; ++i) {
        const ExportRow& row = rows[i];
        FARPROC byName = GetProcAddress(dll, row.name);
        FARPROC byOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(row.ordinal));
        ASSERT_NE(byName, nullptr) << row.name;
        EXPECT_EQ(byName, byOrdinal) << row.name;
        EXPECT_EQ(ThunkTarget(row.imported), reinterpret_cast<const void*>(byOrdinal)) << row.name;
        ordinals.insert(row.ordinal);
    }
    EXPECT_EQ(ordinals.size(), count);
}
