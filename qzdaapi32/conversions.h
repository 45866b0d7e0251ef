// Conversions between converter codes and volts, and the bounded copy of the values a
// read-all-channels request returns.
#pragma once

#include "qzdaapi32/qzdaapi32.h"

#include <cstdint>

// Checks shared by both directions: resolution 1 to 32 bits (11), encoding 200 or 201 (9),
// minimum below maximum with a finite span (29), gain above 0 (86). NaN fails the range and
// gain checks.
QZSTATUS CheckConversion(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding);

// Volts of a code, with span = maximum - minimum and R = 2^resolution:
//   straight binary (200):  (minimum + code x span / R) / gain
//   two's complement (201): ((minimum + maximum) / 2 + c x span / R) / gain, where c is the
//                           low `resolution` bits of code read as a signed number.
// volts is written only on success.
QZSTATUS CodeToVolts(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding, uint32_t code,
                     double* volts);

// The code of a voltage, x = volts / gain, truncated toward zero and not clamped to the
// converter's range:
//   200: (x - minimum) / span x R, kept within -2147483648 .. 4294967295;
//   201: (x - (minimum + maximum) / 2) / (span / 2) x R / 2, kept within the signed 32-bit
//        limits;
// returned as the 32-bit pattern (a negative code as its two's complement).
// A NaN voltage gives 29. code is written only on success.
QZSTATUS VoltsToCode(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding, double volts,
                     uint32_t* code);

// A read-all-channels request carries one 32-bit value per channel from byte 24 of its
// 336-byte record: room for 78. Copies min(channels, 78) values into out and returns how many.
constexpr uint32_t kDriverRequestBytes = 336;
constexpr uint32_t kSingleValuesOffset = 24;
constexpr uint32_t kMaxSingleValues = (kDriverRequestBytes - kSingleValuesOffset) / 4;
uint32_t CopySingleValues(const uint8_t* request, uint32_t channels, uint32_t* out);
