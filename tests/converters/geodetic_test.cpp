#include "converters/geodetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#ifndef VLOX_SOURCE_DIR
#error VLOX_SOURCE_DIR must name the source tree
#endif

using namespace converters;

namespace {

TEST(NmeaAngle, DegreesAndMinutesWithTheirHemisphere)
{
    const struct {
        const char* Angle;
        const char* Hemisphere;
        double Expected;
    } cases[] = {
        {"4916.45", "N", 49.0 + 16.45 / 60.0},
        {"12311.12", "W", -(123.0 + 11.12 / 60.0)},
        {"3345.1234", "S", -(33.0 + 45.1234 / 60.0)},
        {"00000.0000", "E", 0.0},
        {"4916", "N", 49.0 + 16.0 / 60.0},
        {"4916.45", "n", 49.0 + 16.45 / 60.0},
        {"4916.45", "SW", 49.0 + 16.45 / 60.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NmeaAngleToDegrees(c.Angle, c.Hemisphere), c.Expected) << c.Angle << c.Hemisphere;
    EXPECT_NEAR(NmeaAngleToDegrees("4916.45", "N"), 49.274166, 1e-6);
    EXPECT_NEAR(NmeaAngleToDegrees("12311.12", "W"), -123.185333, 1e-6);
    // No defined angle: fewer than three characters before the point, text that is no number,
    // minutes of 60 or more.
    for (const char* bad : {"", "12.5", ".5", "49x6.45", "4960.00", "-4916.45", "4 16.45"})
        EXPECT_TRUE(std::isnan(NmeaAngleToDegrees(bad, "N"))) << '"' << bad << '"';
}

struct Utm {
    int32_t Ok;
    int32_t Zone;
    double Easting;
    double Northing;
};

Utm Project(double latitude, double longitude, int32_t zone = 0, int32_t zoneGiven = 0)
{
    double x = longitude, y = latitude;
    Utm u;
    u.Zone = zone;
    u.Ok = GeodeticToUtm(x, y, u.Zone, zoneGiven);
    u.Easting = x;
    u.Northing = y;
    return u;
}

TEST(GeodeticToUtm, ZonesFalseOriginsAndCentralMeridians)
{
    EXPECT_EQ(Project(0.0, 0.0).Northing, 0.0) << "no false northing on the equator";
    EXPECT_NEAR(Project(-0.000001, 0.0).Northing, 10000000.0 - 0.1106, 0.001);
    EXPECT_EQ(Project(45.0, 180.0).Zone, 60);
    EXPECT_EQ(Project(45.0, -180.0).Zone, 1);
    EXPECT_EQ(Project(45.0, 5.9999).Zone, 31);
    EXPECT_EQ(Project(45.0, 6.0).Zone, 32);
    for (int32_t zone = 1; zone <= 60; ++zone) {
        const Utm u = Project(37.5, 6.0 * zone - 183.0);
        EXPECT_EQ(u.Zone, zone);
        EXPECT_NEAR(u.Easting, 500000.0, 1e-6) << "zone " << zone;
    }
    // A zone given is used as it stands.
    const Utm given = Project(45.0, 3.0, 32, 1);
    EXPECT_EQ(given.Zone, 32);
    EXPECT_LT(given.Easting, 500000.0 - 200000.0);
}

TEST(GeodeticToUtm, InvalidInputLeavesEverything)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double Latitude;
        double Longitude;
        int32_t Zone;
        int32_t Given;
    } cases[] = {{nan, 0, 0, 0}, {0, nan, 0, 0}, {90.5, 0, 0, 0}, {0, 181, 0, 0},
                 {0, std::numeric_limits<double>::infinity(), 0, 0}, {0, 0, 61, 1}, {0, 0, 0, 1}};
    for (const auto& c : cases) {
        const Utm u = Project(c.Latitude, c.Longitude, c.Zone, c.Given);
        EXPECT_EQ(u.Ok, 0);
        EXPECT_EQ(u.Zone, c.Zone);
        EXPECT_TRUE(u.Easting == c.Longitude || (std::isnan(u.Easting) && std::isnan(c.Longitude)));
    }
    EXPECT_EQ(Project(90.0, 0.0).Ok, 1);
    EXPECT_EQ(Project(-90.0, 180.0).Ok, 1);
}

