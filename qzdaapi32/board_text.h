// Texts of boards and subsystems: registry texts copied into the device record's fixed fields,
// the driver link, subsystem names and device paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Fixed text fields of a device record (characters, without the terminator).
constexpr size_t kDriverNameChars = 64;
constexpr size_t kBoardNameChars = 64;
constexpr size_t kLinkNameChars = 128;
// Registry texts are read into buffers of this size.
constexpr size_t kRegistryTextBytes = 128;

// Copies a text value as the registry returned it (valueBytes bytes, which may lack the
// terminating zero) into a field of fieldSize bytes. A value without a terminator within its
// bytes, or whose text does not fit the field with its terminator, is refused: false, and the
// field is left as it was. The caller refuses the board then.
bool CopyRegistryText(const char* value, size_t valueBytes, char* field, size_t fieldSize);

// The driver link of a LinkName value: "\\.\" followed by the value from its 13th character
// on (the first 12 characters name the object directory). false, and out untouched, for a
// value of 12 characters or less or a link that does not fit outSize with its terminator.
bool MakeLinkPath(const char* linkName, char* out, size_t outSize);

// "AD", "DA", "DIN", "DOUT", "SRL", "CT"; null for other types.
const char* SubsystemTypeWord(uint32_t type);
// The name qzDaEnumSubSystems gives a subsystem: "%s Unit %d" (type word, element).
std::string SubsystemUnitName(uint32_t type, uint32_t element);
// The device path of a subsystem: "%s\\%s%x" (link, type word, element in hexadecimal).
std::string SubsystemDevicePath(const char* link, uint32_t type, uint32_t element);

// The driver file whose version qzDaGetDriverVersion reports: the Windows folder,
// "\system32\drivers\" (without the first backslash when the folder ends in one, as a root
// does), the driver name, "k" ("k4" on a system that finds boards through the device map),
// ".sys".
std::string DriverFilePath(const char* windowsFolder, const char* driverName, bool deviceMapSystem);

// Copies text into buffer, cut to size - 1 characters, always terminated; nothing for a size
// of 0. Returns the characters copied.
size_t CopyCut(const char* text, char* buffer, size_t size);
