#include "config_test_util.h"

#include "vlox/settings/null_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

std::unique_ptr<NullTableValues> Empty()
{
    return std::make_unique<NullTableValues>();
}

// The records of a block written without a flag line (NLG form), each checked for its
// 60 bytes and CR LF.
std::vector<std::string> Records(const std::string& block)
{
    std::vector<std::string> out;
    EXPECT_EQ(block.size() % NullRecordLength, 0u);
    for (size_t pos = 0; pos + NullRecordLength <= block.size(); pos += NullRecordLength) {
        EXPECT_EQ(block.substr(pos + 58, 2), "\r\n") << "record at " << pos;
        out.push_back(block.substr(pos, 58));
    }
    return out;
}

}  // namespace

TEST(NullTables, StandardBlockLayout)
{
    auto t = Empty();
    t->NullingTables[0][0][0][0] = -0.000123;
    t->NullingTables[0][0][0][3] = 0.5;
    t->NullingTables[0][7][6][29] = 1e-9;
    std::string block;
    AppendNullingTable(block, NullTableToLogAll, 0, *t, NoRatesNulled(), FixedTime());
    auto recs = Records(block);
    // 7 slots of 20 gates (1 + 5 records per gain code), 5 of 30 (1 + 8).
    ASSERT_EQ(recs.size(), 609u);
    EXPECT_EQ(recs[0], "N0 050   0  237.500   0  20   0   1 S    01022003 04:05:06");
    // A null value of -0.000123 V is "    -123000.00".
    EXPECT_EQ(recs[1].substr(0, 2), "N1");
    EXPECT_EQ(recs[1].substr(2, 14), "    -123000.00");
    EXPECT_EQ(recs[1].substr(44, 14), "  500000000.00");
    EXPECT_EQ(recs[5].substr(0, 2), "N5");
    EXPECT_EQ(recs[6].substr(0, 2), "N0");
    EXPECT_EQ(recs[6].substr(28, 8), "  1   2 ");
    // Slot 7: rate index 2 with 30 gates.
    const size_t slot7 = 7 * 7 * 6;
    EXPECT_EQ(recs[slot7], "N0 050   2   25.000   1  30   0   1 S    01022003 04:05:06");
    EXPECT_EQ(recs[slot7 + 8].substr(0, 2), "N8");
    EXPECT_EQ(recs[slot7 + 8].substr(30), std::string(28, ' '));  // columns 31-58 blank
    // The last record: slot 11, gain 6, row 8, gates 29 and 30.
    EXPECT_EQ(recs.back().substr(0, 2), "N8");
    EXPECT_EQ(recs[slot7 + 6 * 9].substr(0, 37), "N0 050   2   25.000   1  30   6   7 S");
    EXPECT_EQ(recs[slot7 + 6 * 9 + 8].substr(16, 14), "          1.00");
    EXPECT_EQ(recs[7 * 7 * 6 + 5 * 7 * 9 - 9].substr(0, 11), "N0 050   6 ");

    // 60 Hz mains in the header.
    block.clear();
    AppendNullingTable(block, NullTableToLogAll, 1, *t, NoRatesNulled(), FixedTime());
    EXPECT_EQ(block.substr(0, 19), "N0 160   0  285.000");
}

TEST(NullTables, ConfigurationFormHasTheFlagLineAndMarksNulledRates)
{
    auto t = Empty();
    const int32_t selected[RepRateCount] = {0, 0, 1, 0, 0, 0, 1};
    MarkNulledRates(*t, 1, selected);
    std::string block;
    AppendNullingTable(block, NullTableToConfig, 1, *t, selected, FixedTime());
    EXPECT_EQ(block.substr(0, 16), " 0 0 1 0 0 0 1\r\n");
    EXPECT_EQ(block.size(), 16u + 609u * 60u);
    EXPECT_EQ(t->NullingValid[0][2], 0);  // only the mains marked

    // A save marks both mains settings.
    auto nulls = Empty();
    std::string file = ComposeConfigurationFile(SettingsValues{}, *nulls, selected, FixedTime());
    EXPECT_EQ(nulls->NullingValid[0][6], 1);
    EXPECT_EQ(nulls->NullingValid[1][2], 1);
    LoadOutcome o = LoadBytes(file);
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.Nulls->NullingValid[0][2], 1);
    EXPECT_EQ(o.Nulls->NullingValid[1][6], 1);
    EXPECT_EQ(o.Nulls->NullingValid[1][0], 0);
}

