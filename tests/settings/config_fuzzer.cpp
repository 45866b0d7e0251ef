// Feeds arbitrary bytes to the configuration reader. Every input either loads or is marked
// corrupt (or is another version); a loaded configuration holds only values the program can
// index and compute with, and writing it back and reading it again never fails the reader.
// A short input is also read with blank null tables after it.
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckLoaded(const SettingsValues& s, const SettingsDerived& d)
{
    Require(s.PowerLineFrequency == 0 || s.PowerLineFrequency == 1);
    Require(s.RepRateIndex >= 0 && s.RepRateIndex < RepRateCount);
    Require(s.CoilType >= 0 && s.CoilType < CoilTypeCount);
    Require(s.TransmitterType >= 0 && s.TransmitterType < TransmitterTypeCount);
    Require(s.UserGateCount >= 1 && s.UserGateCount <= MaxGateCount);
    Require(s.GateSet >= 0 && s.GateSet <= 2);
    Require(std::isfinite(d.RepetitionRate) && d.RepetitionRate > 0.0);
    Require(std::isfinite(d.TxAmpereTurns));
    Require(std::isfinite(d.TotalTurnOffDelay));
    Require(s.MapSize >= MinimumMapSize && std::isfinite(d.PixelsPerMetre));
    Require(s.TimeAxisMaxMs > s.TimeAxisMinMs && s.TimeAxisMinMs > 0.0);
    Require(d.GateSampleOffset >= 0);
    for (int32_t w : s.LineWidths)
        Require(w >= 0 && w <= 4);
}

// Loads the bytes; what loads is checked, written and read again.
void LoadAndWriteBack(std::string_view bytes)
{
    SettingsValues s;
    SettingsDerived d;
    auto nulls = std::make_unique<NullTableValues>();
    ConfigLoadEnvironment env;
    env.MapPaneWidth = 400;
    if (LoadConfiguration(bytes, s, d, *nulls, env) == 0)
        return;
    if (d.ConfigInvalid != 0)
        return;
    CheckLoaded(s, d);

    const int32_t none[RepRateCount] = {};
    std::string again = ComposeConfigurationFile(s, *nulls, none, NullTimeStamp{});
    SettingsValues s2;
    SettingsDerived d2;
    auto nulls2 = std::make_unique<NullTableValues>();
    Require(LoadConfiguration(again, s2, d2, *nulls2, env) == 1);
}

// The null tables of a file with nothing nulled.
std::string BlankNullTables()
{
    auto nulls = std::make_unique<NullTableValues>();
    const int32_t none[RepRateCount] = {};
    std::string out;
    AppendNullingTable(out, NullTableToConfig, 0, *nulls, none, NullTimeStamp{});
    AppendNullingTable(out, NullTableToConfig, 1, *nulls, none, NullTimeStamp{});
    AppendUserGatesNullingTable(out, *nulls, NullTimeStamp{});
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LoadAndWriteBack(bytes);
    // The null tables are nearly all of a whole file: an input shorter than they are (the
    // setting lines of the small seed) gets them after it, so that its mutations of the
    // settings also reach a load and the write back.
    static const std::string tables = BlankNullTables();
    if (size < tables.size())
        LoadAndWriteBack(std::string(bytes) + tables);
    return 0;
}
