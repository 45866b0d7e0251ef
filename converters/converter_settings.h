// The converters' settings files and file names. "\Convertxyz.ini" (XYZ build, 17 lines) and
// "\Convert.ini" (LZ5, USF and TXT builds, 3 lines) in the folder the program started from:
// the data folder on the first line, then one integer per line, CR LF after every line. Read
// once at start and written only when the user leaves with Exit; the bytes are composed and
// read here, the Win32 side moves them to and from the file.
#pragma once

#include "converters/converter_state.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace converters {

// "\Convertxyz.ini" for the XYZ build, "\Convert.ini" for the others.
const char* SettingsFileName(int32_t mode);

// `DefaultConverterSettings`: the built-in values of the build; `IncludeHdop` and
// `IncludeSatellites` are not touched (they are 0 at program start).
void DefaultConverterSettings(ConverterSettings& s, int32_t mode);

// Load from the file's bytes: the first line whole (commas and blanks belong to it) into
// `DataFolder`, then each integer of the build's layout in order. A field ends at a comma, a
// blank or a line end; its number is rounded half to even ("2.5" gives 2), text that is not a
// number reads as its leading numeric part (0 when none) and non-finite numbers as 0. Each
// value is range-checked as it is stored (an index outside its list, or a negative HDOP mask,
// takes the default). Returns 1 when every line was read, -1 when the file ended early: the
// values read so far stay stored and the caller applies the defaults.
int32_t ReadConverterSettings(std::string_view bytes, int32_t mode, ConverterSettings& s);

// Start-up: ReadConverterSettings when the file could be read (bytes given), then the defaults
// on any failure. fileRead false means the file was missing or unreadable.
void LoadConverterSettings(bool fileRead, std::string_view bytes, int32_t mode,
                           ConverterSettings& s);

// A value as the build's settings store it: the value when it lies within the setting's range,
// else the setting's default. field is one of the integers of the build's file; any other
// field gets the value unchanged. The dialogs store what they read through it, so a list with
// no selection (-1) or a radio group with none checked gives the default.
int32_t CheckedSetting(int32_t ConverterSettings::*field, int32_t value, int32_t mode);

// True when the bytes are well-formed UTF-8. The programs write the folder line in UTF-8; a
// line that is not (a file written in the system's ANSI code page) is read in that code page.
bool IsUtf8Text(std::string_view text);

// The file's bytes: the folder line, then the build's integers as plain decimal digits (a
// leading "-" when negative), every line ended by CR LF.
std::string ComposeConverterSettings(const ConverterSettings& s, int32_t mode);

// `SplitFilePath`: the text up to and including its last ":", "\" or "/"; the whole text when
// it holds none of them.
std::string SplitFilePath(std::string_view path);

// The file name part of a path: the text after SplitFilePath's part.
std::string FileNamePart(std::string_view path);

// The extension the output picker proposes and defaults to: "LZ5", "USF", "txt" or "xyz".
const char* OutputExtension(int32_t mode);

// The output name proposed for an input path: the path without its last three characters,
// then the build's extension (20240315_001.VLX proposes 20240315_001.xyz; survey.vlx2 proposes
// survey.vxyz). Characters are counted as whole UTF-8 characters.
std::string ProposedOutputName(std::string_view inputPath, int32_t mode);

} // namespace converters
