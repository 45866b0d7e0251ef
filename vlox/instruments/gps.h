// The GPS link's program-wide state and its logic over plain data: the field roles, the fix
// and survey origin with the jump rule, what the reader does with each line, the GGA and GSA
// handlers' texts, and the sentence copies that Store Reading takes. The serial port, the
// threads and the drawing are Win32 glue (gps_link_win.h).
#pragma once

#include "vlox/common/handoff_queue.h"
#include "vlox/settings/textconv.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// Without a good sentence for this long the GPS fields of the main window are blanked.
constexpr uint32_t GpsSilenceMs = 3000;
// Without a line for this long the GPS monitor lists "NO DATA".
constexpr uint32_t GpsMonitorSilenceMs = 7000;
// A fix farther than this from the last accepted point is a jump: neither accepted nor plotted.
constexpr double GpsJumpLimitMetres = 1000.0;

// ---------------------------------------------------------------------------------------
// Field roles: which GGA field holds what, processed in the order of the table.

enum NmeaFieldRole : int32_t {
    RoleSatellites = 0,
    RoleFixQuality = 1,
    RoleLatitudeHemisphere = 2,
    RoleLatitude = 3,
    RoleLongitudeHemisphere = 4,
    RoleLongitude = 5,
    RoleDilution = 7,  // GGA's HDOP, with the NMEA choice "GGA" only
};

struct NmeaFieldRoleTable {
    int32_t Count = 0;
    int32_t Role[8] = {};
    int32_t Field[8] = {};  // field 1 is the address field ($GPGGA)
};
extern NmeaFieldRoleTable NmeaFieldRoles;

// The table for GpsNmeaData 0 ("GGA/GSA": the DOP comes from GSA) or any other value ("GGA":
// the GGA's field 9 is the DOP).
NmeaFieldRoleTable MakeNmeaFieldRoles(int32_t gpsNmeaData);
// Fills NmeaFieldRoles from Settings.GpsNmeaData; once at program start.
void SetNmeaFieldRoles();

// ---------------------------------------------------------------------------------------
// The fix. Eastings and northings are UTM metres (WGS 84) whatever the operator is shown.
// Written on the user-interface thread by the GGA handler only.

struct GpsFixValues {
    double GpsOriginEasting = 0.0;  // first valid fix since start: the survey origin
    double GpsOriginNorthing = 0.0;
    int32_t GpsOriginSet = 0;  // never cleared while the program runs
    double GpsEasting = 0.0;   // latest valid fix (a jump moves it too)
    double GpsNorthing = 0.0;
    double GpsAcceptedEasting = 0.0;  // last accepted point: the jump rule's reference
    double GpsAcceptedNorthing = 0.0;
    int32_t GpsUtmZone = 0;
    int32_t GpsSatellites = 0;
    int32_t GpsFixValid = 0;       // 1 while the last good GGA gave a usable position
    int32_t GpsPositionCount = 0;  // positions received while a reading was averaged
    char GpsActivityMark = '\\';   // flips between '/' and '\' with every sentence shown
};
extern GpsFixValues GpsFix;

enum class GpsFixStep {
    Origin,    // the first valid fix: origin, latest and accepted point
    Accepted,  // within the jump limit: the new accepted point
    Jump       // beyond it: latest moves, the accepted point stays, nothing is plotted
};

// The jump rule over a valid fix in UTM metres.
GpsFixStep ApplyGpsFix(GpsFixValues& fix, double easting, double northing);

// ---------------------------------------------------------------------------------------
// The GGA handler's work on one line: fields, validity, texts, fix, count and activity.

struct GgaContext {
    int32_t GpsNmeaData = 0;
    int32_t GpsCoordinateDisplay = 0;  // 0 geodetic, 1 UTM m, 2 UTM ft, 3 UTM US ft
    bool Averaging = false;            // a reading is being averaged (MeasureState 1): positions count
};

// What the handler draws. Satellites, quality, latitude and longitude are always drawn (an
// empty text blanks the field); the others only where their flag says so.
struct GgaDisplay {
    WideString Satellites;
    WideString FixQuality;
    WideString Latitude;   // or the northing
    WideString Longitude;  // or the easting
    bool DrawDilution = false;
    WideString Dilution;
    bool DrawZone = false;
    WideString Zone;
    bool DrawCount = false;
    WideString Count;
    int32_t LitLamp = 0;  // 0 or 1: the other circle is drawn unlit
    bool LampValid = false;
};

struct GgaOutcome {
    GgaDisplay Display;
    bool FixValid = false;  // the line gave a usable position
    double Latitude = 0.0;  // degrees, south and west negative
    double Longitude = 0.0;
    GpsFixStep Step = GpsFixStep::Jump;
    bool Plot = false;  // an accepted point for the live map
};

// Handles one line handed over with GpsPositionMessage. lineGood says whether it passed the
// checks: a failed line is shown as far as it can be read, but never moves the fix, the
// origin, the jump reference, the satellite count or the position count.
GgaOutcome HandleGgaLine(const std::string& line, bool lineGood, const NmeaFieldRoleTable& roles,
                         const GgaContext& context, GpsFixValues& fix);

// The GSA handler's text: field 16 (PDOP) as "%-4.1f", or "N/A" when it is missing, empty or
// not a number.
WideString GsaDilutionText(const std::string& line);

