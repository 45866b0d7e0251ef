#include "qzdaapi32/error_text.h"

#include "qzdaapi32/requests.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct StringEntry {
    uint32_t id;
    const char* text;
};

#define QZ_ERROR_TEXT_ROW(code, name, text) {code, text},
#define QZ_REQUEST_TEXT_ROW(code, name) {code, #name},
const StringEntry kStringTable[] = {QZ_ERROR_TABLE(QZ_ERROR_TEXT_ROW) QZ_REQUEST_TABLE(QZ_REQUEST_TEXT_ROW)};
#undef QZ_ERROR_TEXT_ROW
#undef QZ_REQUEST_TEXT_ROW

// A string table resource holds 16-bit ids only.
#define QZ_ERROR_ID_ROW(code, name, text) static_assert((code) <= 0xFFFF && sizeof(text) <= kStringTextCapacity);
#define QZ_REQUEST_ID_ROW(code, name) static_assert((code) <= 0xFFFF && sizeof(#name) <= kStringTextCapacity);
QZ_ERROR_TABLE(QZ_ERROR_ID_ROW)
QZ_REQUEST_TABLE(QZ_REQUEST_ID_ROW)
#undef QZ_ERROR_ID_ROW
#undef QZ_REQUEST_ID_ROW

}  // namespace

const char* StringTableText(uint32_t id)
{
    for (const StringEntry& entry : kStringTable) {
        if (entry.id == id)
            return entry.text;
    }
    return nullptr;
}

int32_t CopyStringTableText(uint32_t id, char* text, int32_t capacity)
{
    const char* found = StringTableText(id);
    if (found == nullptr || capacity < 1)
        return 0;
    const size_t length = std::min(std::strlen(found), static_cast<size_t>(capacity) - 1);
    std::memcpy(text, found, length);
    text[length] = 0;
    return static_cast<int32_t>(length);
}

char* FormatErrorString(QZSTATUS code, char* buffer, int32_t size, StringLoader load)
{
    // A size of 0 would ask the string loader for a pointer to the resource instead of a
    // copy: refuse it rather than write anything.
    if (buffer == nullptr || size < 1)
        return nullptr;
    // Loaded aside first: the caller's buffer is written only with what it gets back.
    char text[kStringTextCapacity];
    const int32_t loaded = load(code, text, kStringTextCapacity);
    if (loaded > 0 && size > 1) {
        const size_t length = std::min(static_cast<size_t>(loaded), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, text, length);
        buffer[length] = 0;
        return buffer;
    }
    if (size < kUnknownErrorMinSize)
        return nullptr;
    std::snprintf(buffer, static_cast<size_t>(size), "QZ Unknown Error: 0x%lX", static_cast<unsigned long>(code));
    return buffer;
}
