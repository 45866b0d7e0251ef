#include "qzdaapi32/frequency.h"

#include <cstring>

bool FrequencyDurationValid(double seconds)
{
    return seconds >= 0.001 && seconds <= 4294967.0;
}

uint32_t FrequencyTimerMs(double seconds)
{
    return static_cast<uint32_t>(seconds * 1000.0);
}

float FrequencyFromCount(uint32_t count, double seconds)
{
    return static_cast<float>(static_cast<double>(count) / seconds);
}

uint32_t FrequencyBits(float frequency)
{
    uint32_t bits;
    std::memcpy(&bits, &frequency, sizeof bits);
    return bits;
}

bool AlsoPostToNotifyWindow(uintptr_t notifyWindow, uintptr_t measuringWindow, uintptr_t procedure)
{
    return notifyWindow != 0 && notifyWindow != measuringWindow && procedure == 0;
}
