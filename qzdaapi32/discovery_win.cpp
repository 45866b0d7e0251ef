#include "qzdaapi32/discovery_win.h"

#include <windows.h>
// Types only: SetupApi itself is loaded at run time.
#include <setupapi.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// An entry of a library loaded at run time, as the type it is known to have.
template <class Entry>
Entry Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// --- registry values of an open key ---

bool ReadRegistryText(HKEY key, const char* name, char (&text)[kRegistryTextBytes])
{
    char buffer[kRegistryTextBytes];
    DWORD type = 0, bytes = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    return CopyRegistryText(buffer, bytes, text, sizeof text);
}

bool ReadRegistryNumber(HKEY key, const char* name, uint32_t* value)
{
    DWORD type = 0, bytes = sizeof(DWORD), number = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(DWORD))
        return false;
    *value = number;
    return true;
}

bool WriteRegistryText(HKEY key, const char* name, const char* text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

// Both routes share the key handling and the board database.
class RegistrySource : public BoardSource {
public:
    ~RegistrySource() override { CloseBoard(); }
    void CloseBoard() override
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
        key_ = nullptr;
    }
    bool ReadText(const char* name, char (&text)[kRegistryTextBytes]) override
    {
        return key_ != nullptr && ReadRegistryText(key_, name, text);
    }
    bool ReadNumber(const char* name, uint32_t* value) override
    {
        return key_ != nullptr && ReadRegistryNumber(key_, name, value);
    }
    bool WriteText(const char* name, const char* text) override
    {
        return key_ != nullptr && WriteRegistryText(key_, name, text);
    }
    int32_t WriteDatabaseName(const std::string& path, const char* name) override
    {
        HKEY database = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &database) != ERROR_SUCCESS)
            return 0;
        const bool written = WriteRegistryText(database, kValueBoardName, name);
        RegCloseKey(database);
        return written ? 1 : -1;
    }
    void* NativeKey() override { return key_; }

protected:
    HKEY key_ = nullptr;
};

class DeviceMapSource : public RegistrySource {
public:
    DeviceMapSource()
    {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDeviceMapKey, 0, KEY_READ, &map_) != ERROR_SUCCESS)
            map_ = nullptr;
    }
    ~DeviceMapSource() override
    {
        CloseBoard();
        if (map_ != nullptr)
            RegCloseKey(map_);
    }
    bool OpenBoard(uint32_t index, bool forWriting) override
    {
        char name[256];
        DWORD length = sizeof name;
        if (map_ == nullptr ||
            RegEnumKeyExA(map_, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        return RegOpenKeyExA(map_, name, 0, forWriting ? KEY_ALL_ACCESS : KEY_READ, &key_) == ERROR_SUCCESS;
    }
    bool ReadLink(char* link, size_t size) override
    {
        char value[kRegistryTextBytes];
        return ReadText(kValueLinkName, value) && MakeLinkPath(value, link, size);
    }

private:
    HKEY map_ = nullptr;
};

// SetupApi as the library finds it at run time.
typedef HDEVINFO(WINAPI* GetClassDevsA)(const GUID*, PCSTR, HWND, DWORD);
typedef BOOL(WINAPI* EnumDeviceInterfaces)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD, PSP_DEVICE_INTERFACE_DATA);
typedef BOOL(WINAPI* GetDeviceInterfaceDetailA)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_A,
                                                DWORD, PDWORD, PSP_DEVINFO_DATA);
typedef HKEY(WINAPI* OpenDeviceInterfaceRegKey)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, DWORD, REGSAM);
typedef BOOL(WINAPI* DestroyDeviceInfoList)(HDEVINFO);

// {A8294CE0-49BA-11D3-BC2A-00E0293245B9}
const GUID kBoardInterfaceClass = {0xA8294CE0, 0x49BA, 0x11D3, {0xBC, 0x2A, 0x00, 0xE0, 0x29, 0x32, 0x45, 0xB9}};

