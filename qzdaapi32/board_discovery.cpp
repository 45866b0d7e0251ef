#include "qzdaapi32/board_discovery.h"

#include "qzdaapi32/qzdaapi32.h"

#include <cstdio>
#include <cstring>

bool CheckOsVersion(const OsVersion& os, bool* useDeviceInterfaces)
{
    bool interfaces = false;
    switch (os.platform) {
    case PlatformWindows:
        if (os.major < 4 || (os.major == 4 && os.minor == 0))
            return false;
        interfaces = true;
        break;
    case PlatformNt:
        if (os.major < 4)
            return false;
        interfaces = os.major >= 5;
        break;
    default:
        return false;
    }
    if (useDeviceInterfaces != nullptr)
        *useDeviceInterfaces = interfaces;
    return true;
}

bool SameBoardName(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return false;
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

std::string BoardDatabasePath(const char* key, uint32_t serial)
{
    char number[16];
    std::snprintf(number, sizeof number, "%.8X", static_cast<unsigned>(serial));
    std::string path = "System\\CurrentControlSet\\Control\\";
    path += "BrQuenzorDaDevice";
    path += "\\BoardDatabase\\";
    path += key != nullptr ? key : "";
    path += '\\';
    path += number;
    return path;
}

namespace {

// The rename of the board the visitor stopped at.
bool RenameOpenBoard(BoardSource& source, uint32_t index, const char* driverName, const char* newName)
{
    char model[kRegistryTextBytes];
    uint32_t serial = 0;
    if (!source.WriteText(kValueBoardName, newName) || !source.ReadText(kValueBoardModelName, model) ||
        !source.ReadNumber(kValueSerialNumber, &serial))
        return false;
    if (serial == 0xFFFFFFFFu)
        serial = index;
    int32_t written = source.WriteDatabaseName(BoardDatabasePath(model, serial), newName);
    if (written == 0)
        written = source.WriteDatabaseName(BoardDatabasePath(driverName, serial), newName);
    return written == 1;
}

}  // namespace

BoardWalk WalkBoards(BoardSource& source, BoardVisitor visitor, void* user, const char* newName)
{
    BoardWalk walk;
    for (uint32_t index = 0;; ++index) {
        if (!source.OpenBoard(index, newName != nullptr))
            return walk;
        char driverName[kRegistryTextBytes], boardName[kRegistryTextBytes];
        if (!source.ReadText(kValueDriverName, driverName) || !source.ReadText(kValueBoardName, boardName)) {
            source.CloseBoard();
            return walk;
        }
        ++walk.count;
        if (visitor(boardName, driverName, source, user) != 0) {
            source.CloseBoard();
            continue;
        }
        walk.stopped = newName == nullptr || RenameOpenBoard(source, index, driverName, newName);
        source.CloseBoard();
        return walk;
    }
}

namespace {

struct FindByName {
    const char* name;
    FoundBoard* found;
};

int32_t MatchBoardNameCallback(const char* boardName, const char* driverName, BoardSource& source, void* user)
{
    FindByName& find = *static_cast<FindByName*>(user);
    if (!SameBoardName(boardName, find.name))
        return 1;
    FoundBoard& f = *find.found;
    std::strncpy(f.driverName, driverName, sizeof f.driverName - 1);
    std::strncpy(f.boardName, boardName, sizeof f.boardName - 1);
    f.linkFound = source.ReadLink(f.link, sizeof f.link) && source.ReadNumber(kValueBoardType, &f.boardType);
    return 0;
}

struct InfoByName {
    const char* name;
    bool read = false;
    char driverName[kRegistryTextBytes] = {};
    char modelName[kRegistryTextBytes] = {};
    uint32_t instance = 0;
};

int32_t MatchBoardInfoCallback(const char* boardName, const char* driverName, BoardSource& source, void* user)
{
    InfoByName& info = *static_cast<InfoByName*>(user);
    if (!SameBoardName(boardName, info.name))
        return 1;
    std::strncpy(info.driverName, driverName, sizeof info.driverName - 1);
    info.read = source.ReadText(kValueBoardModelName, info.modelName) &&
                source.ReadNumber(kValueDeviceInstanceNumber, &info.instance);
    return 0;
}

}  // namespace

bool FindBoardByName(BoardSource& source, const char* boardName, FoundBoard* found)
{
    if (boardName == nullptr || found == nullptr)
        return false;
    *found = FoundBoard{};
    FindByName find{boardName, found};
    return WalkBoards(source, MatchBoardNameCallback, &find, nullptr).stopped;
}

uint32_t BoardInfoByName(BoardSource& source, const char* boardName, char* driverName, char* modelName, uint32_t size,
                         uint32_t* instanceNumber)
{
    if (boardName == nullptr)
        return QZERR_DRIVER_CANNOT_BE_INITIALIZED;
    InfoByName info;
    info.name = boardName;
    if (!WalkBoards(source, MatchBoardInfoCallback, &info, nullptr).stopped || !info.read)
        return QZERR_DRIVER_CANNOT_BE_INITIALIZED;
    if ((driverName != nullptr && std::strlen(info.driverName) >= size) ||
        (modelName != nullptr && std::strlen(info.modelName) >= size))
        return QZERR_SPECIFIED_BUFFER_TOO_SMALL_FOR_REQUESTED_COPY_OPERATION;
    if (driverName != nullptr)
        std::strcpy(driverName, info.driverName);
    if (modelName != nullptr)
        std::strcpy(modelName, info.modelName);
    if (instanceNumber != nullptr)
        *instanceNumber = info.instance;
    return 0;
}
