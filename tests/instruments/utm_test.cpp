#include "vlox/instruments/utm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A second way to the same grid: Krueger's series in n to the sixth order (conformal latitude,
// then the Gauss-Krueger sums), good to well under a millimetre across a zone.
void KruegerUtm(double latitude, double longitude, int32_t zone, double& northing, double& easting)
{
    const double pi = std::acos(-1.0);
    const double a = 6378137.0, f = 1.0 / 298.257223563, k0 = 0.9996;
    const double n = f / (2.0 - f);
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
    const double A = a / (1.0 + n) * (1.0 + n2 / 4.0 + n4 / 64.0 + n6 / 256.0);
    const double alpha[7] = {
        0.0,
        n / 2.0 - 2.0 * n2 / 3.0 + 5.0 * n3 / 16.0 + 41.0 * n4 / 180.0 - 127.0 * n5 / 288.0 + 7891.0 * n6 / 37800.0,
        13.0 * n2 / 48.0 - 3.0 * n3 / 5.0 + 557.0 * n4 / 1440.0 + 281.0 * n5 / 630.0 - 1983433.0 * n6 / 1935360.0,
        61.0 * n3 / 240.0 - 103.0 * n4 / 140.0 + 15061.0 * n5 / 26880.0 + 167603.0 * n6 / 181440.0,
        49561.0 * n4 / 161280.0 - 179.0 * n5 / 168.0 + 6601661.0 * n6 / 7257600.0,
        34729.0 * n5 / 80640.0 - 3418889.0 * n6 / 1995840.0,
        212378941.0 * n6 / 319334400.0};
    const double e = std::sqrt(f * (2.0 - f));
    const double phi = latitude * pi / 180.0;
    const double dl = (longitude - (6.0 * zone - 183.0)) * pi / 180.0;
    const double sp = std::sin(phi);
    const double t = std::sinh(std::atanh(sp) - e * std::atanh(e * sp));
    const double xi0 = std::atan2(t, std::cos(dl));
    const double eta0 = std::atanh(std::sin(dl) / std::sqrt(1.0 + t * t));
    double xi = xi0, eta = eta0;
    for (int j = 1; j <= 6; ++j) {
        xi += alpha[j] * std::sin(2.0 * j * xi0) * std::cosh(2.0 * j * eta0);
        eta += alpha[j] * std::cos(2.0 * j * xi0) * std::sinh(2.0 * j * eta0);
    }
    easting = 500000.0 + k0 * A * eta;
    northing = (latitude >= 0.0 ? 0.0 : 10000000.0) + k0 * A * xi;
}

struct Projected {
    int32_t ok;
    int32_t zone;
    double northing;
    double easting;
};

Projected Project(double latitude, double longitude, int32_t keepZone = 0, int32_t zone = 0)
{
    Projected p{0, zone, -1.0, -1.0};
    p.ok = LatLonToUtm(latitude, longitude, p.zone, p.northing, p.easting, keepZone);
    return p;
}

}  // namespace

TEST(LatLonToUtm, WorkedExamplesOfTheProjection)
{
    Projected p = Project(45.0, -75.0);
    ASSERT_EQ(p.ok, 1);
    EXPECT_EQ(p.zone, 18);
    EXPECT_NEAR(p.northing, 4982950.40, 0.005);
    EXPECT_NEAR(p.easting, 500000.00, 0.005);

    p = Project(45.0, -75.5);
    EXPECT_EQ(p.zone, 18);
    EXPECT_NEAR(p.northing, 4983071.99, 0.005);
    EXPECT_NEAR(p.easting, 460592.35, 0.005);

    // Kept in zone 17: 5.5 degrees east of its central meridian (-81), not moved to zone 18.
    p = Project(45.0, -75.5, 1, 17);
    EXPECT_EQ(p.zone, 17);
    EXPECT_NEAR(p.easting, 933484.32, 0.005);
    EXPECT_NEAR(p.northing, 4997685.05, 0.005);
}

TEST(LatLonToUtm, CentralMeridianGivesTheMeridianArc)
{
    // WGS 84 meridian arc from the equator to 45 degrees: 4984944.378 m, times k0.
    Projected p = Project(45.0, 9.0);
    EXPECT_EQ(p.zone, 32);
    EXPECT_NEAR(p.northing, 4984944.378 * 0.9996, 0.001);
    EXPECT_NEAR(p.easting, 500000.0, 0.005);
    // The equator on a central meridian is the grid origin itself.
    p = Project(0.0, 3.0);
    EXPECT_EQ(p.zone, 31);
    EXPECT_DOUBLE_EQ(p.northing, 0.0);
    EXPECT_NEAR(p.easting, 500000.0, 1e-6);
}

TEST(LatLonToUtm, AgreesWithKruegerSeriesAcrossTheZone)
{
    // The classic series holds to a millimetre within the zone, to centimetres a zone beyond.
    const double latitudes[] = {-79.5, -60.0, -33.9, -12.0, -0.5, 0.0, 0.5, 12.0, 37.8, 51.5, 64.1, 83.9};
    const double offsets[] = {-3.0, -2.2, -1.0, -0.3, 0.0, 0.4, 1.5, 2.9};
    for (double lat : latitudes) {
        for (double off : offsets) {
            const double lon = 15.0 + off;  // zone 33, central meridian 15
            Projected p = Project(lat, lon);
            ASSERT_EQ(p.ok, 1);
            ASSERT_EQ(p.zone, lon < 12.0 ? 32 : (lon >= 18.0 ? 34 : 33));
            double n, e;
            KruegerUtm(lat, lon, 33, n, e);
            if (p.zone == 33) {
                EXPECT_NEAR(p.northing, n, 0.001) << lat << " " << lon;
                EXPECT_NEAR(p.easting, e, 0.001) << lat << " " << lon;
            }
            Projected kept = Project(lat, lon, 1, 33);
            EXPECT_NEAR(kept.northing, n, 0.001) << lat << " " << lon;
            EXPECT_NEAR(kept.easting, e, 0.001) << lat << " " << lon;
        }
    }
    // Five and a half degrees out (a loop corner kept in its neighbour's zone).
    double n, e;
    KruegerUtm(45.0, -75.5, 17, n, e);
    Projected p = Project(45.0, -75.5, 1, 17);
    EXPECT_NEAR(p.northing, n, 0.05);
    EXPECT_NEAR(p.easting, e, 0.05);
}

