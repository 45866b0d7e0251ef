#include "converters/geodetic.h"

#include "converters/number_text.h"

#include <cmath>
#include <limits>

namespace converters {

namespace {

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

double NmeaAngleToDegrees(std::string_view angle, std::string_view hemisphere)
{
    const double invalid = std::numeric_limits<double>::quiet_NaN();
    while (!angle.empty() && angle.front() == ' ')
        angle.remove_prefix(1);
    const size_t point = angle.find('.');
    const size_t p = point == std::string_view::npos ? angle.size() : point;
    if (p < 3)
        return invalid;
    const std::string_view degreeText = angle.substr(0, p - 2);
    const std::string_view minuteText = angle.substr(p - 2);
    if (!AllDigits(degreeText) || !AllDigits(minuteText.substr(0, 2)))
        return invalid;
    const double minutes = NumberOfField(minuteText);
    if (!(minutes < 60))
        return invalid;
    const double sign = hemisphere == "S" || hemisphere == "W" ? -1.0 : 1.0;
    return sign * (NumberOfField(degreeText) + minutes / 60.0);
}

int32_t GeodeticToUtm(double& x, double& y, int32_t& zone, int32_t zoneGiven)
{
    const double longitude = x;
    const double latitude = y;
    if (!std::isfinite(longitude) || !std::isfinite(latitude) || std::fabs(latitude) > 90.0 ||
        std::fabs(longitude) > 180.0)
        return 0;
    if (zoneGiven != 0 && (zone < 1 || zone > 60))
        return 0;

    using Real = long double;
    const Real a = 6378137.0L;
    const Real f = 1.0L / 298.257223563L;
    const Real k0 = ConverterUtmScale;
    const Real toRadians = 0.017453292519943295L;
    const Real piOver180 = std::atan(1.0L) / 45.0L;

    int32_t z = zone;
    if (zoneGiven == 0) {
        // From the degrees themselves: a longitude on a zone's west edge (a multiple of 6)
        // belongs to that zone, as the UTM rule has it; the degrees' round trip through radians
        // and arctan(1) / 45 in extended precision lands a hair west of the edge.
        z = static_cast<int32_t>(std::floor(longitude / 6.0)) + 31;
        if (z > 60)
            z = 60;
        if (z < 1)
            z = 1;
    }

    const Real phi = static_cast<Real>(latitude) * toRadians;
    const Real lambda = static_cast<Real>(longitude) * toRadians;
    const Real b = a * (1.0L - f);
    const Real e2 = (a * a - b * b) / (a * a);
    const Real ep2 = (a * a - b * b) / (b * b);
    const Real n = (a - b) / (a + b);
    const Real n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
    const Real arcA = a * (1.0L - n + 5.0L / 4.0L * (n2 - n3) + 81.0L / 64.0L * (n4 - n5));
    const Real arcB = 3.0L * a / 2.0L * (n - n2 + 7.0L / 8.0L * (n3 - n4) + 55.0L / 64.0L * n5);
    const Real arcC = 15.0L * a / 16.0L * (n2 - n3 + 3.0L / 4.0L * (n4 - n5));
    const Real arcD = 35.0L * a / 48.0L * (n3 - n4 + 11.0L / 16.0L * n5);
    const Real arcE = 315.0L * a / 512.0L * (n4 - n5);

    const Real lambda0 = (6.0L * z - 183.0L) * piOver180;
    const Real dl = lambda - lambda0;
    const Real s = std::sin(phi);
    const Real c = std::cos(phi);
    const Real t = std::tan(phi);
    const Real t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
    const Real eta2 = ep2 * c * c;
    const Real eta4 = eta2 * eta2, eta6 = eta4 * eta2, eta8 = eta4 * eta4;
    const Real nu = a / std::sqrt(1.0L - e2 * s * s);
    const Real arc = arcA * phi - arcB * std::sin(2.0L * phi) + arcC * std::sin(4.0L * phi) -
                     arcD * std::sin(6.0L * phi) + arcE * std::sin(8.0L * phi);
    const Real c3 = c * c * c, c5 = c3 * c * c, c7 = c5 * c * c;

    const Real T1 = k0 * arc;
    const Real T2 = nu * s * c * k0 / 2.0L;
    const Real T3 = nu * s * c3 * k0 * (5.0L - t2 + 9.0L * eta2 + 4.0L * eta4) / 24.0L;
    const Real T4 = nu * s * c5 * k0 *
                    (61.0L - 58.0L * t2 + t4 + 270.0L * eta2 - 330.0L * t2 * eta2 + 445.0L * eta4 +
                     324.0L * eta6 - 680.0L * t2 * eta4 + 88.0L * eta8 - 600.0L * t2 * eta6 -
                     192.0L * t2 * eta8) /
                    720.0L;
    const Real T5 = nu * s * c7 * k0 * (1385.0L - 3111.0L * t2 + 543.0L * t4 - t6) / 40320.0L;
    const Real T6 = nu * c * k0;
    const Real T7 = nu * c3 * k0 * (1.0L - t2 + eta2) / 6.0L;
    const Real T8 = nu * c5 * k0 *
                    (5.0L - 18.0L * t2 + t4 + 14.0L * eta2 - 58.0L * t2 * eta2 + 13.0L * eta4 +
                     4.0L * eta6 - 64.0L * t2 * eta4 - 24.0L * t2 * eta6) /
                    120.0L;
    const Real T9 = nu * c7 * k0 * (61.0L - 479.0L * t2 + 179.0L * t4 - t6) / 5040.0L;

    const Real falseNorthing = latitude < 0 ? 10000000.0L : 0.0L;
    const Real dl2 = dl * dl, dl3 = dl2 * dl, dl4 = dl2 * dl2, dl5 = dl4 * dl, dl6 = dl3 * dl3,
               dl7 = dl6 * dl, dl8 = dl4 * dl4;
    const Real northing = T1 + falseNorthing + dl2 * T2 + dl4 * T3 + dl6 * T4 + dl8 * T5;
    const Real easting = 500000.0L + dl * T6 + dl3 * T7 + dl5 * T8 + dl7 * T9;

    x = static_cast<double>(easting);
    y = static_cast<double>(northing);
    zone = z;
    return 1;
}

void ConvertUtmUnits(double& x, double& y, int32_t unitCode)
{
    if (unitCode == 3) {
        x /= InternationalFootSingle;
        y /= InternationalFootSingle;
    } else if (unitCode == 4) {
        x /= UsSurveyFoot;
        y /= UsSurveyFoot;
    }
}

} // namespace converters
