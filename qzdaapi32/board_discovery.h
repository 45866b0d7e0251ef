// Board discovery: which systems are supported and how they list their boards, the walk over
// the installed boards with the callback and the optional rename, and the registry names and
// paths. The walk reads the boards through BoardSource, so the same rules serve the device
// interfaces, the device map and a test's made-up registry.
#pragma once

#include "qzdaapi32/board_text.h"

#include <cstdint>
#include <string>

// The registry's names.
constexpr const char* kDeviceInterfaceClass = "{A8294CE0-49BA-11D3-BC2A-00E0293245B9}";
constexpr uint32_t kPresentInterfaceFlags = 0x12;  // present interfaces of the class
constexpr const char* kDeviceMapKey = "Hardware\\DeviceMap\\BrQuenzorDaDevice";
constexpr const char* kTuningKey = "SOFTWARE\\Brellis\\BR-Quenzor Data Acquisition Software";
constexpr const char* kValueDriverName = "DriverName";
constexpr const char* kValueBoardName = "BrQuenzorBoardName";
constexpr const char* kValueBoardType = "BoardType";
constexpr const char* kValueLinkName = "LinkName";
constexpr const char* kValueBoardModelName = "BoardModelName";
constexpr const char* kValueSerialNumber = "SerialNumber";
constexpr const char* kValueDeviceInstanceNumber = "DeviceInstanceNumber";
// The tuning values of the data-copy thread, in the order of TuningValues.
constexpr const char* kTuningValueNames[5] = {"ThreadStartSleepTimeMSecs", "ThreadStopSleepTimeMSecs", "MessageOnAbort",
                                              "AbortSleepTimeMSecs", "CopyThreadPriority"};

// What the system says about itself.
enum : uint32_t {
    PlatformWin32s = 0,
    PlatformWindows = 1,  // the 9x family
    PlatformNt = 2,
};
struct OsVersion {
    uint32_t platform = PlatformNt;
    uint32_t major = 0;
    uint32_t minor = 0;
};

// Whether the system is supported, and whether it lists boards through the device interfaces
// (else through the device map): the 9x family from 4.10 on (interfaces), NT from 4 on (4.x
// the device map, 5.0 and later the interfaces). useDeviceInterfaces is written only for a
// supported system.
bool CheckOsVersion(const OsVersion& os, bool* useDeviceInterfaces);

// Board names are compared without regard to case (ASCII letters; other bytes as they are).
bool SameBoardName(const char* a, const char* b);

// "System\CurrentControlSet\Control\BrQuenzorDaDevice\BoardDatabase\<key>\<serial as %.8X>".
std::string BoardDatabasePath(const char* key, uint32_t serial);

// The boards of one route, one open at a time.
class BoardSource {
public:
    virtual ~BoardSource() = default;
    // Opens board `index` (0, 1, 2, ...) for reading, or for reading and writing; false when
    // there is no such board.
    virtual bool OpenBoard(uint32_t index, bool forWriting) = 0;
    virtual void CloseBoard() = 0;
    // A text value of the open board as the registry holds it: false when it is missing, not
    // text, or does not fit kRegistryTextBytes with its terminator.
    virtual bool ReadText(const char* name, char (&text)[kRegistryTextBytes]) = 0;
    virtual bool ReadNumber(const char* name, uint32_t* value) = 0;
    // Writes a text value with its terminating zero.
    virtual bool WriteText(const char* name, const char* text) = 0;
    // The driver link of the open board (the interface's device path, or "\\.\" and the
    // LinkName value from its 13th character on).
    virtual bool ReadLink(char* link, size_t size) = 0;
    // Writes the board name into the board-database key at path: 1 written, 0 no such key,
    // -1 the key exists but the write failed.
    virtual int32_t WriteDatabaseName(const std::string& path, const char* name) = 0;
    // The open board's key as the extended callback receives it.
    virtual void* NativeKey() = 0;
};

// Called for each board; a nonzero answer goes on with the next board, zero stops here. The
// board stays open during the call, so the callback may read more of it from the source.
typedef int32_t (*BoardVisitor)(const char* boardName, const char* driverName, BoardSource& source, void* user);

struct BoardWalk {
    bool stopped = false;  // the visitor stopped at a board (and a rename, if asked, was done)
    uint32_t count = 0;    // boards visited
};

// The walk: boards in order; a board without DriverName or BrQuenzorBoardName ends it. When
// newName is given, the board the visitor stops at is renamed: BrQuenzorBoardName is written,
// then the board database under its model and serial (a serial of 0xFFFFFFFF is the board's
// index), or under its driver name and serial when that key does not exist; a failing read
// or write ends the walk as not stopped.
BoardWalk WalkBoards(BoardSource& source, BoardVisitor visitor, void* user, const char* newName);

// Finding one board by name: its driver name, link and board type, read while it is open.
struct FoundBoard {
    char driverName[kRegistryTextBytes] = {};
    char boardName[kRegistryTextBytes] = {};
    char link[kLinkNameChars + 1] = {};
    uint32_t boardType = 0;
    bool linkFound = false;
};
// True when a board of that name was found; its link and type are found too when linkFound.
bool FindBoardByName(BoardSource& source, const char* boardName, FoundBoard* found);

// qzDaGetBoardInfo on the device interfaces: 0 with the driver and model names and the device
// instance number; 219, and nothing written, when either name does not fit `size` bytes with
// its terminator; 67 when no board has the name or its values cannot be read. A null out
// pointer is left alone.
uint32_t BoardInfoByName(BoardSource& source, const char* boardName, char* driverName, char* modelName, uint32_t size,
                         uint32_t* instanceNumber);
