#include "qzdaapi32/error_text.h"

#include "qzdaapi32/requests.h"

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

}  // namespace

const char* StringTableText(uint32_t id)
{
    for (const StringEntry& entry : kStringTable) {
        if (entry.id == id)
            return entry.text;
    }
    return nullptr;
}

char* FormatErrorString(QZSTATUS code, char* buffer, int32_t size)
{
    // A size of 0 would ask the string loader for a pointer to the resource instead of a
    // copy: refuse it rather than write anything.
    if (buffer == nullptr || size < 1)
        return nullptr;
    const char* text = StringTableText(code);
    if (text != nullptr) {
        size_t length = std::strlen(text);
        size_t room = static_cast<size_t>(size) - 1;
        if (length > room)
            length = room;
        if (length > 0) {
            std::memcpy(buffer, text, length);
            buffer[length] = 0;
            return buffer;
        }
    }
    if (size < kUnknownErrorMinSize)
        return nullptr;
    std::snprintf(buffer, static_cast<size_t>(size), "QZ Unknown Error: 0x%lX", static_cast<unsigned long>(code));
    return buffer;
}
