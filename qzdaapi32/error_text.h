// The library's string table: the text of every error code and the name of every request
// code, and the rules of qzDaGetErrorString over it.
#pragma once

#include "qzdaapi32/qzdaapi32.h"

#include <cstdint>

// The text of string id, or null when the table has none.
const char* StringTableText(uint32_t id);

// Room for the longest text of the table and its terminator.
constexpr int32_t kStringTextCapacity = 128;

// Loads the text of string id into text as the string loader does (at most capacity - 1
// characters and a terminating zero); returns its length, 0 when there is none. The DLL loads
// from its string table resource (qzdaapi32.rc, made from the same table).
using StringLoader = int32_t (*)(uint32_t id, char* text, int32_t capacity);
// The loader over the table itself.
int32_t CopyStringTableText(uint32_t id, char* text, int32_t capacity);

// qzDaGetErrorString: copies the text of code, as load gives it, into buffer (at most size - 1
// characters and a terminating zero, as strings are loaded) and returns buffer. A code
// without a text gives "QZ Unknown Error: 0x%lX" when the buffer holds 39 characters or more.
// Returns null, and writes nothing, for a null buffer, a size below 1, or an unknown code
// with a smaller buffer; a size of 1 only fits the terminator, so it counts as no text loaded.
char* FormatErrorString(QZSTATUS code, char* buffer, int32_t size, StringLoader load = CopyStringTableText);

// Room the unknown-error text is promised: "QZ Unknown Error: 0x" and eight digits, with room
// to spare.
constexpr int32_t kUnknownErrorMinSize = 39;
