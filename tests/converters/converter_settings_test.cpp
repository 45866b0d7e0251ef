#include "converters/converter_settings.h"

#include <gtest/gtest.h>

using namespace converters;

namespace {

// An XYZ file of the given lines (the folder first), each ended by CR LF.
std::string FileOf(std::initializer_list<const char*> lines)
{
    std::string bytes;
    for (const char* line : lines)
        bytes += std::string(line) + "\r\n";
    return bytes;
}

void ExpectXyzDefaults(const ConverterSettings& s)
{
    EXPECT_EQ(s.DataFolder, "C:\\");
    EXPECT_EQ(s.OutputUnits, 0);
    EXPECT_EQ(s.XyzPositioning, 0);
    EXPECT_EQ(s.XyzFileFormat, 3);
    EXPECT_EQ(s.ColumnDelimiter, 0);
    EXPECT_EQ(s.GateSelection, 0);
    EXPECT_EQ(s.IncludeHeader, 1);
    EXPECT_EQ(s.IncludeTimeStamp, 1);
    EXPECT_EQ(s.IncludeDate, 0);
    EXPECT_EQ(s.CoordinateType, 0);
    EXPECT_EQ(s.MinGpsQuality, 0);
    EXPECT_EQ(s.HdopMask, 4);
}

TEST(ConverterSettingsFile, MissingEmptyOrCutFilesGiveTheDefaults)
{
    ConverterSettings s;
    s.XyzFileFormat = 1;
    LoadConverterSettings(false, "", ModeXyz, s);
    ExpectXyzDefaults(s);

    s.XyzFileFormat = 1;
    LoadConverterSettings(true, "", ModeXyz, s);
    ExpectXyzDefaults(s);

    // Only the folder line: the load fails at line 2.
    s = ConverterSettings();
    s.XyzFileFormat = 0;
    LoadConverterSettings(true, FileOf({"D:\\Survey\\"}), ModeXyz, s);
    ExpectXyzDefaults(s);

    // Cut after line 12: the defaults do not touch HDOP and satellites, which keep what was read.
    s = ConverterSettings();
    LoadConverterSettings(true, FileOf({"D:\\S\\", "2", "1", "0", "1", "9", "2", "0", "1", "1", "1", "1"}),
                          ModeXyz, s);
    ExpectXyzDefaults(s);
    EXPECT_EQ(s.IncludeHdop, 1);
    EXPECT_EQ(s.IncludeSatellites, 1);
}

TEST(ConverterSettingsFile, RoundTripOfBothLayouts)
{
    ConverterSettings s;
    s.DataFolder = "E:\\Data, 2024\\Line 5\\";
    s.OutputUnits = 5;
    s.XyzPositioning = 2;
    s.XyzFileFormat = 1;
    s.ColumnDelimiter = 3;
    s.DataType = 11;
    s.GateSelection = 2;
    s.IncludeHeader = 0;
    s.IncludeElevation = 1;
    s.IncludeGpsQuality = 1;
    s.IncludeHdop = 1;
    s.IncludeSatellites = 1;
    s.IncludeTimeStamp = 0;
    s.IncludeDate = 1;
    s.CoordinateType = 3;
    s.MinGpsQuality = 8;
    s.HdopMask = 12;
    const std::string bytes = ComposeConverterSettings(s, ModeXyz);
    EXPECT_EQ(bytes, "E:\\Data, 2024\\Line 5\\\r\n5\r\n2\r\n1\r\n3\r\n11\r\n2\r\n0\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n3\r\n8\r\n12\r\n");
    ConverterSettings back;
    EXPECT_EQ(ReadConverterSettings(bytes, ModeXyz, back), 1);
    EXPECT_EQ(ComposeConverterSettings(back, ModeXyz), bytes);

    ConverterSettings small;
    small.DataFolder = "C:\\";
    small.OutputUnits = 4;
    small.UsfVoltageUnits = 3;
    EXPECT_EQ(ComposeConverterSettings(small, ModeUsf), "C:\\\r\n4\r\n3\r\n");
    // "\Convert.ini" written by the LZ5 build and read by the TXT build keeps the index.
    ConverterSettings txt;
    EXPECT_EQ(ReadConverterSettings(ComposeConverterSettings(small, ModeLz5), ModeTxt, txt), 1);
    EXPECT_EQ(txt.OutputUnits, 4);
    EXPECT_EQ(txt.UsfVoltageUnits, 3);
    EXPECT_STREQ(SettingsFileName(ModeXyz), "\\Convertxyz.ini");
    EXPECT_STREQ(SettingsFileName(ModeLz5), "\\Convert.ini");
}

TEST(ConverterSettingsFile, NumbersRoundHalfToEvenAndIndexesAreRangeChecked)
{
    const struct {
        const char* Line2;
        const char* Line3;
        int32_t OutputUnits;
        int32_t UsfVoltageUnits;
    } cases[] = {
        {"2.5", "1", 2, 1},   {"3.5", "2.5", 4, 2}, {"4x", " 3 ", 4, 3}, {"abc", "", 0, 0},
        {"1e999", "nan", 0, 0}, {"-1", "4", 0, 0}, {"6", "-0.4", 0, 0}, {"5", "1,2", 5, 1},
    };
    for (const auto& c : cases) {
        ConverterSettings s;
        s.OutputUnits = 9;
        s.UsfVoltageUnits = 9;
        EXPECT_EQ(ReadConverterSettings(FileOf({"C:\\", c.Line2, c.Line3}), ModeUsf, s), 1) << c.Line2;
        EXPECT_EQ(s.OutputUnits, c.OutputUnits) << c.Line2;
        EXPECT_EQ(s.UsfVoltageUnits, c.UsfVoltageUnits) << c.Line3;
    }

    // Every XYZ index out of its range takes its default; LF line ends read alike.
    ConverterSettings s;
    EXPECT_EQ(ReadConverterSettings("X:\\\n6\n3\n4\n4\n12\n4\n2\n2\n2\n2\n2\n2\n2\n4\n9\n-2\n", ModeXyz, s), 1);
    EXPECT_EQ(s.DataFolder, "X:\\");
    ConverterSettings withDefaultFolder = s;
    withDefaultFolder.DataFolder = "C:\\";
    ExpectXyzDefaults(withDefaultFolder);
    EXPECT_EQ(s.DataType, 0);
    EXPECT_EQ(s.IncludeHdop, 0);
    EXPECT_EQ(s.IncludeSatellites, 0);
}

TEST(FilePaths, SplitAndProposedOutputNames)
{
    EXPECT_EQ(SplitFilePath("C:\\Vlox_Data\\20240315_001.VLX"), "C:\\Vlox_Data\\");
    EXPECT_EQ(SplitFilePath("C:\\"), "C:\\");
    EXPECT_EQ(SplitFilePath("C:name.vlx"), "C:");
    EXPECT_EQ(SplitFilePath("/home/x/a.vlx"), "/home/x/");
    EXPECT_EQ(SplitFilePath("a.vlx"), "a.vlx");
    EXPECT_EQ(FileNamePart("C:\\Vlox_Data\\20240315_001.VLX"), "20240315_001.VLX");
    EXPECT_EQ(FileNamePart("a.vlx"), "a.vlx");

    EXPECT_EQ(ProposedOutputName("C:\\Vlox_Data\\20240315_001.VLX", ModeXyz), "C:\\Vlox_Data\\20240315_001.xyz");
    EXPECT_EQ(ProposedOutputName("survey.vlx2", ModeXyz), "survey.vxyz");
    EXPECT_EQ(ProposedOutputName("a.VLX", ModeLz5), "a.LZ5");
    EXPECT_EQ(ProposedOutputName("a.VLX", ModeUsf), "a.USF");
    EXPECT_EQ(ProposedOutputName("a.VLX", ModeTxt), "a.txt");
    EXPECT_EQ(ProposedOutputName("ab", ModeTxt), "txt");
    // Characters, not bytes: "é" is two bytes in UTF-8.
    EXPECT_EQ(ProposedOutputName("Mess\xC3\xA9.v\xC3\xA9", ModeXyz), "Mess\xC3\xA9xyz");
}

} // namespace