// Geodetic latitude or longitude field "ddmm.mmmm" / "dddmm.mmmm": the digits before the last
// two before the '.' are degrees, the rest minutes. sign is +1 or -1 (hemisphere). Writes
// degrees and answers true; a missing '.', fewer than two digits before it or any other
// character than digits answers false.
bool ParseNmeaAngle(const std::string& field, int32_t sign, double& degrees);

// The geodetic text of such a field: hemisphere letter, degrees as received, the degree sign
// (U+00B0), the two minute digits, an apostrophe, the seconds (the minutes' fraction x 60,
// left-justified in 7 columns with 4 decimals) and a double quote.
// Empty when the field does not parse.
WideString GeodeticText(const std::string& field, char hemisphere);

// ---------------------------------------------------------------------------------------
// The reader: what happens to each finished line.

enum class GpsSentenceKind {
    Gga,        // good, address field contains "GGA"
    Gsa,        // good, address field contains "GSA", NMEA choice "GGA/GSA"
    OtherGood,  // good, dropped
    Failed      // no '$', no '*' or a wrong checksum: shown, never used for the fix
};

struct GpsSentenceContext {
    int32_t SurveyMode = 0;  // 1 automatic trigger
    bool Averaging = false;  // a reading is being averaged (MeasureState 1)
    int32_t InternalTestMode = 0;
    int32_t GpsNmeaData = 0;
    int32_t GpsCopyHold = 0;
};

struct GpsSentencePlan {
    GpsSentenceKind Kind = GpsSentenceKind::Failed;
    bool Good = false;             // the last-good time restarts
    bool StoreInDataFile = false;  // '@', '#', '!' records now (automatic mode, averaging)
    bool CopyForStore = false;     // into GgaCopy or GsaCopy for Store Reading (manual mode)
    bool SendPosition = false;     // GpsPositionMessage
    bool SendDilution = false;     // GpsDopMessage
};

GpsSentencePlan PlanGpsSentence(const std::string& line, const GpsSentenceContext& context);

// ---------------------------------------------------------------------------------------
// Hand-over between the reader thread and the user-interface thread.

// What the reader hands to the user-interface thread, in the order it happened: a line for
// the GGA handler (a good GGA, or a failed line shown as far as it can be read), a GSA line for
// the GSA handler, or the silence that blanks the fields. The reader puts each into
// GpsUpdates and posts the handler's message; the handler draws every update waiting, so a
// message that arrives late finds nothing and draws nothing.
enum class GpsUpdateKind { Position, Dilution, Silence };
struct GpsUpdate {
    GpsUpdateKind Kind = GpsUpdateKind::Silence;
    std::string Line;   // `NmeaLine`: without CR LF
    bool Good = false;  // the line passed the checks
};
// A line's update; the line is cut to NmeaLineLimit characters (longer lines never get this
// far).
GpsUpdate GpsLineUpdate(GpsUpdateKind kind, const std::string& line, bool good);
// Updates sent to the GPS window and not yet drawn; a window that draws nothing for a while
// loses the oldest beyond GpsUpdatesKept.
constexpr size_t GpsUpdatesKept = 64;
extern HandOffQueue<GpsUpdate> GpsUpdates;

// `GgaCopy` and `GsaCopy`: the last good GGA and GSA kept for Store Reading, each with the tick
// of its '$' and a fresh flag. The flag is atomic so that Store Reading can busy-wait on it;
// the text and tick are read and written under the lock, so a copy is never read half-made.
struct GpsSentenceCopy {
    std::string Text;
    uint32_t Tick = 0;
    std::atomic<int32_t> Fresh{0};
};
extern GpsSentenceCopy GgaCopy;
extern GpsSentenceCopy GsaCopy;
// 1 while Store Reading writes the copies: the reader leaves them alone.
extern std::atomic<int32_t> GpsCopyHold;

// The reader's side: unless GpsCopyHold, the copy takes text and tick (fresh cleared before,
// set after). Answers whether it was taken.
bool OfferGpsSentenceCopy(GpsSentenceCopy& copy, const std::string& text, uint32_t tick);
// Store Reading's side: text and tick as they stand; answers the fresh flag.
bool ReadGpsSentenceCopy(GpsSentenceCopy& copy, std::string& text, uint32_t& tick);

// The same by kind, 0 GGA (GgaCopy) or any other value GSA (GsaCopy): a sentence arrived
// since the fresh flags were cleared; both flags cleared; the latest sentence and its tick
// (false when there is none).
bool GpsSentenceFresh(int32_t kind);
void ClearGpsSentenceFresh();
bool CopyGpsSentence(int32_t kind, std::string& text, uint32_t& tick);

// `GpsMonitorLine`: the last line for the GPS monitor window (widened with sign extension),
// and its new-line flag. The monitor thread publishes; the monitor window's paint takes.
void PublishGpsMonitorLine(const WideString& line, bool flagNewLine);
// Answers the flag and clears it; line gets the text when the flag was set.
bool TakeGpsMonitorLine(WideString& line);

// ---------------------------------------------------------------------------------------
// Values the GPS link reads from parts that own them. Entries not set read as 0.

struct GpsLinkSources {
    bool (*ReadingAveraged)() = nullptr;      // the measurement cycle averages a reading
    int32_t (*InternalTestMode)() = nullptr;  // 45-48 while an internal test runs
};
extern GpsLinkSources GpsLinkInputs;

bool CurrentReadingAveraged();
int32_t CurrentInternalTestMode();

// For the data file: the survey origin and the position count's reset at a new file.
void GpsOriginForDataFile(double& easting, double& northing);
void ClearGpsPositionCount();
