// A model of what the receiver's four analog inputs see in the field, for the simulated board
// and for the tests of the synchronisation and gating.
//
// The transmitter is driven by the two counters: counter 0 at the repetition rate with a 25 %
// pulse and counter 1 at twice the rate with a 50 % pulse. Their product is a bipolar square
// wave: positive for the first quarter of each period, off for the second, negative for the
// third, off for the fourth. The sync channel (1) is that counter output. The transmitter
// current follows it with the transmitter's own delay: each switch of the current is a linear
// ramp of `RampUs` that ends `TurnOffDelayUs` after the counter's edge, and the end of the ramp
// is the time zero of the decay that follows. The three receiver channels (0, 2, 3; channel 3
// is the one that is gated) carry the ground response to every ramp, in the periodic steady
// state, plus mains hum, Gaussian noise and impulsive spikes. Times are microseconds from the
// start of a positive on-time of the counter; one scan of the four channels lasts
// 1e6 / ScanRateHz microseconds, which is what the cycle counts as its sample period. A scan
// that falls exactly on a counter edge reads the new level.
//
// The receiver's response to one switch-off comes from one of three sources (`DecayModel`):
// a sum of exponentials given in volts; the field of the transmitter loop over a uniform
// half-space, as the sensor coil and the receiver's front end turn it into volts; or the
// receiver's internal test generator, which feeds a copy of the transmitter current through an
// RC filter into the input instead of the sensor. The response to a ramp is the response to a
// step averaged over the ramp.
#pragma once

#include <cstdint>

constexpr int32_t SignalDecayTerms = 4;

// Sources of the receiver response.
constexpr int32_t DecayModelExponentials = 0;
constexpr int32_t DecayModelHalfSpace = 1;
constexpr int32_t DecayModelTestSource = 2;

// Magnetic constant, H/m.
constexpr double VacuumPermeability = 4.0e-7 * 3.14159265358979323846;
// The receiver front end: volts at the board input per volt of sensor coil, before the gain
// stage. The program adds the two half-cycles of a period into one reading, so each half
// carries half of 10^9 / 300000: a stacked reading in nV/m2 is then mu0 dh/dt itself.
constexpr double FrontEndVoltsPerCoilVolt = 0.5e9 / 300000.0;

struct SignalModel {
    double ScanRateHz = 480000.0;  // scans per second (the board's read-back clock)
    double RepetitionRate = 30.0;  // Hz
    double StartTimeUs = 0.0;      // transmitter time of the first scan
    double SyncVolts = 9.5;        // sync channel while the counter output is on
    // From each counter edge to the end of the current's ramp, the decay's time zero; negative
    // when the transmitter switches ahead of the counter.
    double TurnOffDelayUs = 0.0;
    double RampUs = 0.0;  // linear ramp of every switch, held to a quarter period
    int32_t DecayTermCount = 3;
    double DecayVolts[SignalDecayTerms] = {2.0, 0.2, 0.02, 0.0};  // at the step, before gain
    double DecayTimeUs[SignalDecayTerms] = {30.0, 300.0, 3000.0, 1.0};
    double ChannelFactor[4] = {0.3, 0.0, 0.5, 1.0};  // response per channel (1 is the sync)
    int32_t GainCode = 5;                            // receiver gain 2^(code - 5) on channels 0, 2, 3
    double OffsetVolts = 0.0;                        // receiver offset on channels 0, 2, 3 (what nulling removes)
    // Hum and noise enter with the sensor's signal, before the gain stage.
    double HumVolts = 0.0;  // mains hum amplitude
    double HumHz = 60.0;
    double NoiseVolts = 0.0;   // rms, every sample of channels 0, 2 and 3
    double SpikeRateHz = 0.0;  // impulsive spikes per second on channels 0, 2, 3
    double SpikeVolts = 0.0;
    double RangeMin = -10.0;  // converter input range, volts
    double RangeMax = 10.0;
    int32_t Resolution = 16;  // bits, 1..16
    uint64_t Seed = 1;
    int32_t DecayModel = DecayModelExponentials;
    // Half-space: the ground, the transmitter loop (the circle of its area) and the sensor.
    double ResistivityOhmM = 100.0;
    double LoopAreaM2 = 5000.0;
    double AmpereTurns = 3.0;    // current x turns
    double SensorAreaM2 = 31.4;  // effective area of the receiver coil
    // Test source: volts at the receiver input for full current, and the RC time constant
    // (0: the current itself, the "DC" test).
    double TestSourceVolts = 0.0;
    double TestTimeConstantUs = 0.0;
};

