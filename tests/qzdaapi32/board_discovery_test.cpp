// Board discovery over a made-up registry: which systems are supported and by which route,
// the walk with its stops and ends, the rename into the board database, finding a board by
// name without regard to case, and the board information.
#include "qzdaapi32/board_discovery.h"

#include "qzdaapi32/qzdaapi32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct FakeBoard {
    std::map<std::string, std::string> texts;
    std::map<std::string, uint32_t> numbers;
    std::string link;
};

class FakeSource : public BoardSource {
public:
    std::vector<FakeBoard> boards;
    std::map<std::string, std::string> database;  // key path -> board name ("" when no name yet)
    std::set<std::string> readOnlyDatabase;
    bool failTextWrites = false;
    int open = -1;
    bool openForWriting = false;
    int opens = 0, closes = 0;

    bool OpenBoard(uint32_t index, bool forWriting) override
    {
        EXPECT_EQ(open, -1) << "a board left open";
        if (index >= boards.size())
            return false;
        open = static_cast<int>(index);
        openForWriting = forWriting;
        ++opens;
        return true;
    }
    void CloseBoard() override
    {
        open = -1;
        ++closes;
    }
    bool ReadText(const char* name, char (&text)[kRegistryTextBytes]) override
    {
        auto& t = boards[static_cast<size_t>(open)].texts;
        auto it = t.find(name);
        if (it == t.end())
            return false;
        return CopyRegistryText(it->second.c_str(), it->second.size() + 1, text, sizeof text);
    }
    bool ReadNumber(const char* name, uint32_t* value) override
    {
        auto& n = boards[static_cast<size_t>(open)].numbers;
        auto it = n.find(name);
        if (it == n.end())
            return false;
        *value = it->second;
        return true;
    }
    bool WriteText(const char* name, const char* text) override
    {
        EXPECT_TRUE(openForWriting);
        if (failTextWrites)
            return false;
        boards[static_cast<size_t>(open)].texts[name] = text;
        return true;
    }
    bool ReadLink(char* link, size_t size) override
    {
        const std::string& l = boards[static_cast<size_t>(open)].link;
        if (l.empty() || l.size() + 1 > size)
            return false;
        std::strcpy(link, l.c_str());
        return true;
    }
    int32_t WriteDatabaseName(const std::string& path, const char* name) override
    {
        auto it = database.find(path);
        if (it == database.end())
            return 0;
        if (readOnlyDatabase.count(path) != 0)
            return -1;
        it->second = name;
        return 1;
    }
    void* NativeKey() override { return this; }
};

FakeBoard Board(const char* name, const char* driver, const char* model, uint32_t serial)
{
    FakeBoard b;
    b.texts[kValueBoardName] = name;
    b.texts[kValueDriverName] = driver;
    b.texts[kValueBoardModelName] = model;
    b.numbers[kValueSerialNumber] = serial;
    b.numbers[kValueBoardType] = 7;
    b.numbers[kValueDeviceInstanceNumber] = 3;
    b.link = std::string("\\\\.\\") + driver;
    return b;
}

struct Seen {
    std::vector<std::string> names;
    std::vector<std::string> drivers;
    std::string stopAt;
};

int32_t Collect(const char* boardName, const char* driverName, BoardSource&, void* user)
{
    Seen& seen = *static_cast<Seen*>(user);
    seen.names.push_back(boardName);
    seen.drivers.push_back(driverName);
    return seen.stopAt == boardName ? 0 : 1;
}

}  // namespace

TEST(BoardDiscovery, SupportedSystemsAndTheirRoutes)
{
    struct Case {
        uint32_t platform, major, minor;
        bool supported, interfaces;
    } cases[] = {
        {PlatformWindows, 4, 0, false, false},  {PlatformWindows, 4, 10, true, true},
        {PlatformWindows, 4, 90, true, true},   {PlatformWindows, 5, 0, true, true},
        {PlatformWindows, 3, 95, false, false}, {PlatformNt, 3, 51, false, false},
        {PlatformNt, 4, 0, true, false},        {PlatformNt, 4, 10, true, false},
        {PlatformNt, 5, 0, true, true},         {PlatformNt, 5, 2, true, true},
        {PlatformNt, 6, 1, true, true},         {PlatformNt, 10, 0, true, true},
        {PlatformWin32s, 4, 10, false, false},  {7, 6, 0, false, false},
    };
    for (const Case& c : cases) {
        bool interfaces = !c.interfaces;
        EXPECT_EQ(CheckOsVersion(OsVersion{c.platform, c.major, c.minor}, &interfaces), c.supported)
            << c.platform << " " << c.major << "." << c.minor;
        if (c.supported) {
            EXPECT_EQ(interfaces, c.interfaces) << c.platform << " " << c.major << "." << c.minor;
        }
    }
}