class DeviceInterfaceSource : public RegistrySource {
public:
    DeviceInterfaceSource()
    {
        library_ = LoadLibraryA("setupapi.dll");
        if (library_ == nullptr)
            return;
        getClassDevs_ = Lookup<GetClassDevsA>(library_, "SetupDiGetClassDevsA");
        enumInterfaces_ = Lookup<EnumDeviceInterfaces>(library_, "SetupDiEnumDeviceInterfaces");
        getDetail_ = Lookup<GetDeviceInterfaceDetailA>(library_, "SetupDiGetDeviceInterfaceDetailA");
        openKey_ = Lookup<OpenDeviceInterfaceRegKey>(library_, "SetupDiOpenDeviceInterfaceRegKey");
        destroyList_ = Lookup<DestroyDeviceInfoList>(library_, "SetupDiDestroyDeviceInfoList");
        if (getClassDevs_ == nullptr || enumInterfaces_ == nullptr || getDetail_ == nullptr || openKey_ == nullptr ||
            destroyList_ == nullptr)
            return;
        set_ = getClassDevs_(&kBoardInterfaceClass, nullptr, nullptr, kPresentInterfaceFlags);
    }
    ~DeviceInterfaceSource() override
    {
        CloseBoard();
        if (set_ != INVALID_HANDLE_VALUE && set_ != nullptr)
            destroyList_(set_);
        if (library_ != nullptr)
            FreeLibrary(library_);
    }
    bool OpenBoard(uint32_t index, bool forWriting) override
    {
        if (set_ == INVALID_HANDLE_VALUE || set_ == nullptr)
            return false;
        interface_ = SP_DEVICE_INTERFACE_DATA{};
        interface_.cbSize = sizeof interface_;
        if (!enumInterfaces_(set_, nullptr, &kBoardInterfaceClass, index, &interface_))
            return false;
        HKEY key = openKey_(set_, &interface_, 0, forWriting ? KEY_ALL_ACCESS : KEY_READ);
        if (key == INVALID_HANDLE_VALUE || key == nullptr)
            return false;
        key_ = key;
        return true;
    }
    bool ReadLink(char* link, size_t size) override
    {
        DWORD needed = 0;
        getDetail_(set_, &interface_, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            return false;
        std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[needed]);
        if (!block)
            return false;
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(block.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!getDetail_(set_, &interface_, detail, needed, nullptr, nullptr))
            return false;
        const size_t length =
            strnlen(detail->DevicePath, needed - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
        if (length + 1 > size)
            return false;
        std::memcpy(link, detail->DevicePath, length);
        link[length] = 0;
        return true;
    }

private:
    HMODULE library_ = nullptr;
    GetClassDevsA getClassDevs_ = nullptr;
    EnumDeviceInterfaces enumInterfaces_ = nullptr;
    GetDeviceInterfaceDetailA getDetail_ = nullptr;
    OpenDeviceInterfaceRegKey openKey_ = nullptr;
    DestroyDeviceInfoList destroyList_ = nullptr;
    HDEVINFO set_ = INVALID_HANDLE_VALUE;
    SP_DEVICE_INTERFACE_DATA interface_{};
};

// The route's source; null for a system that is not supported.
std::unique_ptr<BoardSource> SourceFor(BoardRoute route)
{
    if (route == BoardRoute::BySystem) {
        bool interfaces = false;
        if (!CheckOsVersion(CurrentOsVersion(), &interfaces))
            return nullptr;
        route = interfaces ? BoardRoute::DeviceInterfaces : BoardRoute::DeviceMap;
    }
    if (route == BoardRoute::DeviceInterfaces)
        return std::make_unique<DeviceInterfaceSource>();
    return std::make_unique<DeviceMapSource>();
}

bool CopyField(const char* text, char* field, size_t fieldSize)
{
    const size_t length = std::strlen(text);
    if (length >= fieldSize)
        return false;
    std::memcpy(field, text, length + 1);
    return true;
}

}  // namespace

OsVersion CurrentOsVersion()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    OsVersion os;
    if (!GetVersionExA(&info)) {
        os.platform = 0xFFFFFFFFu;
        return os;
    }
    os.platform = info.dwPlatformId;
    os.major = info.dwMajorVersion;
    os.minor = info.dwMinorVersion;
    return os;
}

BoardWalk EnumBoardsByRoute(BoardRoute route, BoardVisitor visitor, void* user, const char* newName)
{
    std::unique_ptr<BoardSource> source = SourceFor(route);
    if (!source)
        return BoardWalk{};
    return WalkBoards(*source, visitor, user, newName);
}

TuningValues ReadTuningValues()
{
    TuningValues tuning = {};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTuningKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return tuning;
    uint32_t* fields[5] = {&tuning.threadStartSleepTimeMSecs, &tuning.threadStopSleepTimeMSecs, &tuning.messageOnAbort,
                           &tuning.abortSleepTimeMSecs, &tuning.copyThreadPriority};
    for (size_t i = 0; i < 5; ++i) {
        if (!ReadRegistryNumber(key, kTuningValueNames[i], fields[i]))
            *fields[i] = 0;
    }
    RegCloseKey(key);
    return tuning;
}

QZSTATUS InitializeBoard(const char* boardName, BoardRoute route, DeviceHandle* handle)
{
    const QZSTATUS refused = QZERR_DRIVER_CANNOT_BE_INITIALIZED;
    if (boardName == nullptr || handle == nullptr)
        return refused;
    FoundBoard found;
    {
        std::unique_ptr<BoardSource> source = SourceFor(route);
        if (!source || !FindBoardByName(*source, boardName, &found) || !found.linkFound)
            return refused;
    }
    const std::string libraryName = std::string(found.driverName) + ".dll";
    HMODULE personality = LoadLibraryA(libraryName.c_str());
    if (personality == nullptr)
        return refused;
    DeviceRecord* device = NewDeviceRecord();
    if (device == nullptr) {
        FreeLibrary(personality);
        return refused;
    }
    device->personality = personality;
    device->boardType = found.boardType;
    auto boardInfo = Lookup<BoardInfoProcEx>(personality, "_BoardInfoProcEx@16");
    device->personalityProc = Lookup<PersonalityProcEx>(personality, "_PersonalityProcEx@20");
    auto simulated = Lookup<SimulatedDriverEntry>(personality, kSimulatedDriverEntryName);
    bool good = CopyField(found.driverName, device->driverName, sizeof device->driverName) &&
                CopyField(found.boardName, device->boardName, sizeof device->boardName) &&
                CopyField(found.link, device->linkName, sizeof device->linkName) && boardInfo != nullptr &&
                device->personalityProc != nullptr &&
                boardInfo(device->boardType, device->boardName, &device->boardInfo, &device->typeCounts) != 0 &&
                device->typeCounts != nullptr;
    if (good && simulated != nullptr) {
        const DriverPort* port = simulated(sizeof(DriverPort));
        good = port != nullptr;
        if (good)
            device->port = port;
    }
    if (good) {
        device->driver = OpenDriverPath(*device->port, device->linkName);
        good = device->driver != INVALID_HANDLE_VALUE;
    }
    if (!good) {
        DiscardDeviceRecord(device);
        return refused;
    }
    device->tuning = ReadTuningValues();
    return InsertDevice(device, handle);
}

QZSTATUS BoardInfo(const char* boardName, char* driverName, char* modelName, uint32_t size, uint32_t* instanceNumber)
{
    DeviceInterfaceSource source;
    return BoardInfoByName(source, boardName, driverName, modelName, size, instanceNumber);
}