TEST(ConvertUtmUnits, SinglePrecisionFootAndUsSurveyFoot)
{
    double x = 500000.0, y = 5000000.0;
    ConvertUtmUnits(x, y, 3);
    EXPECT_NEAR(y, 16404199.272, 0.0005);
    EXPECT_NEAR(x, 1640419.927, 0.0005);
    x = 500000.0;
    y = 5000000.0;
    ConvertUtmUnits(x, y, 4);
    EXPECT_NEAR(y, 16404166.667, 0.0005);
    for (int32_t code : {1, 2, 0, 5}) {
        x = 1.5;
        y = 2.5;
        ConvertUtmUnits(x, y, code);
        EXPECT_EQ(x, 1.5);
        EXPECT_EQ(y, 2.5);
    }
}

// The comparison with GeographicLib's GeoConvert. utm_reference.txt holds its results for a
// grid across every zone (each zone's west edge, and a point 1e-7 degrees inside its east
// edge), both hemispheres, the equator and the band's ends, with some interior points; the
// table was made by GeoConvert in the zone the converters choose and is checked against
// GeoConvert itself whenever it is installed (VLOX_REBUILD_GOLDEN=1 rewrites it).
struct ReferencePoint {
    double Latitude;
    double Longitude;
    int32_t Zone;
    double Easting;
    double Northing;
};

const char ReferencePath[] = VLOX_SOURCE_DIR "/tests/converters/utm_reference.txt";

std::vector<std::pair<double, double>> ReferenceGrid()
{
    const double latitudes[] = {-80.0, -45.0, -0.000001, 0.0, 30.0, 60.0, 84.0};
    std::vector<double> longitudes;
    for (int32_t k = 0; k <= 60; ++k)
        longitudes.push_back(-180.0 + 6.0 * k);
    for (int32_t k = 0; k < 60; ++k)
        longitudes.push_back(-180.0 + 6.0 * k + 6.0 - 1e-7);
    for (int32_t k = 0; k < 60; k += 7) {
        longitudes.push_back(-177.0 + 6.0 * k);
        longitudes.push_back(-178.5 + 6.0 * k);
        longitudes.push_back(-175.5 + 6.0 * k);
    }
    std::vector<std::pair<double, double>> grid;
    for (double lat : latitudes)
        for (double lon : longitudes)
            grid.emplace_back(lat, lon);
    return grid;
}

std::vector<ReferencePoint> ReadReference()
{
    std::vector<ReferencePoint> points;
    std::ifstream in(ReferencePath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        ReferencePoint p;
        if (fields >> p.Latitude >> p.Longitude >> p.Zone >> p.Easting >> p.Northing)
            points.push_back(p);
    }
    return points;
}

// The single-precision scale factor moves every result by (k0f / k0 - 1) times its distance
// from the false origin: up to 6 cm at the ends of the band.
void ExpectNearReference(const ReferencePoint& r, const Utm& u)
{
    ASSERT_EQ(u.Ok, 1);
    EXPECT_EQ(u.Zone, r.Zone) << r.Latitude << " " << r.Longitude;
    const double falseNorthing = r.Latitude < 0 ? 10000000.0 : 0.0;
    const double scale = ConverterUtmScale / 0.9996;
    const double easting = 500000.0 + (r.Easting - 500000.0) * scale;
    const double northing = falseNorthing + (r.Northing - falseNorthing) * scale;
    // The series itself, with the scale factor taken out: within 2 mm across every zone.
    EXPECT_NEAR(u.Easting, easting, 0.002) << r.Latitude << " " << r.Longitude;
    EXPECT_NEAR(u.Northing, northing, 0.002) << r.Latitude << " " << r.Longitude;
    // The results as written, against GeoConvert's: within 5 cm up to 66 degrees.
    if (std::fabs(r.Latitude) <= 66.0) {
        EXPECT_NEAR(u.Easting, r.Easting, 0.05) << r.Latitude << " " << r.Longitude;
        EXPECT_NEAR(u.Northing, r.Northing, 0.05) << r.Latitude << " " << r.Longitude;
    } else {
        EXPECT_NEAR(u.Northing, r.Northing, 0.07) << r.Latitude << " " << r.Longitude;
    }
}

TEST(GeodeticToUtm, AgreesWithGeoConvertReferenceTable)
{
    const std::vector<ReferencePoint> points = ReadReference();
    ASSERT_EQ(points.size(), ReferenceGrid().size()) << "missing or short " << ReferencePath;
    for (const ReferencePoint& r : points)
        ExpectNearReference(r, Project(r.Latitude, r.Longitude));
}

