#include "vlox/settings/textconv.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TextConversion, HighBytesSignExtendOrZeroExtend)
{
    const char src[] = "\xE9";
    WideChar wide[2] = {1, 1};
    NarrowToWide(src, wide);
    EXPECT_EQ(static_cast<uint16_t>(wide[0]), 0xFFE9);
    EXPECT_EQ(wide[1], 0);
    BytesToWide(src, wide);
    EXPECT_EQ(static_cast<uint16_t>(wide[0]), 0x00E9);
    EXPECT_EQ(wide[1], 0);
}

TEST(TextConversion, WideToNarrowKeepsLowByte)
{
    const WideChar src[] = {0x20AC, 0x41, 0};
    char out[3] = {1, 1, 1};
    WideToNarrow(src, out);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 0xAC);
    EXPECT_EQ(out[1], 'A');
    EXPECT_EQ(out[2], 0);
}

TEST(TextConversion, AsciiRoundTripsAndEmptyIsTerminated)
{
    std::string all;
    for (int c = 1; c < 0x80; ++c)
        all.push_back(static_cast<char>(c));
    std::vector<WideChar> wide(all.size() + 1, 7);
    NarrowToWide(all.c_str(), wide.data());
    std::vector<char> back(all.size() + 1, 7);
    WideToNarrow(wide.data(), back.data());
    EXPECT_EQ(std::string(back.data()), all);
    EXPECT_EQ(WideToNarrow(NarrowToWide(all)), all);

    WideChar w[1] = {5};
    NarrowToWide("", w);
    EXPECT_EQ(w[0], 0);
    char n[1] = {5};
    WideToNarrow(w, n);
    EXPECT_EQ(n[0], 0);
}

TEST(TextConversion, StringFormsFollowTheSameRules)
{
    WideString w = NarrowToWide(std::string("a\xE9"));
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(static_cast<uint16_t>(w[1]), 0xFFE9);
    EXPECT_EQ(WideToNarrow(w), std::string("a\xE9"));
}

namespace {
// A fake tick counter that advances a fixed step per read.
struct SteppingTicks {
    uint32_t now;
    uint32_t step;
    int reads = 0;
    uint32_t operator()()
    {
        ++reads;
        uint32_t t = now;
        now += step;
        return t;
    }
};
}  // namespace

TEST(DelayMs, WaitsPastTheRequestAndAcrossTheWrap)
{
    SteppingTicks t{0xFFFFFFF0u, 1};
    int32_t elapsed = DelayMsWith(40, std::ref(t));
    EXPECT_EQ(elapsed, 41);  // at least the request plus one tick, across 2^32

    SteppingTicks z{100, 0};
    int n = 0;
    // With 0 it returns once the counter has moved by at least one millisecond.
    TickSource moving = [&]() -> uint32_t { return n++ < 5 ? 100u : 101u; };
    EXPECT_EQ(DelayMsWith(0, moving), 1);

    SteppingTicks still{5, 0};
    EXPECT_EQ(DelayMsWith(-3, std::ref(still)), 0);  // negative: at once
    EXPECT_EQ(still.reads, 2);
    (void)z;
}
