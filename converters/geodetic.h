// Geodetic conversions of the converters: NMEA angles to degrees, WGS 84 latitude and longitude
// to UTM by the Transverse Mercator series of the DMA manual TM 8358.2 (terms T1 to T9), and
// UTM metres to feet. They stand apart from the main program's own position handling.
#pragma once

#include <cstdint>
#include <string_view>

namespace converters {

// The UTM scale factor as the converters hold it: 0.9996 in single precision
// (0.9995999932289124); the results carry its few centimetres at large northings.
constexpr double ConverterUtmScale = static_cast<double>(0.9996f);
// The international foot in single precision, and the US survey foot.
constexpr double InternationalFootSingle = static_cast<double>(0.3048f);
constexpr double UsSurveyFoot = 0.3048006096;

// `NmeaAngleToDegrees`: an NMEA angle "ddmm.mmmm" or "dddmm.mmmm" and its hemisphere text;
// signed decimal degrees (negative for exactly "S" or "W"). The degrees are the characters up
// to two before the point (or before the end when there is no point), the minutes the rest.
// NaN when fewer than three characters precede the point, when the degree or minute text is
// not wholly a number, or when the minutes are 60 or more.
double NmeaAngleToDegrees(std::string_view angle, std::string_view hemisphere);

// `GeodeticToUtm`: on entry x is the longitude and y the latitude in decimal degrees; on return
// x is the easting and y the northing in metres (false easting 500000 m, false northing
// 10000000 m for negative latitudes). zoneGiven 0 computes the zone from the longitude
// (floor(lon / 6) + 31 held to 1..60, no special zones; 6 degrees east is zone 32) and stores it; otherwise the zone
// passed in is used. Returns 1; returns 0 and leaves x, y and zone unchanged when either angle
// is not a finite number, the latitude is beyond +-90 or the longitude beyond +-180 degrees,
// or a given zone is outside 1..60.
int32_t GeodeticToUtm(double& x, double& y, int32_t& zone, int32_t zoneGiven);

// `ConvertUtmUnits`: unit code 3 divides both values by the single-precision international
// foot, 4 by the US survey foot; 1 and any other code leave them.
void ConvertUtmUnits(double& x, double& y, int32_t unitCode);

} // namespace converters
