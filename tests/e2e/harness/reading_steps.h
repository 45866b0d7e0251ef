// The operator's Measure-then-Store step on V-LOX's main window, shared by the end-to-end
// tests that store readings.
#pragma once

#include "tests/e2e/harness/e2e_harness_win.h"

#include <functional>
#include <string>

namespace e2e {

// Buttons of the main window the step presses or watches.
const int VloxMeasureButton = 433, VloxStopButton = 434, VloxStoreButton = 435, VloxRepeatButton = 462;

// Measure, the reading-complete screen within readingTimeoutMs, Store: back to the idle
// buttons with "Repeat Last Station" offered. atComplete runs once the reading has ended,
// before Store. Empty when every step came, else the step that did not.
inline std::string MeasureAndStore(Program& program, HWND main, DWORD readingTimeoutMs,
                                   const std::function<void()>& atComplete = {})
{
    auto shown = [main](int id) { return IsShown(Control(main, id)); };
    HWND measure = Control(main, VloxMeasureButton);
    if (!WaitUntil([&] { return IsShown(measure) && IsEnabled(measure); }, 10000))
        return "MEASURE is not offered";
    if (!ClickButton(measure))
        return "MEASURE cannot be pressed";
    if (!WaitUntil([&] { return shown(VloxStopButton); }, 5000))
        return "the reading did not start";
    if (!WaitUntil([&] { return shown(VloxStoreButton) && !shown(VloxStopButton); }, readingTimeoutMs))
        return "the reading did not end";
    if (atComplete)
        atComplete();
    if (!WaitUntil([&] { return IsEnabled(Control(main, VloxStoreButton)); }, 5000))
        return "STORE is shown but disabled: nothing was stacked";
    if (!ClickButton(Control(main, VloxStoreButton)))
        return "STORE cannot be pressed";
    if (!WaitUntil([&] { return !shown(VloxStoreButton) && shown(VloxMeasureButton) && shown(VloxRepeatButton); },
                   10000))
        return "Store did not return to the idle buttons";
    if (!program.WaitIdle(5000))
        return "V-LOX is not idle after Store";
    return std::string();
}

}  // namespace e2e