#ifndef _WIN32
bool GeoConvertInstalled()
{
    return std::system("command -v GeoConvert >/dev/null 2>&1") == 0;
}

// GeoConvert's results for points of one zone.
std::vector<ReferencePoint> RunGeoConvert(int32_t zone, const std::vector<std::pair<double, double>>& points)
{
    char input[] = "/tmp/vlox-geoconvert-XXXXXX";
    const int fd = mkstemp(input);
    if (fd < 0)
        return {};
    std::string text;
    for (const auto& p : points) {
        char line[80];
        std::snprintf(line, sizeof line, "%.7f %.7f\n", p.first, p.second);
        text += line;
    }
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    std::vector<ReferencePoint> out;
    if (written) {
        const std::string command = "GeoConvert -u -z " + std::to_string(zone) + " -p 3 < " + input;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char zoneText[16];
            double easting = 0, northing = 0;
            size_t i = 0;
            while (i < points.size() && std::fscanf(pipe, "%15s %lf %lf", zoneText, &easting, &northing) == 3) {
                out.push_back({points[i].first, points[i].second, zone, easting, northing});
                ++i;
            }
            pclose(pipe);
        }
    }
    unlink(input);
    return out;
}

TEST(GeodeticToUtm, AgreesWithGeoConvertRunNow)
{
    if (!GeoConvertInstalled())
        GTEST_SKIP() << "GeoConvert is not installed (Debian package geographiclib-tools; tools/setup "
                        "installs it): the comparison ran against the committed table only";
    std::map<int32_t, std::vector<std::pair<double, double>>> byZone;
    for (const auto& p : ReferenceGrid())
        byZone[Project(p.first, p.second).Zone].push_back(p);
    std::vector<ReferencePoint> fresh;
    for (const auto& [zone, points] : byZone) {
        const std::vector<ReferencePoint> results = RunGeoConvert(zone, points);
        ASSERT_EQ(results.size(), points.size()) << "GeoConvert in zone " << zone;
        fresh.insert(fresh.end(), results.begin(), results.end());
    }
    for (const ReferencePoint& r : fresh)
        ExpectNearReference(r, Project(r.Latitude, r.Longitude));

    const char* rebuild = std::getenv("VLOX_REBUILD_GOLDEN");
    if (rebuild && std::string(rebuild) == "1") {
        std::ofstream out(ReferencePath, std::ios::binary);
        out << "# WGS 84 to UTM by GeographicLib's GeoConvert (-u -z ZONE -p 3), in the zone the converters\n"
               "# choose (floor(lon / 6) + 31, held to 1..60). Columns: latitude, longitude, zone,\n"
               "# easting, northing (metres, k0 = 0.9996). Made and checked by the converters' geodetic\n"
               "# test; rebuilt with VLOX_REBUILD_GOLDEN=1 when GeoConvert is installed.\n";
        for (const ReferencePoint& r : fresh) {
            char line[120];
            std::snprintf(line, sizeof line, "%.7f %.7f %d %.3f %.3f\n", r.Latitude, r.Longitude, r.Zone,
                          r.Easting, r.Northing);
            out << line;
        }
        return;
    }
    // The committed table is GeoConvert's own result.
    const std::vector<ReferencePoint> table = ReadReference();
    ASSERT_EQ(table.size(), fresh.size());
    std::map<std::pair<double, double>, ReferencePoint> byPoint;
    for (const ReferencePoint& r : table)
        byPoint[{r.Latitude, r.Longitude}] = r;
    for (const ReferencePoint& r : fresh) {
        char lat[32], lon[32];
        std::snprintf(lat, sizeof lat, "%.7f", r.Latitude);
        std::snprintf(lon, sizeof lon, "%.7f", r.Longitude);
        const auto found = byPoint.find({std::strtod(lat, nullptr), std::strtod(lon, nullptr)});
        ASSERT_NE(found, byPoint.end()) << lat << " " << lon;
        EXPECT_NEAR(found->second.Easting, r.Easting, 0.0015);
        EXPECT_NEAR(found->second.Northing, r.Northing, 0.0015);
        EXPECT_EQ(found->second.Zone, r.Zone);
    }
}
#endif

} // namespace
