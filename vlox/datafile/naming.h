// Names of data files: the default name offered for a new file, the companion files'
// names, and the title and folder parts of a path. Paths are narrow or wide texts with '\'
// (or '/') between folders.
#pragma once

#include "vlox/datafile/records.h"
#include "vlox/settings/textconv.h"

#include <functional>
#include <string>

// Tells whether a file of that name exists in the data folder.
using FileExistsCheck = std::function<bool(const std::string& name)>;

// The default name: year, month, day, "_" and the first counter 000..999 whose name with
// ".VLX" does not exist, nor its companions (DataFileNameTaken), offered without the extension (the save dialog adds it). When all
// 1000 exist, "..._999.VLX" is offered with its extension and the creation refuses it.
std::string DefaultDataFileName(const LocalTime& today, const FileExistsCheck& exists);

// Joins a folder and a file name with one separator between them.
std::string JoinFolder(const std::string& folder, const std::string& name);

// The companion file of a data file: its name with the extension (after the last '.' of the
// file name) replaced by extension ("tmp", "NLG"), or extension appended when the name has
// none. A companion is never the data file itself: when replacing would give the data file's
// own name (a data file "x.tmp"), extension is appended instead ("x.tmp.tmp").
std::string CompanionFileName(const std::string& dataPath, const std::string& extension);
WideString CompanionFileName(const WideString& dataPath, const WideString& extension);
// The companions' extensions: the nulling log and the station index.
inline constexpr const char* CompanionExtensions[2] = {"NLG", "tmp"};
// Whether a new data file cannot take this path: the file or one of its companions exists.
// The companions are made anew with the data file and the station index is deleted when it
// closes, so a file of a companion's name that the program did not make would be lost.
bool DataFileNameTaken(const std::string& dataPath, const FileExistsCheck& exists);

// Whether two file names are the same name (ASCII letters compared without case, as the
// field computer's file system does).
bool SameFileName(const std::string& a, const std::string& b);
bool SameFileName(const WideString& a, const WideString& b);

// Offset of the file name within a path (after the last '\', '/' or ':').
size_t FileNameOffset(const std::string& path);
size_t FileNameOffset(const WideString& path);
// The file name without folder and extension.
std::string FileTitleOf(const std::string& path);
// The folder of a path, up to and including its last separator ("" when there is none).
std::string FolderOf(const std::string& path);