TEST(BoardDiscovery, NamesMatchWithoutRegardToCase)
{
    EXPECT_TRUE(SameBoardName("QZSIM480", "qzsim480"));
    EXPECT_TRUE(SameBoardName("Board-1 [A]", "bOARD-1 [a]"));
    EXPECT_FALSE(SameBoardName("Board1", "Board"));
    EXPECT_FALSE(SameBoardName("Board", "Board1"));
    EXPECT_FALSE(SameBoardName("@", "`"));        // neighbours of the letters stay apart
    EXPECT_FALSE(SameBoardName("\xC4", "\xE4"));  // no locale folding of other bytes
    EXPECT_FALSE(SameBoardName(nullptr, "a"));
    EXPECT_EQ(BoardDatabasePath("QZSIM-480", 0x1234),
              "System\\CurrentControlSet\\Control\\BrQuenzorDaDevice\\BoardDatabase\\QZSIM-480\\00001234");
    EXPECT_EQ(BoardDatabasePath("m", 0xFFFFFFFF),
              "System\\CurrentControlSet\\Control\\BrQuenzorDaDevice\\BoardDatabase\\m\\FFFFFFFF");
}

TEST(BoardDiscovery, WalkVisitsBoardsUntilStoppedOrIncomplete)
{
    FakeSource source;
    source.boards = {Board("A", "drva", "M1", 1), Board("B", "drvb", "M2", 2), Board("C", "drvc", "M3", 3)};
    Seen seen;
    BoardWalk walk = WalkBoards(source, Collect, &seen, nullptr);
    EXPECT_FALSE(walk.stopped);
    EXPECT_EQ(walk.count, 3u);
    EXPECT_EQ(seen.names, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(seen.drivers, (std::vector<std::string>{"drva", "drvb", "drvc"}));
    EXPECT_EQ(source.opens, source.closes);

    seen = Seen{};
    seen.stopAt = "B";
    walk = WalkBoards(source, Collect, &seen, nullptr);
    EXPECT_TRUE(walk.stopped);
    EXPECT_EQ(walk.count, 2u);
    EXPECT_EQ(source.opens, source.closes);

    // A board without its driver name ends the walk there, boards after it unseen.
    source.boards[1].texts.erase(kValueDriverName);
    seen = Seen{};
    walk = WalkBoards(source, Collect, &seen, nullptr);
    EXPECT_EQ(walk.count, 1u);
    EXPECT_EQ(seen.names, (std::vector<std::string>{"A"}));
    // A name longer than the registry buffer is refused like a missing one.
    source.boards[0].texts[kValueBoardName] = std::string(kRegistryTextBytes, 'x');
    seen = Seen{};
    EXPECT_EQ(WalkBoards(source, Collect, &seen, nullptr).count, 0u);
    EXPECT_EQ(source.opens, source.closes);
}

TEST(BoardDiscovery, RenameWritesTheBoardAndItsDatabaseEntry)
{
    FakeSource source;
    source.boards = {Board("Old", "drv", "MODEL", 0x42), Board("Other", "drv2", "M2", 9)};
    const std::string byModel = BoardDatabasePath("MODEL", 0x42);
    const std::string byDriver = BoardDatabasePath("drv", 0x42);
    source.database[byModel] = "Old";
    Seen seen;
    seen.stopAt = "Old";
    ASSERT_TRUE(WalkBoards(source, Collect, &seen, "New").stopped);
    EXPECT_EQ(source.boards[0].texts[kValueBoardName], "New");
    EXPECT_EQ(source.database[byModel], "New");

    // No key for the model: the driver name's key.
    source.database.clear();
    source.database[byDriver] = "";
    seen.stopAt = "New";
    ASSERT_TRUE(WalkBoards(source, Collect, &seen, "Newer").stopped);
    EXPECT_EQ(source.database[byDriver], "Newer");

    // Neither key: the walk ends as not stopped (the board itself was renamed already).
    source.database.clear();
    seen.stopAt = "Newer";
    EXPECT_FALSE(WalkBoards(source, Collect, &seen, "X").stopped);
    // A key that cannot be written, a model that cannot be read, a name that cannot be
    // written: not stopped either.
    source.boards[0].texts[kValueBoardName] = "Y";
    source.database[byModel] = "";
    source.readOnlyDatabase.insert(byModel);
    seen.stopAt = "Y";
    EXPECT_FALSE(WalkBoards(source, Collect, &seen, "Z").stopped);
    source.boards[0].texts[kValueBoardName] = "Y";
    source.readOnlyDatabase.clear();
    source.boards[0].texts.erase(kValueBoardModelName);
    EXPECT_FALSE(WalkBoards(source, Collect, &seen, "Z").stopped);
    source.boards[0].texts[kValueBoardModelName] = "MODEL";
    source.boards[0].texts[kValueBoardName] = "Y";
    source.failTextWrites = true;
    EXPECT_FALSE(WalkBoards(source, Collect, &seen, "Z").stopped);
    EXPECT_EQ(source.boards[0].texts[kValueBoardName], "Y");
    EXPECT_EQ(source.opens, source.closes);
}

TEST(BoardDiscovery, SerialOfAllOnesIsTheBoardsIndex)
{
    FakeSource source;
    source.boards = {Board("A", "drva", "M", 5), Board("B", "drvb", "M", 0xFFFFFFFF)};
    source.database[BoardDatabasePath("M", 1)] = "";
    Seen seen;
    seen.stopAt = "B";
    ASSERT_TRUE(WalkBoards(source, Collect, &seen, "B2").stopped);
    EXPECT_EQ(source.database[BoardDatabasePath("M", 1)], "B2");
}

TEST(BoardDiscovery, FindBoardByNameGivesDriverLinkAndType)
{
    FakeSource source;
    source.boards = {Board("First", "drva", "M", 1), Board("QZSIM480", "qzsimbrd", "M", 2)};
    FoundBoard found;
    ASSERT_TRUE(FindBoardByName(source, "qzsim480", &found));
    EXPECT_STREQ(found.driverName, "qzsimbrd");
    EXPECT_STREQ(found.boardName, "QZSIM480");
    EXPECT_TRUE(found.linkFound);
    EXPECT_STREQ(found.link, "\\\\.\\qzsimbrd");
    EXPECT_EQ(found.boardType, 7u);
    EXPECT_FALSE(FindBoardByName(source, "QZSIM48", &found));
    EXPECT_FALSE(FindBoardByName(source, nullptr, &found));
    // Without a link or a board type the board is found but cannot be opened.
    source.boards[1].link.clear();
    ASSERT_TRUE(FindBoardByName(source, "QZSIM480", &found));
    EXPECT_FALSE(found.linkFound);
}

TEST(BoardDiscovery, BoardInformation)
{
    FakeSource source;
    source.boards = {Board("QZSIM480", "qzsimbrd", "QZSIM-480", 2)};
    char driver[16] = "?", model[16] = "?";
    uint32_t instance = 0;
    ASSERT_EQ(BoardInfoByName(source, "Qzsim480", driver, model, sizeof driver, &instance), 0u);
    EXPECT_STREQ(driver, "qzsimbrd");
    EXPECT_STREQ(model, "QZSIM-480");
    EXPECT_EQ(instance, 3u);
    // A name that does not fit with its terminator is refused; nothing is written.
    char small[9] = "?";
    char smallModel[9] = "?";
    EXPECT_EQ(BoardInfoByName(source, "QZSIM480", small, smallModel, 8, &instance),
              QZERR_SPECIFIED_BUFFER_TOO_SMALL_FOR_REQUESTED_COPY_OPERATION);
    EXPECT_STREQ(small, "?");
    EXPECT_EQ(BoardInfoByName(source, "QZSIM480", small, nullptr, 9, nullptr), 0u);
    EXPECT_STREQ(small, "qzsimbrd");
    EXPECT_EQ(BoardInfoByName(source, "nothing", driver, model, 16, &instance), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    source.boards[0].numbers.erase(kValueDeviceInstanceNumber);
    EXPECT_EQ(BoardInfoByName(source, "QZSIM480", driver, model, 16, &instance), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
}