TEST(NullTables, LogFormWritesTheSelectedRatesOnly)
{
    auto t = Empty();
    const int32_t selected[RepRateCount] = {1, 0, 0, 1, 0, 0, 0};
    std::string block;
    AppendNullingTable(block, NullTableToLogSelected, 1, *t, selected, FixedTime());
    auto recs = Records(block);
    // Slot 0, slot 3 (20 gates) and slot 8 (index 3 with 30 gates), ascending.
    ASSERT_EQ(recs.size(), 42u + 42u + 63u);
    EXPECT_EQ(recs[0].substr(0, 11), "N0 160   0 ");
    EXPECT_EQ(recs[42].substr(0, 11), "N0 160   3 ");
    EXPECT_EQ(recs[42].substr(22, 5), "0  20");
    EXPECT_EQ(recs[84].substr(0, 11), "N0 160   3 ");
    EXPECT_EQ(recs[84].substr(22, 5), "1  30");
}

TEST(NullTables, UserGatesBlockLayout)
{
    auto t = Empty();
    t->UserGatesNullingHeader = {1, 2, 41, 10.0};
    t->NullProcessingCodes[2] = 'P';
    t->UserGatesNullTable[0][40] = -2e-6;
    std::string block;
    AppendUserGatesNullingTable(block, *t, FixedTime());
    auto recs = Records(block);
    // 41 gates: ten full records (rows 1-9 and A) and one (B) with a single value.
    ASSERT_EQ(recs.size(), 7u * 12u);
    EXPECT_EQ(recs[0], "U0 160  2   30.000  41  1P        10.000 01022003 04:05:06");
    EXPECT_EQ(recs[1].substr(0, 2), "U1");
    EXPECT_EQ(recs[9].substr(0, 2), "U9");
    EXPECT_EQ(recs[10].substr(0, 2), "UA");
    EXPECT_EQ(recs[11].substr(0, 2), "UB");
    EXPECT_EQ(recs[11].substr(2, 14), "      -2000.00");
    EXPECT_EQ(recs[11].substr(16), std::string(42, ' '));
    EXPECT_EQ(recs[12].substr(0, 26), "U0 160  2   30.000  41  2P");

    auto back = Empty();
    ByteReader in = MakeByteReader(block);
    ASSERT_TRUE(ReadUserGatesNullingTable(in, *back));
    EXPECT_EQ(back->UserGatesNullingHeader, t->UserGatesNullingHeader);
    EXPECT_DOUBLE_EQ(back->UserGatesNullTable[0][40], -2e-6);
    EXPECT_EQ(back->UserGatesNullingPresent, 1);
    EXPECT_EQ(in.Pos, block.size());
}

TEST(NullTables, DefaultTablesReadBackWithoutMarkingTheFile)
{
    auto t = Empty();
    std::string block;
    for (int m = 0; m < 2; ++m)
        AppendNullingTable(block, NullTableToConfig, m, *t, NoRatesNulled(), FixedTime());
    AppendUserGatesNullingTable(block, *t, FixedTime());
    // The user block of the defaults: 60 Hz, rate index 2, 40 gates, 10 us.
    EXPECT_EQ(block.substr(2 * (16 + 609 * 60), 41), "U0 160  2   30.000  40  1S        10.000 ");
    auto back = Empty();
    back->UserGatesNullingPresent = 1;
    ByteReader in = MakeByteReader(block);
    EXPECT_TRUE(ReadNullingTable(in, 0, *back));
    EXPECT_TRUE(ReadNullingTable(in, 1, *back));
    EXPECT_TRUE(ReadUserGatesNullingTable(in, *back));
    EXPECT_EQ(back->UserGatesNullingPresent, 0);
    EXPECT_EQ(in.Pos, block.size());
}

