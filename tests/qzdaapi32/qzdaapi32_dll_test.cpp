// qzdaapi32.dll as V-LOX sees it: both DLLs imported by ordinal through their import
// libraries. Exports by name and ordinal, texts, handle misuse, lists and conversions through
// the exports, and concurrent use of the public API.
#include "qzdaapi32/qzdaapi32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/common/export_check_win.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// Taking each export's address makes this program import all 126 from the by-ordinal import
// library with the stdcall sizes of the public header: a size that differs from the table
// fails the link.
const ExportRow kExports[] = {
#define EXPORT_ROW(ordinal, name, bytes) {ordinal, #name, bytes, reinterpret_cast<const void*>(&name)},
#include "qzdaapi32_exports.inc"
#undef EXPORT_ROW
};

// A record that looks like the library's (its first word points to itself) but was never
// handed out: refused like any foreign handle.
struct FakeRecord {
    FakeRecord* self;
    uint8_t rest[4096];
};

std::vector<void*> BadHandles(FakeRecord& fake)
{
    fake.self = &fake;
    static int notARecord;
    return {nullptr, &fake, &notARecord, reinterpret_cast<void*>(uintptr_t{0x12345678}),
            reinterpret_cast<void*>(uintptr_t{1})};
}

int32_t __stdcall CountBoards(const char*, const char*, intptr_t userData)
{
    ++*reinterpret_cast<int*>(userData);
    return 1;
}

}  // namespace

TEST(Qzdaapi32Dll, AllExportsByNameEqualByOrdinalAndTheImports)
{
    EXPECT_EQ(std::size(kExports), 126u);
    ExpectExportsMatch("qzdaapi32.dll", kExports, std::size(kExports));
    HMODULE dll = GetModuleHandleA("qzdaapi32.dll");
    // No decorated names are exported.
    EXPECT_EQ(GetProcAddress(dll, "qzDaInitialize@8"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "_qzDaInitialize@8"), nullptr);
    // Nothing answers at an ordinal the table does not name.
    EXPECT_EQ(GetProcAddress(dll, MAKEINTRESOURCEA(10)), nullptr);
    EXPECT_EQ(GetProcAddress(dll, MAKEINTRESOURCEA(81)), nullptr);
    EXPECT_EQ(GetProcAddress(dll, MAKEINTRESOURCEA(309)), nullptr);
}

TEST(Qzdaapi32Dll, ErrorTextsForKnownAndUnknownCodes)
{
    char buffer[128];
    ASSERT_EQ(qzDaGetErrorString(40, buffer, 80), buffer);
    EXPECT_STREQ(buffer, "Invalid Subsystem Handle");
    ASSERT_EQ(qzDaGetErrorString(16487, buffer, 80), buffer);
    EXPECT_STREQ(buffer, "QZDRV_CONFIG");
    ASSERT_EQ(qzDaGetErrorString(212, buffer, 80), buffer);
    EXPECT_STREQ(buffer, "Bufffer Not Locked");
    ASSERT_EQ(qzDaGetErrorString(0xC0DE, buffer, 39), buffer);
    EXPECT_STREQ(buffer, "QZ Unknown Error: 0xC0DE");
    ASSERT_EQ(qzDaGetErrorString(0xFFFFFFFFu, buffer, 39), buffer);
    EXPECT_STREQ(buffer, "QZ Unknown Error: 0xFFFFFFFF");
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(qzDaGetErrorString(0xC0DE, buffer, 38), nullptr);
    EXPECT_EQ(qzDaGetErrorString(0, buffer, 0), nullptr);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(qzDaGetErrorString(0, nullptr, 80), nullptr);
    // Every text fits V-LOX's 80-character field, cut where it is longer.
    ASSERT_EQ(qzDaGetErrorString(125, buffer, 80), buffer);
    EXPECT_STREQ(buffer, "A General Failure has occurred, see manual for possible explanations.");

    // Mended: the DLL had no string table, so a caller loading a text from it by code got
    // none. The texts are its string table, id = code, and the export gives what it holds.
    wchar_t wide[128] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleA("qzdaapi32.dll"), 122, wide, 128), 0);
    EXPECT_STREQ(wide, L"Invalid count.  Count exceeds maximum # of scans of the CGL.");
#define ROW(code, name, text) EXPECT_STREQ(qzDaGetErrorString(code, buffer, 128), text) << code;
    QZ_ERROR_TABLE(ROW)
#undef ROW
    // A code beyond 16 bits is not read as the string id of its low word (40).
    ASSERT_EQ(qzDaGetErrorString(0x10028, buffer, 39), buffer);
    EXPECT_STREQ(buffer, "QZ Unknown Error: 0x10028");
}

