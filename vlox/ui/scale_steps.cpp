#include "vlox/ui/scale_steps.h"

#include <cmath>

#include "vlox/ui/commands.h"

double DecadeStep(double magnitude)
{
    if (!(magnitude > 0.1) || !std::isfinite(magnitude))
        return 0.0;
    // Powers of ten by products of ten: exact up to 1e22, and never through the logarithm,
    // whose result for a power of ten may fall just short of the integer.
    double p = 1.0;
    while (p * 10.0 <= magnitude)
        p *= 10.0;
    return p;
}

namespace {

// A bottom strictly between -1 and 0 becomes -1, strictly between 0 and 1 becomes 0.
double SnapBottom(double b)
{
    if (b > -1.0 && b < 0.0)
        return -1.0;
    if (b > 0.0 && b < 1.0)
        return 0.0;
    return b;
}

bool TopDown(double& top, double bottom)
{
    const double whole = std::trunc(top);
    if (whole == 1.0 || !(top > 0.0))
        return false;
    const double step = DecadeStep(top);
    const double t = step == whole ? top - top / 10.0 : top - step;
    // The bottom is never left at or above the top: the old top stays, yet the plot is redrawn.
    if (!(bottom >= t))
        top = t;
    return true;
}

bool TopUp(double& top)
{
    if (!(top > 0.0))
        return false;
    const double t = top + DecadeStep(top);
    if (!std::isfinite(t))
        return false;
    top = t;
    return true;
}

// The decade a bottom steps by: its own size, or for a bottom of 0 that of the bottom before.
double BottomDecade(double bottom, double bottomDecadeBase)
{
    return DecadeStep(bottom == 0.0 ? bottomDecadeBase : std::fabs(bottom));
}

bool BottomDown(double& bottom, double bottomDecadeBase)
{
    if (bottom > 0.0 && bottom < 1.0) {
        bottom = 0.0;
        return true;
    }
    const double step = BottomDecade(bottom, bottomDecadeBase);
    const double b = step == std::trunc(bottom) ? bottom - bottom / 10.0 : bottom - step;
    if (!std::isfinite(b))
        return false;
    bottom = SnapBottom(b);
    return true;
}

bool BottomUp(double top, double& bottom, double bottomDecadeBase)
{
    const double old = bottom;
    const double whole = std::trunc(bottom);
    double b;
    if (whole == -1.0)
        b = 0.0;
    else if (whole == 0.0)
        b = 1.0;
    else if (whole == 1.0)
        b = 2.0;
    else {
        const double s =
            bottom < 0.0 ? -BottomDecade(bottom, bottomDecadeBase) : BottomDecade(bottom, bottomDecadeBase);
        if (bottom < 0.0)
            b = s == whole ? bottom - bottom / 10.0 : bottom - s;
        else
            b = bottom + s;
    }
    if (!std::isfinite(b))
        return false;
    bottom = top > b ? b : old;
    return true;
}

}  // namespace

bool StepAmplitudeScale(ScaleStep step, double& top, double& bottom, double bottomDecadeBase)
{
    if (!std::isfinite(top) || !std::isfinite(bottom))
        return false;
    switch (step) {
    case ScaleStep::TopDown:
        return TopDown(top, bottom);
    case ScaleStep::TopUp:
        return TopUp(top);
    case ScaleStep::BottomDown:
        return BottomDown(bottom, bottomDecadeBase);
    case ScaleStep::BottomUp:
        return BottomUp(top, bottom, bottomDecadeBase);
    }
    return false;
}

bool ScaleStepOfCommand(int32_t command, ScaleStep& step)
{
    switch (command) {
    case CmdTopOfScaleDown:
        step = ScaleStep::TopDown;
        return true;
    case CmdBottomOfScaleDown:
        step = ScaleStep::BottomDown;
        return true;
    case CmdTopOfScaleUp:
        step = ScaleStep::TopUp;
        return true;
    case CmdBottomOfScaleUp:
        step = ScaleStep::BottomUp;
        return true;
    default:
        return false;
    }
}
