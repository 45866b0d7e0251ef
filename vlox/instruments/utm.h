// Latitude/longitude on the WGS 84 ellipsoid to the Universal Transverse Mercator grid, by the
// classic series: the meridian arc in powers of n, then powers of the longitude difference up
// to the eighth. Plain 6-degree zones; no special zones.
#pragma once

#include <cstdint>

constexpr double UtmSemiMajorAxis = 6378137.0;           // m
constexpr double UtmFlattening = 0.0033528106647474805;  // 1 / 298.257223563
constexpr double UtmScaleFactor = 0.9996;
constexpr double UtmFalseEasting = 500000.0;          // m
constexpr double UtmFalseNorthingSouth = 10000000.0;  // m, latitudes below 0

// Zone of a longitude in degrees: floor(longitude / 6) + 31, held to 1..60. 0 for a
// longitude that is not a number.
int32_t UtmZoneOf(double longitude);

// Projects latitude and longitude (decimal degrees, south and west negative). keepZone 0
// computes the zone from the longitude and writes it; any other value projects into the zone
// passed in (several points in the first point's zone). northing and easting in metres; the
// easting includes the 500000 m false easting, the northing 10000000 m south of the equator
// (latitude -0.0 counts as north).
// Returns 1. Returns 0 and writes nothing when latitude or longitude is not a finite number,
// the latitude is beyond +-90 or the longitude beyond +-180 degrees, or a kept zone is
// outside 1..60.
int32_t LatLonToUtm(double latitude, double longitude, int32_t& zone, double& northing, double& easting,
                    int32_t keepZone);