struct Damage {
    const char* what;
    size_t offset;  // from the start of the block
    const char* bytes;
};

// Every mismatch of the configuration-file form stops the reading and marks the file.
TEST(NullTables, MismatchesMarkTheConfigurationCorrupt)
{
    auto t = Empty();
    std::string block;
    AppendNullingTable(block, NullTableToConfig, 0, *t, NoRatesNulled(), FixedTime());
    const size_t user = block.size();
    AppendUserGatesNullingTable(block, *t, FixedTime());
    const Damage cases[] = {
        {"flag of 2", 1, "2"},
        {"flag of -1", 0, "-1"},
        {"header tag", 16, "X"},
        {"header tag digit", 17, "1"},
        {"row number", 16 + 60 + 1, "2"},
        {"row 8 of a 30-gate slot", 16 + 7 * 7 * 6 * 60 + 8 * 60 + 1, "9"},
        {"value not a number", 16 + 60 + 2, "          nan"},
        {"user header tag", user, "V"},
        {"user mains", user + 3, "2"},
        {"user rate index", user + 7, " 7"},
        {"user gate count", user + 19, "101"},
        {"user first gate time", user + 26, "         0.000"},
        {"user gain number", user + 24, "2"},
        {"user processing code", user + 25, "X"},
        {"user row character", user + 60 + 60 + 1, "3"},
        {"user record tag", user + 60 + 60, "N"},
        {"second header differs", user + 11 * 60 + 19, " 39"},
    };
    for (const Damage& d : cases) {
        std::string bad = block;
        bad.replace(d.offset, std::strlen(d.bytes), d.bytes);
        auto back = Empty();
        ByteReader in = MakeByteReader(bad);
        bool ok = ReadNullingTable(in, 0, *back) && ReadUserGatesNullingTable(in, *back);
        EXPECT_FALSE(ok) << d.what;
    }
    // A block cut short, at a record boundary or inside one (a last record that lacks only its
    // line end is whole).
    for (size_t cut : {size_t{10}, size_t{16 + 60}, size_t{16 + 90}, user + 30, user + 100, block.size() - 61}) {
        auto back = Empty();
        ByteReader in = MakeByteReader(std::string_view(block).substr(0, cut));
        bool ok = ReadNullingTable(in, 0, *back) && ReadUserGatesNullingTable(in, *back);
        EXPECT_FALSE(ok) << "cut at " << cut;
    }
    // In a configuration file the mismatch marks it corrupt.
    std::string file = DefaultFile();
    size_t settingsEnd = 0;
    FirstLines(file, 499, &settingsEnd);
    file[settingsEnd + 1] = '2';
    EXPECT_EQ(LoadBytes(file).D.ConfigInvalid, 1);
}

// Mended: a null value too wide for its 14 characters made a longer record, shifting every
// record after it, so the next start found the configuration corrupt. Values are held to
// what the field holds, and a value that is not a number is written as 0.
TEST(NullTablesFault, RecordsKeepTheirLengthWhateverTheValue)
{
    auto t = Empty();
    t->NullingTables[1][0][0][0] = 1e6;
    t->NullingTables[1][0][0][1] = -1e6;
    t->NullingTables[1][0][0][2] = std::nan("");
    std::string block;
    AppendNullingTable(block, NullTableToLogAll, 1, *t, NoRatesNulled(), FixedTime());
    auto recs = Records(block);
    ASSERT_EQ(recs.size(), 609u);
    EXPECT_EQ(recs[1].substr(2, 14), "99999999999.99");
    EXPECT_EQ(recs[1].substr(16, 14), "-9999999999.99");
    EXPECT_EQ(recs[1].substr(30, 14), "          0.00");
}
