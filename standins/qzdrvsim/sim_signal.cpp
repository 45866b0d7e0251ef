#include "standins/qzdrvsim/sim_signal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool SameName(const std::string& a, const char* b)
{
    if (a.size() != std::strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string Trimmed(const std::string& s)
{
    size_t from = s.find_first_not_of(" \t");
    size_t to = s.find_last_not_of(" \t");
    return from == std::string::npos ? std::string() : s.substr(from, to - from + 1);
}

bool SetOption(SimSettings& s, const std::string& name, double v)
{
    struct Field {
        const char* name;
        double SimSettings::*field;
    };
    static const Field fields[] = {
        {"SpeedUp", &SimSettings::SpeedUp},
        {"ResistivityOhmM", &SimSettings::ResistivityOhmM},
        {"LoopAreaM2", &SimSettings::LoopAreaM2},
        {"AmpereTurns", &SimSettings::AmpereTurns},
        {"SensorAreaM2", &SimSettings::SensorAreaM2},
        {"TurnOffDelayUs", &SimSettings::TurnOffDelayUs},
        {"RampUs", &SimSettings::RampUs},
        {"NoiseVolts", &SimSettings::NoiseVolts},
        {"HumVolts", &SimSettings::HumVolts},
        {"HumHz", &SimSettings::HumHz},
        {"SpikeRateHz", &SimSettings::SpikeRateHz},
        {"SpikeVolts", &SimSettings::SpikeVolts},
        {"TestSourceScale", &SimSettings::TestSourceScale},
    };
    if (SameName(name, "Seed")) {
        if (!(v >= 0.0 && v <= 4294967295.0))
            return false;
        s.Seed = static_cast<uint32_t>(v);
        return true;
    }
    for (const Field& f : fields) {
        if (SameName(name, f.name)) {
            // A transmitter may switch ahead of its sync edge; nothing else is negative.
            if (!(v >= 0.0) && f.field != &SimSettings::TurnOffDelayUs)
                return false;
            // The ground and the loop must have a size.
            if ((f.field == &SimSettings::ResistivityOhmM || f.field == &SimSettings::LoopAreaM2) && !(v > 0.0))
                return false;
            s.*f.field = v;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParseSimOptions(const char* text, SimSettings& settings)
{
    if (text == nullptr)
        return true;
    SimSettings parsed = settings;
    std::string all = text;
    size_t at = 0;
    while (at <= all.size()) {
        size_t end = all.find_first_of(";,", at);
        if (end == std::string::npos)
            end = all.size();
        const std::string item = Trimmed(all.substr(at, end - at));
        at = end + 1;
        if (item.empty())
            continue;
        const size_t eq = item.find('=');
        if (eq == std::string::npos)
            return false;
        const std::string name = Trimmed(item.substr(0, eq));
        const std::string value = Trimmed(item.substr(eq + 1));
        char* stop = nullptr;
        const double v = std::strtod(value.c_str(), &stop);
        if (value.empty() || stop == nullptr || *stop != 0 || !std::isfinite(v) || !SetOption(parsed, name, v))
            return false;
    }
    settings = parsed;
    return true;
}

int32_t GainCodeOfOutput(uint32_t outputValue)
{
    const int32_t code = static_cast<int32_t>(outputValue & 0x0F);
    return code > 6 ? 6 : code;
}

bool TestSourceSelected(uint32_t outputValue)
{
    return (outputValue & 0x10) != 0;
}

TestSource InternalTestSource(uint32_t outputValue)
{
    // The generator's four settings: level and RC time constant as the test circuit has them.
    static const TestSource sources[4] = {
        {0.9645, 0.0},      // DC
        {0.967, 102000.0},  // 100 ms
        {0.961, 3280.0},    // 3 ms
        {0.856, 100.0},     // 0.1 ms
    };
    const int which = ((outputValue & 0x20) != 0 ? 1 : 0) | ((outputValue & 0x200) != 0 ? 2 : 0);
    return sources[which];
}

double MainsOfRepetitionRate(double repetitionRate)
{
    // Both families hold the same shares of their mains frequency.
    static const double shares[] = {4.75, 1.25, 0.5, 0.125, 0.05, 0.0125, 0.005};
    if (!(repetitionRate > 0.0))
        return 60.0;
    auto distance = [&](double mains) {
        double best = 1e300;
        for (double share : shares)
            best = std::min(best, std::fabs(std::log(repetitionRate / (mains * share))));
        return best;
    };
    return distance(50.0) < distance(60.0) ? 50.0 : 60.0;
}

SignalModel BuildSimModel(const SimSettings& settings, const SimModelInputs& in)
{
    SignalModel m;
    m.ScanRateHz = in.ScanRateHz;
    m.RepetitionRate = in.RepetitionRate > 0.0 ? in.RepetitionRate : 30.0;
    m.StartTimeUs = in.StartTimeUs;
    m.RangeMin = in.RangeMin;
    m.RangeMax = in.RangeMax;
    m.Resolution = in.Resolution;
    m.GainCode = GainCodeOfOutput(in.OutputValue);
    m.NoiseVolts = settings.NoiseVolts;
    m.HumVolts = settings.HumVolts;
    m.HumHz = settings.HumHz > 0.0 ? settings.HumHz : MainsOfRepetitionRate(m.RepetitionRate);
    m.SpikeRateHz = settings.SpikeRateHz;
    m.SpikeVolts = settings.SpikeVolts;
    m.Seed = settings.Seed;
    m.SyncVolts = in.TransmitterOn ? kSimSyncVolts : 0.0;
    m.ResistivityOhmM = settings.ResistivityOhmM;
    m.LoopAreaM2 = settings.LoopAreaM2;
    m.AmpereTurns = settings.AmpereTurns;
    m.SensorAreaM2 = settings.SensorAreaM2;
    if (TestSourceSelected(in.OutputValue)) {
        // The generator takes the counter output itself, in place of the sensor: no transmitter
        // delay or ramp, no noise or hum from the ground.
        const TestSource source = InternalTestSource(in.OutputValue);
        m.DecayModel = DecayModelTestSource;
        m.NoiseVolts = 0.0;
        m.HumVolts = 0.0;
        // A generator out of tune (scale other than 1) makes the internal tests fail.
        m.TestSourceVolts = in.TransmitterOn ? source.Volts * settings.TestSourceScale : 0.0;
        m.TestTimeConstantUs = source.TimeConstantUs;
    } else if (in.TransmitterOn) {
        m.DecayModel = DecayModelHalfSpace;
        m.TurnOffDelayUs = settings.TurnOffDelayUs;
        m.RampUs = settings.RampUs;
    } else {
        // No current, no response: an empty sum of decays.
        m.DecayModel = DecayModelExponentials;
        m.DecayTermCount = 0;
    }
    return m;
}
