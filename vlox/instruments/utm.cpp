#include "vlox/instruments/utm.h"

#include <cmath>

int32_t UtmZoneOf(double longitude)
{
    if (std::isnan(longitude))
        return 0;
    const double zone = std::floor(longitude / 6.0) + 31.0;
    if (zone < 1.0)
        return 1;
    if (zone > 60.0)
        return 60;
    return static_cast<int32_t>(zone);
}

int32_t LatLonToUtm(double latitude, double longitude, int32_t& zone, double& northing, double& easting,
                    int32_t keepZone)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90.0 ||
        std::fabs(longitude) > 180.0)
        return 0;
    const int32_t z = keepZone ? zone : UtmZoneOf(longitude);
    if (z < 1 || z > 60)
        return 0;

    constexpr double inputRadians = 0.0174532925199433;
    const double zoneRadians = std::atan(1.0) / 45.0;
    const double a = UtmSemiMajorAxis;
    const double inverseF = 1.0 / UtmFlattening;
    const double b = a * (inverseF - 1.0) / inverseF;
    const double e2 = (a * a - b * b) / (a * a);
    const double ep2 = (a * a - b * b) / (b * b);
    const double n = (a - b) / (a + b);
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
    const double k0 = UtmScaleFactor;

    const double arcA = a * (1.0 - n + 5.0 / 4.0 * (n2 - n3) + 81.0 / 64.0 * (n4 - n5));
    const double arcB = (3.0 * a / 2.0) * (n - n2 + 7.0 / 8.0 * (n3 - n4) + 55.0 / 64.0 * n5);
    const double arcC = (15.0 * a / 16.0) * (n2 - n3 + 3.0 / 4.0 * (n4 - n5));
    const double arcD = (35.0 * a / 48.0) * (n3 - n4 + 11.0 / 16.0 * n5);
    const double arcE = (315.0 * a / 512.0) * (n4 - n5);

    const double phi = latitude * inputRadians;
    const double lambda = longitude * inputRadians;
    const double lambda0 = (6.0 * z - 183.0) * zoneRadians;
    const double p = lambda - lambda0;

    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const double t = std::tan(phi);
    const double t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
    const double nu = a / std::sqrt(1.0 - e2 * s * s);
    const double eta2 = ep2 * c * c;
    const double eta4 = eta2 * eta2, eta6 = eta4 * eta2, eta8 = eta4 * eta4;
    const double c3 = c * c * c, c5 = c3 * c * c, c7 = c5 * c * c;

    const double arc = arcA * phi - arcB * std::sin(2.0 * phi) + arcC * std::sin(4.0 * phi) -
                       arcD * std::sin(6.0 * phi) + arcE * std::sin(8.0 * phi);
    const double T1 = arc * k0;
    const double T2 = nu * s * c * k0 / 2.0;
    const double T3 = nu * s * c3 * k0 * (5.0 - t2 + 9.0 * eta2 + 4.0 * eta4) / 24.0;
    const double T4 = nu * s * c5 * k0 *
                      (61.0 - 58.0 * t2 + t4 + 270.0 * eta2 - 330.0 * t2 * eta2 + 445.0 * eta4 + 324.0 * eta6 -
                       680.0 * t2 * eta4 + 88.0 * eta8 - 600.0 * t2 * eta6 - 192.0 * t2 * eta8) /
                      720.0;
    const double T5 = nu * s * c7 * k0 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6) / 40320.0;
    const double T6 = nu * c * k0;
    const double T7 = nu * c3 * k0 * (1.0 - t2 + eta2) / 6.0;
    const double T8 = nu * c5 * k0 *
                      (5.0 - 18.0 * t2 + t4 + 14.0 * eta2 - 58.0 * t2 * eta2 + 13.0 * eta4 + 4.0 * eta6 -
                       64.0 * t2 * eta4 - 24.0 * t2 * eta6) /
                      120.0;
    const double T9 = nu * c7 * k0 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6) / 5040.0;

    const double p2 = p * p, p3 = p2 * p, p4 = p2 * p2, p5 = p4 * p, p6 = p4 * p2, p7 = p6 * p, p8 = p4 * p4;
    const double falseNorthing = latitude >= 0.0 ? 0.0 : UtmFalseNorthingSouth;
    northing = falseNorthing + T1 + p2 * T2 + p4 * T3 + p6 * T4 + p8 * T5;
    easting = UtmFalseEasting + p * T6 + p3 * T7 + p5 * T8 + p7 * T9;
    zone = z;
    return 1;
}