TEST(LatLonToUtm, SymmetricAboutTheCentralMeridianAndTheEquator)
{
    for (double lat : {1.0, 22.5, 48.2, 71.0}) {
        for (double d : {0.25, 1.7, 2.99}) {
            Projected east = Project(lat, -75.0 + d);
            Projected west = Project(lat, -75.0 - d);
            ASSERT_EQ(east.zone, 18);
            ASSERT_EQ(west.zone, 18);
            EXPECT_NEAR(east.easting - 500000.0, 500000.0 - west.easting, 1e-6);
            EXPECT_NEAR(east.northing, west.northing, 1e-6);

            // The southern point mirrors the northern one below the 10000 km false northing.
            Projected south = Project(-lat, -75.0 + d);
            EXPECT_NEAR(south.northing, 10000000.0 - east.northing, 1e-6);
            EXPECT_NEAR(south.easting, east.easting, 1e-6);
        }
    }
}

TEST(LatLonToUtm, ZoneEdges)
{
    struct Case {
        double longitude;
        int32_t zone;
    };
    const Case cases[] = {
        {-180.0, 1}, {-179.9999, 1}, {-174.0, 2}, {-75.5, 18},   {-0.000001, 30}, {-0.0, 31},
        {0.0, 31},   {5.999999, 31}, {6.0, 32},   {179.999, 60}, {180.0, 60},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UtmZoneOf(c.longitude), c.zone) << c.longitude;
        Projected p = Project(10.0, c.longitude);
        EXPECT_EQ(p.ok, 1);
        EXPECT_EQ(p.zone, c.zone) << c.longitude;
    }
    EXPECT_EQ(UtmZoneOf(std::nan("")), 0);
    // At a zone edge the point lies 3 degrees east of one meridian, 3 west of the next.
    Projected west = Project(40.0, 6.0, 1, 31);
    Projected east = Project(40.0, 6.0);
    EXPECT_EQ(east.zone, 32);
    EXPECT_NEAR(west.easting - 500000.0, 500000.0 - east.easting, 1e-6);
}

TEST(LatLonToUtm, EdgeValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double latitude, longitude;
        int32_t keepZone, zoneIn;
        int32_t ok;
        double falseNorthing;  // which side of the equator, when ok
    };
    const Case cases[] = {
        {0.0, -75.0, 0, 0, 1, 0.0},
        {-0.0, -75.0, 0, 0, 1, 0.0},  // minus zero is taken as north
        {-0.000001, -75.0, 0, 0, 1, 10000000.0},
        {90.0, 0.0, 0, 0, 1, 0.0},
        {-90.0, 0.0, 0, 0, 1, 10000000.0},
        {90.0001, 0.0, 0, 0, 0, 0.0},
        {-90.5, 0.0, 0, 0, 0, 0.0},
        {10.0, 180.0001, 0, 0, 0, 0.0},
        {10.0, -181.0, 0, 0, 0, 0.0},
        {nan, 0.0, 0, 0, 0, 0.0},
        {0.0, nan, 0, 0, 0, 0.0},
        {inf, 0.0, 0, 0, 0, 0.0},
        {0.0, -inf, 0, 0, 0, 0.0},
        {10.0, 10.0, 1, 0, 0, 0.0},  // kept zone out of range
        {10.0, 10.0, 1, 61, 0, 0.0},
        {10.0, 10.0, 1, 60, 1, -1.0},  // projected, however far out
    };
    for (const Case& c : cases) {
        Projected p = Project(c.latitude, c.longitude, c.keepZone, c.zoneIn);
        EXPECT_EQ(p.ok, c.ok) << c.latitude << " " << c.longitude;
        if (!c.ok) {
            // Nothing is written on failure.
            EXPECT_EQ(p.zone, c.zoneIn);
            EXPECT_EQ(p.northing, -1.0);
            EXPECT_EQ(p.easting, -1.0);
            continue;
        }
        EXPECT_TRUE(std::isfinite(p.northing));
        EXPECT_TRUE(std::isfinite(p.easting));
        if (c.falseNorthing < 0.0)
            continue;
        if (c.falseNorthing == 0.0)
            EXPECT_LT(p.northing, 10000000.0 - 1.0);
        else
            EXPECT_GT(p.northing, 1.0);
    }
    // Just south of the equator the northing sits just below the false northing.
    Projected p = Project(-0.000001, -75.0);
    EXPECT_NEAR(p.northing, 10000000.0 - 0.1106, 0.001);
    // The poles: the meridian quadrant times k0 on either side.
    Projected north = Project(90.0, 3.0);
    Projected south = Project(-90.0, 3.0);
    EXPECT_NEAR(north.northing, 10001965.729 * 0.9996, 0.01);
    EXPECT_NEAR(south.northing, 10000000.0 - 10001965.729 * 0.9996, 0.01);
}