TEST(Qzdaapi32Dll, MisusedHandlesAreRefusedWithTheirCodes)
{
    FakeRecord fake{};
    for (void* bad : BadHandles(fake)) {
        SubsystemHandle s = static_cast<SubsystemHandle>(bad);
        DeviceHandle d = static_cast<DeviceHandle>(bad);
        SimultaneousStartListHandle l = static_cast<SimultaneousStartListHandle>(bad);
        uint32_t word = 0;
        double real = 0;
        HBUF buffer = nullptr;
        EXPECT_EQ(qzDaReleaseDASS(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaConfig(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaStart(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaStop(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaAbort(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaReset(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaSetClockFrequency(s, 1000.0), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetClockFrequency(s, &real), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetRange(s, &real, &real), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetResolution(s, &word), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetSSCapsEx(s, CapMaxClockFrequency, &real), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaSetDataFlow(s, 802), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetQueueSize(s, 1103, &word), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaPutBuffer(s, buffer), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetBuffer(s, &buffer), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaFlushBuffers(s), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaSetWndHandle(s, nullptr, 0), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaPutSingleValue(s, 3, 0, 1.0), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetSingleValues(s, &word, 1.0), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaMeasureFrequency(s, nullptr, 0.0005), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaGetDASSInfo(s, nullptr), QZERR_INVALID_SUBSYSTEM_HANDLE);
        EXPECT_EQ(qzDaEnumSSCaps(s, CapKindGains, nullptr, 0), QZERR_INVALID_SUBSYSTEM_HANDLE);

        EXPECT_EQ(qzDaTerminate(d), QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(qzDaGetDASS(d, SubsystemTypeAD, 0, &s), QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(qzDaGetDevCaps(d, SubsystemTypeAll, &word), QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(qzDaEnumSubSystems(d, nullptr, 0), QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(qzDiagReadReg(d, 0, &word, 4), QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(qzDaGetHardwareInfo(d, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  QZERR_INVALID_DEVICE_HANDLE);
        char text[16];
        EXPECT_EQ(qzDaGetDeviceName(d, text, sizeof text), QZERR_INVALID_DEVICE_HANDLE);
        EXPECT_EQ(qzDaGetDriverVersion(d, text, sizeof text), QZERR_INVALID_DEVICE_HANDLE);

        const QZSTATUS badList = QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED;
        EXPECT_EQ(qzDaReleaseSSList(l), badList);
        EXPECT_EQ(qzDaPutDassToSSList(l, s), badList);
        EXPECT_EQ(qzDaSimultaneousPrestart(l), badList);
        EXPECT_EQ(qzDaSimultaneousStart(l), badList);
        EXPECT_EQ(qzDaEnumSSList(l, nullptr, 0), badList);

        // The not-supported family does not look at its arguments.
        EXPECT_EQ(qzDaBRConnectBurst(s, 1), QZERR_NOT_SUPPORTED);
        EXPECT_EQ(qzDaGetBRConnectTransferCount(s, nullptr), QZERR_NOT_SUPPORTED);
    }
    // The device-name buffer is checked before the handle; a size of 0 is refused.
    char text[4];
    EXPECT_EQ(qzDaGetDeviceName(nullptr, nullptr, 16), QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL);
    EXPECT_EQ(qzDaGetDeviceName(nullptr, text, 0), QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL);
}

TEST(Qzdaapi32Dll, SimultaneousStartListsThroughTheExports)
{
    SimultaneousStartListHandle list = nullptr;
    ASSERT_EQ(qzDaGetSSList(&list), QZERR_NO_ERROR);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(qzDaSimultaneousPrestart(list), QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(qzDaSimultaneousStart(list), QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST);
    EXPECT_EQ(qzDaEnumSSList(list, nullptr, 0), QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST);
    FakeRecord fake{};
    fake.self = &fake;
    EXPECT_EQ(qzDaPutDassToSSList(list, reinterpret_cast<SubsystemHandle>(&fake)), QZERR_INVALID_SUBSYSTEM_HANDLE);
    EXPECT_EQ(qzDaReleaseSSList(list), QZERR_NO_ERROR);
    EXPECT_EQ(qzDaReleaseSSList(list), QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED);
}

// Doubles go by value through the stdcall exports.
TEST(Qzdaapi32Dll, ConversionsThroughTheExports)
{
    double volts = 0;
    ASSERT_EQ(qzDaCodeToVolts(-10.0, 10.0, 1.0, 16, EncodingTwosComplement, 0x8000, &volts), QZERR_NO_ERROR);
    EXPECT_DOUBLE_EQ(volts, -10.0);
    ASSERT_EQ(qzDaCodeToVolts(-10.0, 10.0, 1.0, 16, EncodingTwosComplement, 0x7FFF, &volts), QZERR_NO_ERROR);
    EXPECT_NEAR(volts, 9.99969, 1e-5);
    ASSERT_EQ(qzDaCodeToVolts(-10.0, 10.0, 1.0, 16, EncodingStraightBinary, 32768, &volts), QZERR_NO_ERROR);
    EXPECT_DOUBLE_EQ(volts, 0.0);
    ASSERT_EQ(qzDaCodeToVolts(-10.0, 10.0, 2.0, 16, EncodingStraightBinary, 0, &volts), QZERR_NO_ERROR);
    EXPECT_DOUBLE_EQ(volts, -5.0);
    uint32_t code = 0;
    ASSERT_EQ(qzDaVoltsToCode(-10.0, 10.0, 1.0, 16, EncodingTwosComplement, -10.0, &code), QZERR_NO_ERROR);
    EXPECT_EQ(code & 0xFFFF, 0x8000u);
    ASSERT_EQ(qzDaVoltsToCode(-10.0, 10.0, 1.0, 32, EncodingStraightBinary, 1e30, &code), QZERR_NO_ERROR);
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_EQ(qzDaCodeToVolts(-10.0, 10.0, 1.0, 0, EncodingStraightBinary, 0, &volts), QZERR_INVALID_RESOLUTION);
    EXPECT_EQ(qzDaVoltsToCode(10.0, -10.0, 1.0, 16, EncodingStraightBinary, 0.0, &code), QZERR_INVALID_RANGE);
    EXPECT_EQ(qzDaVoltsToCode(-10.0, 10.0, 0.0, 16, EncodingStraightBinary, 0.0, &code), QZERR_INVALID_GAIN);
}

TEST(Qzdaapi32Dll, VersionTextAndBoardEnumeration)
{
    char version[64];
    ASSERT_EQ(qzDaGetVersion(version, sizeof version), QZERR_NO_ERROR);
    EXPECT_STREQ(version, "1.0.0.0");
    char small[4];
    ASSERT_EQ(qzDaGetVersion(small, sizeof small), QZERR_NO_ERROR);
    EXPECT_STREQ(small, "1.0");
    EXPECT_EQ(qzDaGetVersion(nullptr, 10), QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL);
    EXPECT_EQ(qzDaGetVersion(small, 0), QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL);

    int boards = 0;
    EXPECT_EQ(qzDaEnumBoards(nullptr, 0), QZERR_ENUM_PROC_CALLBACK_NULL);
    int notCode = 0;
    EXPECT_EQ(qzDaEnumBoards(reinterpret_cast<QzEnumBoardsProc>(&notCode), 0), QZERR_ENUM_PROC_CALLBACK_NULL);
    // 78 exactly when no board is registered (the simulated board's tests cover a present one).
    const QZSTATUS enumerated = qzDaEnumBoards(CountBoards, reinterpret_cast<intptr_t>(&boards));
    EXPECT_EQ(enumerated, boards == 0 ? QZERR_NO_QUENZOR_BOARDS_INSTALLED : QZERR_NO_ERROR);
    DeviceHandle device = nullptr;
    EXPECT_EQ(qzDaInitialize("QZ-Test", &device), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    EXPECT_EQ(qzDaInitialize(nullptr, &device), QZERR_DRIVER_CANNOT_BE_INITIALIZED);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(qzDaModifyQuenzorBoardName("a", nullptr), QZERR_NO_QUENZOR_BOARDS_INSTALLED);
}

// Threads use the public API at once: lists of both libraries made and released, buffers
// passed between lists, and misused handles, without interference.
TEST(Qzdaapi32Dll, PublicApiUnderConcurrentUse)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 400;
    std::atomic<int> failures{0};
    SimultaneousStartListHandle shared = nullptr;
    ASSERT_EQ(qzDaGetSSList(&shared), QZERR_NO_ERROR);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            FakeRecord fake{};
            fake.self = &fake;
            for (int i = 0; i < kRounds; ++i) {
                SimultaneousStartListHandle list = nullptr;
                if (qzDaGetSSList(&list) != QZERR_NO_ERROR)
                    ++failures;
                if (qzDaPutDassToSSList(list, reinterpret_cast<SubsystemHandle>(&fake)) !=
                    QZERR_INVALID_SUBSYSTEM_HANDLE)
                    ++failures;
                if (qzDaReleaseSSList(list) != QZERR_NO_ERROR)
                    ++failures;
                if (qzDaReleaseSSList(list) != QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED)
                    ++failures;
                if (qzDaEnumSSList(shared, nullptr, 0) != QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST)
                    ++failures;

                HBUF buffer = nullptr;
                HBUFLIST queue = nullptr;
                if (MemAllocBuffer(0, 0, 32 + t, 2, &buffer) != QZMEM_OK ||
                    MemCreateList(&queue, 0, 0, 0) != QZMEM_OK || MemAppendToList(queue, buffer) != QZMEM_OK)
                    ++failures;
                HBUF back = nullptr;
                if (MemTakeListHead(queue, &back) != QZMEM_OK || back != buffer)
                    ++failures;
                if (MemDestroyList(queue) != QZMEM_OK || MemFreeBuffer(buffer) != QZMEM_OK)
                    ++failures;

                if (qzDaReleaseDASS(reinterpret_cast<SubsystemHandle>(&fake)) != QZERR_INVALID_SUBSYSTEM_HANDLE ||
                    qzDaTerminate(reinterpret_cast<DeviceHandle>(&fake)) != QZERR_INVALID_DEVICE_HANDLE)
                    ++failures;
                char text[80];
                if (qzDaGetErrorString(static_cast<QZSTATUS>(i % 230), text, sizeof text) == nullptr)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(qzDaReleaseSSList(shared), QZERR_NO_ERROR);
}
