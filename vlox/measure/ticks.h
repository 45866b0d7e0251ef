// Tick-count arithmetic of the measurement cycle. The system tick count is 32-bit
// milliseconds and wraps after 49.7 days; comparing two tick values directly fails across
// the wrap, so every comparison goes through the difference.
#pragma once

#include <cstdint>

// Milliseconds from start to now, correct across one wrap of the counter.
inline uint32_t TicksSince(uint32_t now, uint32_t start)
{
    return now - start;
}

// 1 once now has reached target (target no more than 2^31 - 1 ms ahead), also across the wrap.
inline int32_t TickReached(uint32_t now, uint32_t target)
{
    return static_cast<int32_t>(now - target) >= 0 ? 1 : 0;
}