// Where a generator stands in its stream.
struct SignalGeneratorState {
    int64_t NextSample = 0;  // absolute index of the next sample (4 per scan)
    uint64_t Random = 0;
    int32_t HaveSpare = 0;  // Gaussian numbers come in pairs
    double Spare = 0.0;
    // The receiver response is worked out once per scan and shared by its channels.
    int64_t ResponseScan = -1;
    double Response = 0.0;
    double Spike = 0.0;  // of the current scan, drawn with its channel 0
};

// Starts a stream at its first sample.
void StartSignal(const SignalModel& model, SignalGeneratorState& state);

// Writes the next count samples (channel = absolute index mod 4) as straight-binary codes of
// the model's range and resolution, clipped at the ends of the range. A stream cut into any
// pieces gives the same samples as one piece.
void GenerateSamples(const SignalModel& model, SignalGeneratorState& state, uint16_t* out, int32_t count);

// Noise-free model values, for tests and for checking a gate against the model.
double ScanTimeUs(const SignalModel& model, int64_t scan);
double RepetitionPeriodUs(const SignalModel& model);
// The counter output that the sync channel carries: +1, 0 or -1.
double CounterOutput(const SignalModel& model, double timeUs);
// Transmitter current in units of full current, -1..1.
double TransmitterCurrent(const SignalModel& model, double timeUs);
// Response to one ideal switch-off of full positive current, t microseconds after it (0
// before).
double StepResponse(const SignalModel& model, double tUs);
// Response to one switch-off of full positive current through the model's ramp, t
// microseconds after the end of the ramp: the step response averaged over the ramp (0 before
// the ramp starts).
double RampResponse(const SignalModel& model, double tUs);
// Channel 3 response before gain, offset, hum and noise.
double ReceiverResponse(const SignalModel& model, double timeUs);
// What a channel reads without noise or spikes, volts.
double ModelChannelVolts(const SignalModel& model, int32_t channel, double timeUs);

// Uniform half-space, receiver at the centre of a circular transmitter loop of radius
// radiusM carrying ampereTurns, conductivity in S/m: mu0 dh_z/dt in T/s (V/m2) at tSeconds
// after a step turn-off,
//   mu0 dh_z/dt = -I / (sigma a^3) [3 erf(theta a) - (2/sqrt(pi)) theta a (3 + 2 theta^2 a^2)
//                                   exp(-theta^2 a^2)],  theta = sqrt(mu0 sigma / (4 t)).
// Early it tends to -3 I / (sigma a^3), late to -I a^2 sigma^1.5 mu0^2.5 / (20 sqrt(pi) t^2.5).
// 0 for t not above 0; NaN when radius or conductivity is not above 0 or a value is NaN.
double HalfSpaceDbzDt(double ampereTurns, double radiusM, double conductivity, double tSeconds);
// The bracket of the formula above as a function of x = theta a: 3 at x = infinity, about
// 8 x^5 / (5 sqrt(pi)) for small x; 0 for x not above 0.
double HalfSpaceShape(double x);
// The field itself after the step turn-off, B_z = mu0 I / (2 a) F(theta a), in T at tSeconds:
//   F(x) = 3 exp(-x^2) / (sqrt(pi) x) + (1 - 3 / (2 x^2)) erf(x),
// the loop's static field at t = 0 (F(infinity) = 1) decaying as 8 x^3 / (15 sqrt(pi)). Its
// time derivative is HalfSpaceDbzDt. The field at 0 or before for t not above 0; NaN as
// HalfSpaceDbzDt.
double HalfSpaceBz(double ampereTurns, double radiusM, double conductivity, double tSeconds);
// F above; 1 for x = infinity, 0 for x not above 0.
double HalfSpaceFieldShape(double x);
// Radius of the circle with the loop's area, m; 0 for an area not above 0.
double EquivalentLoopRadius(double loopAreaM2);
// Volts at the board input before the gain stage for a rate of change of the field dBz/dt
// (T/s) through a coil of the given effective area: -A dBz/dt times the front end.
double FrontEndVolts(double sensorAreaM2, double dBzDt);

// The straight-binary code of a voltage: code = (v - min) / (max - min) x 2^resolution,
// rounded, held to 0 .. 2^resolution - 1.
uint16_t VoltsToCode(double volts, double rangeMin, double rangeMax, int32_t resolution);
