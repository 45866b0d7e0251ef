#include "vlox/display/profile_pens_win.h"

HPEN ProfilePens[CurveCount] = {};
HPEN ProfilePensBold[CurveCount] = {};

namespace {

void DeletePens(HPEN (&pens)[CurveCount])
{
    for (HPEN& pen : pens) {
        if (pen != nullptr)
            DeleteObject(pen);
        pen = nullptr;
    }
}

}  // namespace

int32_t BoldProfileWidth(int32_t width)
{
    return 3 * width + 3;
}

void CreateProfilePens(int32_t)
{
    // The pens in use are selected into no device context between paints, so they can go.
    DeletePens(ProfilePens);
    DeletePens(ProfilePensBold);
    for (int32_t i = 0; i < CurveCount; ++i) {
        const int32_t width = Settings.LineWidths[i] >= 0 && Settings.LineWidths[i] <= 4 ? Settings.LineWidths[i] : 1;
        const COLORREF colour = static_cast<COLORREF>(Settings.LineColours[i]) & 0x00FFFFFF;
        ProfilePens[i] = CreatePen(PS_SOLID, width, colour);
        ProfilePensBold[i] = CreatePen(PS_SOLID, BoldProfileWidth(width), colour);
    }
}
