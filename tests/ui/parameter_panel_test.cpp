// The rows of the parameter summary panel, live and for a reviewed reading.
#include "vlox/display/parameter_panel.h"
#include "vlox/ui/main_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

WideString W(const char* text)
{
    return NarrowToWide(std::string(text));
}

StatusPanelLayout Panel()
{
    return ComputeStatusPanelLayout(20, 164, 9, 16, TextExtent{60, 14});
}

std::vector<ParameterPanelRow> LiveRows(const SettingsValues& s, int32_t gainCode = 5, int32_t gateCount = 30)
{
    ParameterPanelInput in;
    in.Live = &s;
    in.GainCodeSent = gainCode;
    in.GateCount = gateCount;
    return ParameterPanelRows(in, Panel());
}

}  // namespace

TEST(ParameterPanel, LiveRowsFromTheDefaults)
{
    const SettingsValues s;
    const std::vector<ParameterPanelRow> rows = LiveRows(s);
    ASSERT_EQ(rows.size(), 9u);
    const char* labels[] = {"Repetition:   ", "Records: ", "Average: ",   "Compon.: ", "Gain:",
                            "Gates:",         "Units: ",   "Tx Current:", "Turn Off:"};
    const char* values[] = {"30", "1", "15 s", "Z", "6 ", "30", "nV/m2", "3.00 A", "0.00 us"};
    const StatusPanelLayout p = Panel();
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].Label, labels[i]);
        EXPECT_EQ(rows[i].Value, W(values[i]));
        EXPECT_EQ(rows[i].LabelY, p.SystemRowY[i + 2]);
        EXPECT_EQ(rows[i].ValueRect.top, p.PanelItemRectsLive[i].top);
        EXPECT_EQ(rows[i].ValueRect.left, p.ValueX);
        EXPECT_EQ(rows[i].Clipped, i >= 7);
    }
}

// Pins the mend: in review the panel wrote the live map size where the field wrote the review
// map's, so the size under the map flipped with the painter that ran last. Both write this.
TEST(ParameterPanel, MapSizeUnderTheMapIsThatOfTheMapShown)
{
    for (const bool reviewing : {false, true})
        EXPECT_EQ(MapSizeField(reviewing, 137.5, 125.0), reviewing ? "  125.00 m" : "  137.50 m");
}

TEST(ParameterPanel, TwoFrequenciesShowBothRatesGainsAndGateSets)
{
    SettingsValues s;
    s.PowerLineFrequency = 1;
    s.TwoFrequencyMode = 1;
    s.FirstRepetitionChoice = 3;
    s.SecondRepetitionChoice = 8;
    s.FirstRepetitionGain = 3;
    s.SecondRepetitionGain = 5;
    const std::vector<ParameterPanelRow> rows = LiveRows(s);
    EXPECT_EQ(rows[0].Value, W("7.5 & 7.5"));
    EXPECT_EQ(rows[4].Value, W("4  & 6 "));
    EXPECT_EQ(rows[5].Value, W("20 & 30"));
    s.PowerLineFrequency = 0;
    EXPECT_EQ(LiveRows(s)[0].Value, W("6.25 & 6.25"));
}

TEST(ParameterPanel, UserGatesShowCountAndTruncatedFirstGate)
{
    SettingsValues s;
    s.GateSet = 2;
    s.FirstGateTimeUs = 12.7;
    EXPECT_EQ(LiveRows(s, 0, 25)[5].Value, W("25 (12 us)"));
    EXPECT_EQ(LiveRows(s, 0, 25)[4].Value, W("1 "));
    EXPECT_EQ(GatesText(0, 20, 0.0), "20");
    EXPECT_EQ(GatesText(3, 20, 0.0), "");
    EXPECT_EQ(GatesText(2, 25, std::nan("")), "25 (0 us)");
}

TEST(ParameterPanel, NamesOutsideTheirListsAreEmpty)
{
    EXPECT_EQ(RecordsText(1), "1");
    EXPECT_EQ(RecordsText(123), "123");
    EXPECT_EQ(AveragingTimeName(8), "120 s");
    EXPECT_EQ(AveragingTimeName(9), "");
    EXPECT_EQ(ComponentName(3), "");
    EXPECT_EQ(ProcessingName(1), "Pruning");
    EXPECT_EQ(DisplayUnitName(5), "Ohm-m");
    EXPECT_EQ(DisplayUnitName(-1), "");
    EXPECT_EQ(RepetitionLabel(1, 7), W(""));
    EXPECT_EQ(RateIndexOfChoice(11), 6);
    EXPECT_EQ(GateCountOfChoice(6), 20);
}

TEST(ParameterPanel, ReviewRowsShowTheStoredReading)
{
    SettingsValues s;
    s.DisplayUnit = 2;
    ParameterPanelInput in;
    in.Reviewing = true;
    in.Live = &s;
    in.Reviewed.RepRateIndex = 4;
    in.Reviewed.CoilType = 5;
    in.Reviewed.RecordCount = 3;
    in.Reviewed.ProcessingMethod = 1;
    in.Reviewed.AveragingTimeIndex = 0;
    in.Reviewed.Component = 1;
    in.Reviewed.Gain = 2;
    in.Reviewed.GateSet = 0;
    in.Reviewed.OnTimeMeasurement = 1;
    in.Reviewed.ReceiverDelayUs = 2.5;
    in.Reviewed.TxCurrent = 10.126;
    in.Reviewed.TurnOffTimeUs = 95.0;
    const std::vector<ParameterPanelRow> rows = ParameterPanelRows(in, Panel());
    ASSERT_EQ(rows.size(), 12u);
    const char* values[] = {"3",  "1000m2 (rigid)", "3",    "Pruning", "0.5 s",   "X", "3 ",
                            "20", "2.50 us",        "nT/s", "10.13 A", "95.00 us"};
    const StatusPanelLayout p = Panel();
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].Value, W(values[i]));
        EXPECT_EQ(rows[i].LabelY, p.ReviewRowY[i + 2]);
        EXPECT_EQ(rows[i].ValueRect.top, p.PanelItemRectsReview[i].top);
    }
    EXPECT_EQ(rows[1].Label, "Coil Type: ");
    EXPECT_EQ(rows[8].Label, "On Time:");
    EXPECT_TRUE(rows[8].Clipped);
    in.Reviewed.OnTimeMeasurement = 0;
    EXPECT_EQ(ParameterPanelRows(in, Panel())[8].Value, W("No"));
}
