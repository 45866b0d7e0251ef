#include "qzdaapi32/board_text.h"

#include <cstdio>
#include <cstring>

bool CopyRegistryText(const char* value, size_t valueBytes, char* field, size_t fieldSize)
{
    if (value == nullptr || field == nullptr || fieldSize == 0)
        return false;
    const void* end = std::memchr(value, 0, valueBytes);
    if (end == nullptr)
        return false;
    size_t length = static_cast<size_t>(static_cast<const char*>(end) - value);
    if (length >= fieldSize)
        return false;
    std::memcpy(field, value, length + 1);
    return true;
}

bool MakeLinkPath(const char* linkName, char* out, size_t outSize)
{
    static const char kPrefix[] = "\\\\.\\";
    const size_t kDropped = 12;
    if (linkName == nullptr || out == nullptr)
        return false;
    size_t length = std::strlen(linkName);
    if (length <= kDropped)
        return false;
    size_t needed = (sizeof kPrefix - 1) + (length - kDropped) + 1;
    if (needed > outSize)
        return false;
    std::memcpy(out, kPrefix, sizeof kPrefix - 1);
    std::memcpy(out + sizeof kPrefix - 1, linkName + kDropped, length - kDropped + 1);
    return true;
}

const char* SubsystemTypeWord(uint32_t type)
{
    static const char* const kWords[] = {"AD", "DA", "DIN", "DOUT", "SRL", "CT"};
    return type < 6 ? kWords[type] : nullptr;
}

std::string SubsystemUnitName(uint32_t type, uint32_t element)
{
    const char* word = SubsystemTypeWord(type);
    char text[48];
    std::snprintf(text, sizeof text, "%s Unit %d", word != nullptr ? word : "", static_cast<int>(element));
    return text;
}

std::string SubsystemDevicePath(const char* link, uint32_t type, uint32_t element)
{
    const char* word = SubsystemTypeWord(type);
    std::string path = link != nullptr ? link : "";
    char tail[32];
    std::snprintf(tail, sizeof tail, "\\%s%x", word != nullptr ? word : "", static_cast<unsigned>(element));
    return path + tail;
}

size_t CopyCut(const char* text, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0)
        return 0;
    size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > size - 1)
        length = size - 1;
    if (length > 0)
        std::memcpy(buffer, text, length);
    buffer[length] = 0;
    return length;
}

std::string DriverFilePath(const char* windowsFolder, const char* driverName, bool deviceMapSystem)
{
    std::string path = windowsFolder != nullptr ? windowsFolder : "";
    if (path.empty() || path.back() != '\\')
        path += '\\';
    path += "system32\\drivers\\";
    path += driverName != nullptr ? driverName : "";
    path += deviceMapSystem ? "k4.sys" : "k.sys";
    return path;
}
