#include "vlox/display/plot_text_win.h"

#include "vlox/settings/textconv.h"

namespace {

SIZE TextSize(HDC dc, const WideString& wide)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

}  // namespace

void DrawNarrowText(HDC dc, int32_t x, int32_t y, const std::string& text)
{
    const WideString wide = NarrowToWide(text);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

int32_t NarrowTextWidth(HDC dc, const std::string& text)
{
    return TextSize(dc, NarrowToWide(text)).cx;
}

void DcTextMeasure::Measure(const std::string& text, int32_t& width, int32_t& height)
{
    const SIZE size = TextSize(dc_, NarrowToWide(text));
    width = size.cx;
    height = size.cy;
}
