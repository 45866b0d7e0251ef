// The configuration record: its defaults byte by byte, its size, the fixed-point form and the
// nearest-value search.
#include "qzdaapi32/config_record.h"

#include "qzdaapi32/setget.h"
#include "tests/qzdaapi32/test_boards.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// The expected record, written byte by byte without the library's accessors.
struct Bytes {
    std::vector<uint8_t> b;
    explicit Bytes(size_t n) : b(n, 0) {}
    void Le(size_t offset, uint64_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            b[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    void U16(size_t offset, uint16_t value) { Le(offset, value, 2); }
    void U32(size_t offset, uint32_t value) { Le(offset, value, 4); }
    void F32(size_t offset, float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        U32(offset, bits);
    }
};

void ExpectSameBytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "byte " << i;
}

SubsystemCore Allocated(const TestBoard& board)
{
    SubsystemCore ss;
    ss.caps = board.Caps();
    EXPECT_EQ(AllocateConfiguration(ss), QZERR_NO_ERROR);
    return ss;
}

}  // namespace

TEST(ConfigRecord, AnalogInputDefaultsByteByByte)
{
    TestBoard board = AnalogInputBoard();
    SubsystemCore ss = Allocated(board);
    EXPECT_EQ(SubsystemStateOf(ss), SubsystemStateAllocated);
    ApplyDefaultConfiguration(ss);

    Bytes e(320 + 24 * 16);
    e.U32(8, 1001);
    e.b[16] = 1;  // one DMA channel on the board
    e.U16(20, 1);
    e.U16(22, 3);
    e.U16(24, 100);
    e.U16(26, 200);
    e.U16(28, 12);
    e.U16(30, 1000);
    e.U16(32, 800);
    e.U16(34, 400);
    e.U32(40, 7);  // clock parameter 7.9 truncated
    e.U32(44, 2);  // smallest divider
    e.F32(48, 1000.0f);
    e.U32(60, 1000);
    e.U16(64, 300);
    e.U16(66, 1301);
    e.U16(70, 300);
    e.U16(72, 1);
    e.U16(74, 300);
    e.F32(76, 1.0f);
    e.U32(84, 1);
    e.U32(92, static_cast<uint32_t>(-10));
    e.U32(108, 10);
    e.U16(242, 1);
    e.U16(246, 1400);
    e.U16(248, 500);
    e.U16(250, 600);
    e.U16(252, 50);
    e.U16(254, 700);
    e.U16(258, 901);
    e.U16(284, 750);
    e.U16(286, 751);
    for (int i = 0; i < 16; ++i)
        e.U32(296 + 24 * i + 12, 1);  // gain 1.0
    ExpectSameBytes(ss.configuration, e.b);
}

TEST(ConfigRecord, CounterDefaultsByteByByte)
{
    TestBoard board = CounterBoard();
    board.slots[SlotResolutionCount] = 0;
    SubsystemCore ss = Allocated(board);
    ApplyDefaultConfiguration(ss);

    Bytes e(320);
    e.U32(8, 1001);
    e.U16(22, 1);
    e.U16(24, 100);
    e.U16(26, 200);
    e.U16(30, 1000);
    e.U16(32, 800);
    e.U16(34, 400);
    e.F32(48, 1000.0f);
    e.U32(60, 1000);
    e.U16(64, 300);
    e.U16(66, 1301);
    e.U16(70, 300);
    e.U16(74, 300);
    e.U16(242, 1);
    e.U16(246, 1400);
    e.U16(248, 500);
    e.U16(250, 601);  // pulse type 601 offered
    e.U16(252, 50);
    e.U16(254, 700);
    e.U16(258, 901);
    e.U16(284, 750);
    e.U16(286, 751);
    ExpectSameBytes(ss.configuration, e.b);
}

TEST(ConfigRecord, DefaultsLeaveTypeElementAndReservedBytes)
{
    TestBoard board = AnalogInputBoard();
    SubsystemCore ss = Allocated(board);
    std::fill(ss.configuration.begin(), ss.configuration.end(), 0xEE);
    ApplyDefaultConfiguration(ss);
    for (size_t reserved : {0u, 4u, 38u, 52u, 120u, 200u, 241u, 244u, 256u, 280u, 290u, 298u})
        EXPECT_EQ(ss.configuration[reserved], 0xEE) << reserved;
}

TEST(ConfigRecord, RecordSizeFollowsListCapacityOrFilterRows)
{
    TestBoard board = AnalogInputBoard();
    EXPECT_EQ(ConfigurationRecordSize(board.Caps()), 320u + 24 * 16);
    EXPECT_EQ(ConfigureRequestSize(board.Caps()), 320u + 24 * 16);
    board.slots[SlotChannelListCapacity] = 8;
    board.slots[SlotFilterCount] = 4;
    EXPECT_EQ(ConfigurationRecordSize(board.Caps()), 320u + 24 * 8);
    board.slots[SlotFiltersPerChannel] = 1;
    board.slots[SlotChannelCount] = 20;
    EXPECT_EQ(ConfigurationRecordSize(board.Caps()), 320u + 24 * 20);
    EXPECT_EQ(ConfigureRequestSize(board.Caps()), 320u + 24 * 8);
    EXPECT_EQ(ConfigurationRecordSize(CounterBoard().Caps()), 320u);
    SubsystemCapabilities none{};
    EXPECT_EQ(ConfigurationRecordSize(none), 320u);

    board.slots[SlotChannelListCapacity] = 1000000;
    EXPECT_EQ(ConfigurationRecordSize(board.Caps()), 0u);
    SubsystemCore ss;
    ss.caps = board.Caps();
    EXPECT_EQ(AllocateConfiguration(ss), QZERR_CANNOT_ALLOCATE_CHANNEL_LIST);
}

