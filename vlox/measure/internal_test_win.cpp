#include "vlox/measure/internal_test_win.h"

#include <windows.h>

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/settings/textconv.h"
#include "vlox/common/screen_state.h"
#include "vlox/common/program_windows_win.h"

namespace {

HBRUSH PanelFillBrush()
{
    return DrawingObjects.PanelBrush != nullptr ? DrawingObjects.PanelBrush : GetSysColorBrush(COLOR_BTNFACE);
}

void Fill(HDC dc, const FieldRect& f)
{
    const RECT r = {f.left, f.top, f.right, f.bottom};
    FillRect(dc, &r, PanelFillBrush());
}

// One line centred in the band, in the font selected now, with y as its top.
void CentredLine(HDC dc, const TestBlockLayout& block, int32_t line, const char* text)
{
    const WideString wide = NarrowToWide(std::string(text));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TextOutW(dc, CentredTestTextX(block, size.cx), block.LineY[line], wide.c_str(), static_cast<int>(wide.size()));
}

TestBlockLayout CurrentTestBlock()
{
    return ComputeTestBlockLayout(TestBlockInputFor(MainScreenLayout));
}

}  // namespace

void DrawInternalTest(int32_t test, int32_t mode)
{
    if (hWndMain == nullptr)
        return;
    WindowDc window(hWndMain);
    if (!window)
        return;
    HDC dc = window.get();
    const TestBlockLayout block = CurrentTestBlock();
    // The block ends with the normal font selected; the outer guard hands the DC back with
    // the font it came with.
    SelectGuard normal(dc, hFontNormal);
    {
        SelectGuard bold(dc, hFontBold);
        const int previousMode = SetBkMode(dc, TRANSPARENT);
        switch (mode) {
        case 0:
            CentredLine(dc, block, 0, TestModeTitle);
            Fill(dc, block.TimeConstantFill);
            if (test >= 0 && test < InternalTestCount)
                CentredLine(dc, block, 1, TestTimeConstantTexts[test]);
            Fill(dc, block.StatusFill);
            CentredLine(dc, block, 2, TestPleaseWaitText);
            break;
        case 1:
            Fill(dc, block.ClearFill);
            break;
        case 2:
            Fill(dc, block.StatusFill);
            CentredLine(dc, block, 2, TestVerdictText(EvaluateInternalTest(test)));
            break;
        default:
            break;
        }
        SetBkMode(dc, previousMode);
    }
}
