// The GPS link's logic over plain data: field roles, angles, the GGA handler's texts and fix,
// the survey origin and the jump rule, the GSA text, and what the reader does with each line.
#include "vlox/instruments/gps.h"
#include "vlox/instruments/nmea.h"
#include "vlox/instruments/utm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

const std::string ExampleGga = "$GPGGA,101500,4530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,*7B";

// A sentence from its body (between '$' and '*') with its checksum.
std::string Sentence(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

std::string Narrow(const WideString& w)
{
    std::string s;
    for (WideChar c : w)
        s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

GgaOutcome Handle(const std::string& line, GpsFixValues& fix, GgaContext c = {}, bool good = true)
{
    return HandleGgaLine(line, good, MakeNmeaFieldRoles(c.GpsNmeaData), c, fix);
}

TEST(GpsRoles, TableOrderAndTheDilutionRoleOfGgaOnly)
{
    const NmeaFieldRoleTable both = MakeNmeaFieldRoles(0);
    ASSERT_EQ(both.Count, 6);
    const int32_t roles[6] = {0, 1, 2, 3, 4, 5};
    const int32_t fields[6] = {8, 7, 4, 3, 6, 5};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(both.Role[i], roles[i]);
        EXPECT_EQ(both.Field[i], fields[i]);
    }
    const NmeaFieldRoleTable ggaOnly = MakeNmeaFieldRoles(1);
    ASSERT_EQ(ggaOnly.Count, 7);
    EXPECT_EQ(ggaOnly.Role[6], 7);
    EXPECT_EQ(ggaOnly.Field[6], 9);
}

TEST(GpsAngles, DegreesAndMinutesOfTheWorkedExample)
{
    double v = 0.0;
    ASSERT_TRUE(ParseNmeaAngle("4530.000", 1, v));
    EXPECT_DOUBLE_EQ(v, 45.5);
    ASSERT_TRUE(ParseNmeaAngle("07530.000", -1, v));
    EXPECT_DOUBLE_EQ(v, -75.5);
    ASSERT_TRUE(ParseNmeaAngle("30.0", 1, v));  // no degree digits: 0 degrees
    EXPECT_DOUBLE_EQ(v, 0.5);
    ASSERT_TRUE(ParseNmeaAngle("0000.000", -1, v));
    EXPECT_EQ(v, 0.0);
    v = 99.0;
    for (const char* bad : {"", "4530", "5.000", ".5", "45a0.000", "4530.0.0", "-4530.000", "4530.00x"})
        EXPECT_FALSE(ParseNmeaAngle(bad, 1, v)) << bad;
    EXPECT_EQ(v, 99.0);
}

TEST(GpsAngles, GeodeticTextsWithTheDegreeSign)
{
    const WideString lat = GeodeticText("4530.000", 'N');
    WideString expected = VLOX_WIDE("N45");
    expected.push_back(static_cast<WideChar>(0xB0));  // zero-extended, not 0xFFB0
    expected += VLOX_WIDE("30'0.0000 \"");
    EXPECT_EQ(lat, expected);
    const WideString lon = GeodeticText("07530.500", 'W');
    EXPECT_EQ(Narrow(lon), "W075?30'30.0000\"");
    EXPECT_TRUE(GeodeticText("bad", 'N').empty());
}

TEST(GpsGga, TheWorkedExampleGivesAValidFixAtTheOrigin)
{
    GpsFixValues fix;
    const GgaOutcome o = Handle(ExampleGga, fix);
    ASSERT_TRUE(o.FixValid);
    EXPECT_DOUBLE_EQ(o.Latitude, 45.5);
    EXPECT_DOUBLE_EQ(o.Longitude, -75.5);
    int32_t zone = 0;
    double n = 0, e = 0;
    LatLonToUtm(45.5, -75.5, zone, n, e, 0);
    EXPECT_EQ(zone, 18);
    EXPECT_EQ(o.Step, GpsFixStep::Origin);
    EXPECT_TRUE(o.Plot);
    EXPECT_EQ(fix.GpsOriginSet, 1);
    EXPECT_DOUBLE_EQ(fix.GpsOriginEasting, e);
    EXPECT_DOUBLE_EQ(fix.GpsOriginNorthing, n);
    EXPECT_DOUBLE_EQ(fix.GpsEasting, e);
    EXPECT_EQ(fix.GpsFixValid, 1);
    EXPECT_EQ(fix.GpsSatellites, 5);
    EXPECT_EQ(fix.GpsUtmZone, 18);

    const GgaDisplay& d = o.Display;
    EXPECT_EQ(Narrow(d.Satellites), " 5");
    EXPECT_EQ(Narrow(d.FixQuality), "AGPS");
    EXPECT_EQ(Narrow(d.Latitude), "N45?30'0.0000 \"");
    EXPECT_EQ(Narrow(d.Longitude), "W075?30'0.0000 \"");
    EXPECT_FALSE(d.DrawDilution);  // GSA brings it with "GGA/GSA"
    EXPECT_FALSE(d.DrawZone);      // geodetic display
    EXPECT_TRUE(d.DrawCount);
    EXPECT_EQ(Narrow(d.Count), "0    ");
    EXPECT_TRUE(d.LampValid);
}

TEST(GpsGga, UtmDisplaysInMetresFeetAndSurveyFeet)
{
    int32_t zone = 0;
    double n = 0, e = 0;
    LatLonToUtm(45.5, -75.5, zone, n, e, 0);
    const struct {
        int32_t display;
        double unit;
        const char* suffix;
    } cases[] = {{1, 1.0, " m"}, {2, 0.3048, " ft"}, {3, 0.304800609601219, " USft"}};
    for (const auto& c : cases) {
        GpsFixValues fix;
        GgaContext context;
        context.GpsCoordinateDisplay = c.display;
        const GgaOutcome o = Handle(ExampleGga, fix, context);
        char north[40], east[40];
        std::snprintf(north, sizeof north, "%12.2f%s", n / c.unit, c.suffix);
        std::snprintf(east, sizeof east, "%12.2f%s", e / c.unit, c.suffix);
        EXPECT_EQ(Narrow(o.Display.Latitude), north) << c.display;
        EXPECT_EQ(Narrow(o.Display.Longitude), east) << c.display;
        EXPECT_TRUE(o.Display.DrawZone);
        EXPECT_EQ(Narrow(o.Display.Zone), "18");
        // The fix itself stays in metres whatever is shown.
        EXPECT_DOUBLE_EQ(fix.GpsEasting, e);
    }
}

TEST(GpsGga, OneSatelliteOrQualityZeroIsNoFix)
{
    for (const std::string body : {"GPGGA,101500,4530.000,N,07530.000,W,1,01,1.2,100.0,M,-34.0,M,,",
                                   "GPGGA,101500,4530.000,N,07530.000,W,0,05,1.2,100.0,M,-34.0,M,,"}) {
        GpsFixValues fix;
        GgaContext context;
        context.Averaging = true;
        const GgaOutcome o = Handle(Sentence(body), fix, context);
        EXPECT_FALSE(o.FixValid) << body;
        EXPECT_EQ(Narrow(o.Display.Latitude), " Lat:  N/A   ");
        EXPECT_EQ(Narrow(o.Display.Longitude), " Lon:  N/A   ");
        EXPECT_FALSE(o.Display.DrawCount);
        EXPECT_EQ(fix.GpsPositionCount, 0);
        EXPECT_EQ(fix.GpsOriginSet, 0);
        EXPECT_EQ(fix.GpsFixValid, 0);
        EXPECT_FALSE(o.Plot);
        EXPECT_FALSE(o.Display.LampValid);
    }
    GpsFixValues fix;
    EXPECT_EQ(Narrow(Handle(Sentence("GPGGA,1,4530.000,N,07530.000,W,0,05"), fix).Display.FixQuality), "NO FIX");
}

TEST(GpsGga, QualityTextsByTheFirstDigit)
{
    const struct {
        const char* field;
        const char* text;
    } cases[] = {{"1", "AGPS"}, {"2", "DGPS"}, {"4", "RTK4"}, {"9", "RTK9"}, {"", ""}, {"x", ""}};
    for (const auto& c : cases) {
        GpsFixValues fix;
        const std::string line = Sentence(std::string("GPGGA,1,4530.000,N,07530.000,W,") + c.field + ",05");
        EXPECT_EQ(Narrow(Handle(line, fix).Display.FixQuality), c.text) << c.field;
    }
}

TEST(GpsGga, PositionsCountOnlyWhileAReadingIsAveraged)
{
    GpsFixValues fix;
    GgaContext context;
    Handle(ExampleGga, fix, context);
    EXPECT_EQ(fix.GpsPositionCount, 0);
    context.Averaging = true;
    Handle(ExampleGga, fix, context);
    const GgaOutcome o = Handle(ExampleGga, fix, context);
    EXPECT_EQ(fix.GpsPositionCount, 2);
    EXPECT_EQ(Narrow(o.Display.Count), "2    ");
}

TEST(GpsGga, GgaOnlyTakesTheDilutionFromField9)
{
    GpsFixValues fix;
    GgaContext context;
    context.GpsNmeaData = 1;
    GgaOutcome o = Handle(ExampleGga, fix, context);
    EXPECT_TRUE(o.Display.DrawDilution);
    EXPECT_EQ(Narrow(o.Display.Dilution), "1.2");
    // An empty field blanks it: no data is not 0.0.
    o = Handle(Sentence("GPGGA,101500,4530.000,N,07530.000,W,1,05,,100.0,M,-34.0,M,,"), fix, context);
    EXPECT_TRUE(o.Display.DrawDilution);
    EXPECT_TRUE(o.Display.Dilution.empty());
}

TEST(GpsGga, ActivityAlternatesTheLitCircle)
{
    GpsFixValues fix;
    EXPECT_EQ(fix.GpsActivityMark, '\\');
    const int first = Handle(ExampleGga, fix).Display.LitLamp;
    EXPECT_EQ(fix.GpsActivityMark, '/');
    const int second = Handle(ExampleGga, fix).Display.LitLamp;
    EXPECT_EQ(fix.GpsActivityMark, '\\');
    EXPECT_NE(first, second);
}

// Pins the mend: a sentence that fails its checks is shown as far as it can be read, but it
// never moves the fix, the origin, the jump reference or the counts.
TEST(GpsGga, AFailedSentenceIsShownButMovesNothing)
{
    GpsFixValues fix;
    GgaContext context;
    context.Averaging = true;
    Handle(ExampleGga, fix, context);
    const GpsFixValues before = fix;

    // One degree of latitude away, with a wrong checksum (*7C for the example's *7B).
    std::string wrong = Sentence("GPGGA,101501,4630.000,N,07530.000,W,1,09,1.2,100.0,M,-34.0,M,,");
    wrong.back() = wrong.back() == 'F' ? '0' : static_cast<char>(wrong.back() + 1);
    ASSERT_NE(CheckNmeaSentence(wrong), NmeaCheck::Good);
    const GgaOutcome o = Handle(wrong, fix, context, false);
    EXPECT_TRUE(o.FixValid);            // readable...
    EXPECT_FALSE(o.Display.LampValid);  // ...but lit as not valid
    EXPECT_EQ(Narrow(o.Display.Satellites), " 9");
    EXPECT_FALSE(o.Plot);
    EXPECT_EQ(fix.GpsEasting, before.GpsEasting);
    EXPECT_EQ(fix.GpsNorthing, before.GpsNorthing);
    EXPECT_EQ(fix.GpsAcceptedNorthing, before.GpsAcceptedNorthing);
    EXPECT_EQ(fix.GpsOriginNorthing, before.GpsOriginNorthing);
    EXPECT_EQ(fix.GpsPositionCount, before.GpsPositionCount);
    EXPECT_EQ(fix.GpsSatellites, before.GpsSatellites);
    EXPECT_EQ(fix.GpsFixValid, before.GpsFixValid);

    // Nor does a failed first sentence set the origin.
    GpsFixValues fresh;
    Handle(wrong, fresh, context, false);
    EXPECT_EQ(fresh.GpsOriginSet, 0);
}

TEST(GpsGga, TruncatedAndMalformedSentencesAreNoFix)
{
    const char* bodies[] = {
        "GPGGA",
        "GPGGA,101500",
        "GPGGA,101500,4530.000,N",                                         // no longitude
        "GPGGA,101500,4530.000,N,07530.000",                               // no hemisphere
        "GPGGA,101500,4530.000,N,07530.000,W,1,05",                        // satellites "05*.." ends it
        "GPGGA,101500,4530.000,X,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,",  // bad hemisphere
        "GPGGA,101500,4530000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,",   // no decimal point
        "GPGGA,101500,,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,",          // empty latitude
        "GPGGA,101500,4530.000,N,07530.000,W,1,,1.2,100.0,M,-34.0,M,,",    // empty satellites
        "GPGGA,101500,4530.000,N,07530.000,W,,05,1.2,100.0,M,-34.0,M,,",   // empty quality
        "GPGGA,101500,9530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,",  // beyond the pole
        "GPGGA,101500,4530.000,N,19530.000,W,1,05,1.2,100.0,M,-34.0,M,,",  // beyond 180
    };
    for (const char* body : bodies) {
        GpsFixValues fix;
        const GgaOutcome o = Handle(Sentence(body), fix);
        EXPECT_FALSE(o.FixValid) << body;
        EXPECT_EQ(fix.GpsOriginSet, 0) << body;
        EXPECT_EQ(Narrow(o.Display.Latitude), " Lat:  N/A   ") << body;
    }
    GpsFixValues fix;
    EXPECT_EQ(Narrow(Handle(Sentence("GPGGA,1"), fix).Display.Satellites), " 0");
}

TEST(GpsJump, AFixBeyond1000MetresIsNeitherAcceptedNorPlotted)
{
    GpsFixValues fix;
    EXPECT_EQ(ApplyGpsFix(fix, 500000.0, 5000000.0), GpsFixStep::Origin);
    // 1000.5 m away: the latest fix moves, the accepted point stays.
    EXPECT_EQ(ApplyGpsFix(fix, 500000.0 + 600.3, 5000000.0 + 800.4), GpsFixStep::Jump);
    EXPECT_DOUBLE_EQ(fix.GpsEasting, 500600.3);
    EXPECT_DOUBLE_EQ(fix.GpsAcceptedEasting, 500000.0);
    EXPECT_DOUBLE_EQ(fix.GpsAcceptedNorthing, 5000000.0);
    // 999.9 m from the accepted point: accepted.
    EXPECT_EQ(ApplyGpsFix(fix, 500000.0, 5000000.0 - 999.9), GpsFixStep::Accepted);
    EXPECT_DOUBLE_EQ(fix.GpsAcceptedNorthing, 5000000.0 - 999.9);
    // Exactly 1000 m is not more than 1000 m.
    EXPECT_EQ(ApplyGpsFix(fix, 501000.0, 5000000.0 - 999.9), GpsFixStep::Accepted);
    // The origin never moves.
    EXPECT_DOUBLE_EQ(fix.GpsOriginEasting, 500000.0);
    EXPECT_DOUBLE_EQ(fix.GpsOriginNorthing, 5000000.0);
    // A position that is not a number never becomes the reference.
    EXPECT_EQ(ApplyGpsFix(fix, std::numeric_limits<double>::quiet_NaN(), 0.0), GpsFixStep::Jump);
    EXPECT_DOUBLE_EQ(fix.GpsAcceptedEasting, 501000.0);
}

TEST(GpsJump, ThroughTheHandlerAJumpIsNotPlotted)
{
    GpsFixValues fix;
    Handle(ExampleGga, fix);
    const double acceptedNorthing = fix.GpsAcceptedNorthing;
    const GgaOutcome o = Handle(Sentence("GPGGA,101501,4630.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,"), fix);
    EXPECT_TRUE(o.FixValid);
    EXPECT_EQ(o.Step, GpsFixStep::Jump);
    EXPECT_FALSE(o.Plot);
    EXPECT_EQ(fix.GpsAcceptedNorthing, acceptedNorthing);
    EXPECT_GT(fix.GpsNorthing, acceptedNorthing + 100000.0);
}

TEST(GpsGsa, Field16IsThePdop)
{
    EXPECT_EQ(Narrow(GsaDilutionText("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39")), "2.5 ");
    EXPECT_EQ(Narrow(GsaDilutionText("$GPGSA,A,3,04,05,,09,12,,,24,,,,,12.25,1.3,2.1*39")), "12.2");
    EXPECT_EQ(Narrow(GsaDilutionText("$GPGSA,A,3,04,05,,09,12,,,24,,,,,,1.3,2.1*39")), "N/A");
    EXPECT_EQ(Narrow(GsaDilutionText("$GPGSA,A,3")), "N/A");
    EXPECT_EQ(Narrow(GsaDilutionText("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5*39")), "2.5 ");
    EXPECT_EQ(Narrow(GsaDilutionText("$GPGSA,A,3,04,05,,09,12,,,24,,,,,x,1.3,2.1*39")), "N/A");
}

TEST(GpsReaderPlan, GoodGgaAndGsaByModeAndState)
{
    const std::string gsa = Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
    GpsSentenceContext manual;
    GpsSentencePlan p = PlanGpsSentence(ExampleGga, manual);
    EXPECT_EQ(p.Kind, GpsSentenceKind::Gga);
    EXPECT_TRUE(p.Good);
    EXPECT_TRUE(p.CopyForStore);
    EXPECT_FALSE(p.StoreInDataFile);
    EXPECT_TRUE(p.SendPosition);
    p = PlanGpsSentence(gsa, manual);
    EXPECT_EQ(p.Kind, GpsSentenceKind::Gsa);
    EXPECT_TRUE(p.CopyForStore);
    EXPECT_TRUE(p.SendDilution);
    EXPECT_FALSE(p.SendPosition);

    manual.GpsCopyHold = 1;
    EXPECT_FALSE(PlanGpsSentence(ExampleGga, manual).CopyForStore);

    GpsSentenceContext automatic;
    automatic.SurveyMode = 1;
    p = PlanGpsSentence(ExampleGga, automatic);
    EXPECT_FALSE(p.StoreInDataFile);  // not averaging
    EXPECT_FALSE(p.CopyForStore);
    automatic.Averaging = true;
    EXPECT_TRUE(PlanGpsSentence(ExampleGga, automatic).StoreInDataFile);
    EXPECT_TRUE(PlanGpsSentence(gsa, automatic).StoreInDataFile);
    automatic.InternalTestMode = 45;
    EXPECT_FALSE(PlanGpsSentence(ExampleGga, automatic).StoreInDataFile);

    GpsSentenceContext ggaOnly;
    ggaOnly.GpsNmeaData = 1;
    EXPECT_EQ(PlanGpsSentence(gsa, ggaOnly).Kind, GpsSentenceKind::OtherGood);
}

TEST(GpsReaderPlan, OtherTalkersAndSentences)
{
    GpsSentenceContext c;
    EXPECT_EQ(PlanGpsSentence(Sentence("GNGGA,101501,4530.000,N,07530.000,W,2,08"), c).Kind, GpsSentenceKind::Gga);
    EXPECT_EQ(PlanGpsSentence(Sentence("GLGSA,A,3"), c).Kind, GpsSentenceKind::Gsa);
    EXPECT_EQ(PlanGpsSentence(Sentence("GPRMC,101500,A,4530.000,N,07530.000,W"), c).Kind, GpsSentenceKind::OtherGood);
    EXPECT_EQ(PlanGpsSentence(Sentence("GPGSV,3,1,12"), c).Kind, GpsSentenceKind::OtherGood);
    // "GGA" in another sentence's text is not a position.
    const GpsSentencePlan txt = PlanGpsSentence(Sentence("GPTXT,01,01,02,GGA OFF"), c);
    EXPECT_EQ(txt.Kind, GpsSentenceKind::OtherGood);
    EXPECT_TRUE(txt.Good);
    EXPECT_FALSE(txt.SendPosition);
}

TEST(GpsReaderPlan, FailedLinesAreShownNeverStoredOrCopied)
{
    GpsSentenceContext c;
    c.SurveyMode = 1;
    c.Averaging = true;
    std::string wrong = ExampleGga;
    wrong.back() = 'C';
    for (const std::string& line : {wrong, std::string("GPGGA,1,2*00"), std::string("$GPGGA,101500")}) {
        const GpsSentencePlan p = PlanGpsSentence(line, c);
        EXPECT_EQ(p.Kind, GpsSentenceKind::Failed) << line;
        EXPECT_FALSE(p.Good);
        EXPECT_TRUE(p.SendPosition);
        EXPECT_FALSE(p.StoreInDataFile);
        EXPECT_FALSE(p.CopyForStore);
    }
}

TEST(GpsHandOver, UpdatesAreTakenOnceInOrderWithTheirVerdict)
{
    const uintptr_t window = 0x10;
    GpsUpdates.Take(window);  // whatever an earlier test left
    GpsUpdates.Put(window, GpsLineUpdate(GpsUpdateKind::Position, ExampleGga, false));
    GpsUpdates.Put(window, GpsUpdate{});
    GpsUpdates.Put(window, GpsLineUpdate(GpsUpdateKind::Dilution, "$" + std::string(200, 'x'), true));
    const std::vector<GpsUpdate> u = GpsUpdates.Take(window);
    ASSERT_EQ(u.size(), 3u);
    EXPECT_EQ(u[0].Kind, GpsUpdateKind::Position);
    EXPECT_EQ(u[0].Line, ExampleGga);
    EXPECT_FALSE(u[0].Good);
    EXPECT_EQ(u[1].Kind, GpsUpdateKind::Silence);
    EXPECT_EQ(u[2].Kind, GpsUpdateKind::Dilution);
    EXPECT_EQ(u[2].Line.size(), NmeaLineLimit);
    EXPECT_TRUE(u[2].Good);
    EXPECT_TRUE(GpsUpdates.Take(window).empty());  // a late second message finds nothing
}

TEST(GpsHandOver, CopiesAreLeftAloneWhileHeld)
{
    GpsSentenceCopy copy;
    std::string text;
    uint32_t tick = 0;
    EXPECT_FALSE(ReadGpsSentenceCopy(copy, text, tick));
    EXPECT_TRUE(OfferGpsSentenceCopy(copy, ExampleGga, 42));
    EXPECT_TRUE(ReadGpsSentenceCopy(copy, text, tick));
    EXPECT_EQ(text, ExampleGga);
    EXPECT_EQ(tick, 42u);
    GpsCopyHold = 1;
    EXPECT_FALSE(OfferGpsSentenceCopy(copy, "$other", 43));
    GpsCopyHold = 0;
    ReadGpsSentenceCopy(copy, text, tick);
    EXPECT_EQ(text, ExampleGga);
}

TEST(GpsHandOver, MonitorLineFlagIsTakenOnce)
{
    WideString line;
    while (TakeGpsMonitorLine(line)) {
    }
    PublishGpsMonitorLine(VLOX_WIDE("NO DATA"), false);
    EXPECT_FALSE(TakeGpsMonitorLine(line));
    PublishGpsMonitorLine(VLOX_WIDE("$GPGGA"), true);
    ASSERT_TRUE(TakeGpsMonitorLine(line));
    EXPECT_EQ(line, VLOX_WIDE("$GPGGA"));
    EXPECT_FALSE(TakeGpsMonitorLine(line));
}

}  // namespace
