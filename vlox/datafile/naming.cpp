#include "vlox/datafile/naming.h"

std::string DefaultDataFileName(const LocalTime& today, const FileExistsCheck& exists)
{
    std::string prefix =
        IntField(today.Year, 4, true) + IntField(today.Month, 2, true) + IntField(today.Day, 2, true) + "_";
    std::string candidate;
    for (int counter = 0; counter <= 999; ++counter) {
        std::string name = prefix + IntField(counter, 3, true);
        candidate = name + ".VLX";
        if (!DataFileNameTaken(candidate, exists))
            return name;
    }
    return candidate;
}

std::string JoinFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    char last = folder.back();
    if (last == '\\' || last == '/' || last == ':')
        return folder + name;
    return folder + "\\" + name;
}

namespace {

template <class Text>
size_t NameOffsetOf(const Text& path)
{
    for (size_t i = path.size(); i > 0; --i) {
        auto c = path[i - 1];
        if (c == '\\' || c == '/' || c == ':')
            return i;
    }
    return 0;
}

template <class Text>
bool SameIgnoringAsciiCase(const Text& a, const Text& b)
{
    if (a.size() != b.size())
        return false;
    auto fold = [](auto c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

template <class Text>
Text CompanionOf(const Text& dataPath, const Text& extension)
{
    size_t nameStart = NameOffsetOf(dataPath);
    size_t dot = dataPath.rfind('.');
    Text dotText(1, '.');
    Text name;
    if (dot != Text::npos && dot >= nameStart)
        name = dataPath.substr(0, dot + 1) + extension;
    else
        name = dataPath + dotText + extension;
    if (SameIgnoringAsciiCase(name, dataPath))
        name = dataPath + dotText + extension;
    return name;
}

}  // namespace

size_t FileNameOffset(const std::string& path)
{
    return NameOffsetOf(path);
}

size_t FileNameOffset(const WideString& path)
{
    return NameOffsetOf(path);
}

bool SameFileName(const std::string& a, const std::string& b)
{
    return SameIgnoringAsciiCase(a, b);
}

bool SameFileName(const WideString& a, const WideString& b)
{
    return SameIgnoringAsciiCase(a, b);
}

std::string CompanionFileName(const std::string& dataPath, const std::string& extension)
{
    return CompanionOf(dataPath, extension);
}

WideString CompanionFileName(const WideString& dataPath, const WideString& extension)
{
    return CompanionOf(dataPath, extension);
}

std::string FileTitleOf(const std::string& path)
{
    std::string name = path.substr(FileNameOffset(path));
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, FileNameOffset(path));
}

bool DataFileNameTaken(const std::string& dataPath, const FileExistsCheck& exists)
{
    if (exists(dataPath))
        return true;
    for (const char* extension : CompanionExtensions) {
        if (exists(CompanionFileName(dataPath, std::string(extension))))
            return true;
    }
    return false;
}