// Pins the mended fault: fractions of one half or more used to overflow the signed word.
TEST(FixedPoint, FractionsOfOneHalfOrMoreKeepTheirPattern)
{
    struct Case {
        double value;
        int32_t integer;
        uint32_t fraction;
    };
    const Case cases[] = {
        {0.0, 0, 0},
        {1000.0, 1000, 0},
        {0.6, 0, 2576980377u},
        {237.5, 237, 2147483647u},
        {0.75, 0, 3221225471u},
        {0.999999, 0, 4294963000u},
        {-10.0, -10, 0},
        {-1.5, -1, 0x80000001u},
        {-10.3, -10, 0xB3333334u},
        {1e12, INT32_MAX, 0},
        {-1e12, INT32_MIN, 0},
    };
    for (const Case& c : cases) {
        FixedPoint f = EncodeFixedPoint(c.value);
        EXPECT_EQ(f.integer, c.integer) << c.value;
        if (c.value != 0.999999)
            EXPECT_EQ(f.fraction, c.fraction) << c.value;
        else
            EXPECT_NEAR(static_cast<double>(f.fraction), c.fraction, 1000.0);
    }
    FixedPoint nan = EncodeFixedPoint(std::nan(""));
    EXPECT_EQ(nan, (FixedPoint{0, 0}));
}

TEST(FixedPoint, RoundTripsWithinOneStep)
{
    const double step = 1.0 / kFixedPointScale;
    for (double value : {0.25, 0.3, 0.5, 0.6, 0.75, 0.9999, 1.0, 2.5, 28.5, 237.5, 285.0, 480000.0, 1000000.0, 1.25,
                         -1.25, -5.0, -10.3, -1234.567, 2147483000.75}) {
        double back = DecodeFixedPoint(EncodeFixedPoint(value));
        EXPECT_NEAR(back, value, 2 * step * std::fmax(1.0, std::fabs(value) / 1e6)) << value;
        EXPECT_EQ(static_cast<float>(back), static_cast<float>(value)) << value;
    }
    // Fifths are whole numbers of steps: exact.
    for (double fifths : {0.2, 0.4, 0.6, 0.8})
        EXPECT_EQ(DecodeFixedPoint(EncodeFixedPoint(fifths)), fifths) << fifths;
}

TEST(FixedPoint, RecordHoldsFractionThenInteger)
{
    ConfigRecord record(16, 0);
    PutFixed(record, 4, EncodeFixedPoint(-2.5));
    EXPECT_EQ(Get32(record, 4), 0x80000001u);
    EXPECT_EQ(Get32(record, 8), static_cast<uint32_t>(-2));
    EXPECT_EQ(GetFixed(record, 4), EncodeFixedPoint(-2.5));
    // Accesses beyond the record read 0 and write nothing.
    Put32(record, 14, 0xFFFFFFFF);
    EXPECT_EQ(Get32(record, 14), 0u);
    EXPECT_EQ(record[14], 0);
}

TEST(FindNearestValue, SmallestDifferenceAndFirstOfEqualOnes)
{
    const double gains[] = {1.0, 2.0, 4.0, 8.0};
    EXPECT_EQ(FindNearestValue(gains, 4, 3.0), 1u);  // 2 and 4 equally near: the first
    EXPECT_EQ(FindNearestValue(gains, 4, 3.1), 2u);
    EXPECT_EQ(FindNearestValue(gains, 4, 100.0), 3u);
    EXPECT_EQ(FindNearestValue(gains, 4, -1.0), 0u);
    EXPECT_EQ(FindNearestValue(gains, 4, std::nan("")), 0u);
    EXPECT_EQ(FindNearestValue(gains, 1, 8.0), 0u);
    EXPECT_EQ(FindNearestValue(gains, 0, 8.0), 0u);
    EXPECT_EQ(FindNearestValue(nullptr, 4, 8.0), 0u);
}

TEST(Truncation, SaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(TruncateToInt32(7.9), 7);
    EXPECT_EQ(TruncateToInt32(-7.9), -7);
    EXPECT_EQ(TruncateToInt32(1e300), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-1e300), INT32_MIN);
    EXPECT_EQ(TruncateToInt32(std::nan("")), 0);
    EXPECT_EQ(ToFloat(1e300), FLT_MAX);
    EXPECT_EQ(ToFloat(-1e300), -FLT_MAX);
}
