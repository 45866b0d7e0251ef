#include "qzdaapi32/frequency_win.h"

#include "qzdaapi32/copy_thread_win.h"
#include "qzdaapi32/frequency.h"
#include "qzdaapi32/qzdaapi32.h"

#include <mmsystem.h>
#include <windows.h>

namespace {

// The record keeps 32-bit words for the window and the subsystem (the driver's layout).
// Window handles have 32 significant bits in 64-bit Windows as well, sign-extended when
// widened back. The subsystem word is for the driver only and never read back here: it holds
// the handle's low 32 bits in the 64-bit build.
uint32_t WindowWord(QzWindowHandle window)
{
    return static_cast<uint32_t>(HandleToLong(window));
}
HWND WindowFromWord(uint32_t word)
{
    return static_cast<HWND>(LongToHandle(static_cast<LONG>(word)));
}
uint32_t SubsystemWord(SubsystemHandle s)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(s) & 0xFFFFFFFFu);
}

struct Measurement {
    uintptr_t window = 0;
    double seconds = 0.0;
    NotificationTarget notify;
};

// What the measurement stored in the subsystem's record, read under its lock; false when the
// handle is no longer open.
bool ReadMeasurement(SubsystemHandle handle, Measurement* m)
{
    SubsystemUse use(handle);
    if (!use)
        return false;
    EnterCriticalSection(&use->lock);
    m->window = reinterpret_cast<uintptr_t>(WindowFromWord(Get32(use->core.configuration, CfgFrequencyWindow)));
    m->seconds = GetDouble(use->core.configuration, CfgFrequencyDuration);
    m->notify = use->core.notify.Get();
    LeaveCriticalSection(&use->lock);
    return true;
}

// MeasureFrequencyTimerProc, on the multimedia timer's thread.
void CALLBACK MeasureFrequencyTimerProc(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    SubsystemHandle handle = reinterpret_cast<SubsystemHandle>(user);
    {
        // The timer has fired: the release has nothing left to kill.
        SubsystemUse use(handle);
        if (!use)
            return;
        InterlockedCompareExchange(&use->frequencyTimer, 0, static_cast<LONG>(id));
    }
    Measurement m;
    if (!ReadMeasurement(handle, &m))
        return;
    uint32_t count = 0;
    if (qzDaReadEvents(handle, &count) != QZERR_NO_ERROR) {
        qzDaStop(handle);
        count = 0;
    }
    qzDaStop(handle);
    if (!FrequencyDurationValid(m.seconds))
        return;
    const uint32_t bits = FrequencyBits(FrequencyFromCount(count, m.seconds));
    PostMessageA(reinterpret_cast<HWND>(m.window), QZMSG_FREQUENCY, reinterpret_cast<WPARAM>(handle), bits);
    if (AlsoPostToNotifyWindow(m.notify.window, m.window, m.notify.procedure))
        PostMessageA(reinterpret_cast<HWND>(m.notify.window), QZMSG_FREQUENCY, m.notify.wParam, bits);
    if (m.notify.procedure != 0)
        reinterpret_cast<QzNotifyProc>(m.notify.procedure)(QZMSG_FREQUENCY, handle, static_cast<intptr_t>(bits));
}

}  // namespace

QZSTATUS QZDA_CALL qzDaMeasureFrequency(SubsystemHandle s, QzWindowHandle window, double seconds)
{
    if (!IsOpenSubsystem(s))
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    if (window == nullptr)
        return QZERR_NO_WINDOW_HANDLE_SPECIFIED_FOR_FREQUENCY_MEASUREMENT;
    if (!FrequencyDurationValid(seconds))
        return QZERR_INVALID_COUNT_DURATION_FOR_FREQUENCY_MEASUREMENT;
    QZSTATUS status = qzDaSetCTMode(s, CounterMode700);
    if (status == QZERR_NO_ERROR)
        status = qzDaConfig(s);
    uint32_t bits = 0;
    if (status == QZERR_NO_ERROR)
        status = qzDaGetResolution(s, &bits);
    if (status != QZERR_NO_ERROR)
        return status;
    {
        SubsystemUse use(s);
        if (!use)
            return QZERR_INVALID_SUBSYSTEM_HANDLE;
        EnterCriticalSection(&use->lock);
        Put32(use->core.configuration, CfgFrequencyWindow, WindowWord(window));
        PutDouble(use->core.configuration, CfgFrequencyDuration, seconds);
        Put32(use->core.configuration, CfgFrequencySubsystem, SubsystemWord(s));
        LeaveCriticalSection(&use->lock);
    }
    status = qzDaStart(s);
    if (status != QZERR_NO_ERROR) {
        qzDaStop(s);
        return status;
    }
    SubsystemUse use(s);
    if (!use)
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    // A previous measurement's timer that has not fired yet is replaced, not left running.
    const LONG previous = InterlockedExchange(&use->frequencyTimer, 0);
    if (previous != 0)
        timeKillEvent(static_cast<UINT>(previous));
    const UINT timer = timeSetEvent(FrequencyTimerMs(seconds), 0, MeasureFrequencyTimerProc,
                                    reinterpret_cast<DWORD_PTR>(s), TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
    if (timer == 0) {
        // Without the timer nothing would ever stop the counter.
        qzDaStop(s);
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    }
    InterlockedExchange(&use->frequencyTimer, static_cast<LONG>(timer));
    return QZERR_NO_ERROR;
}

void KillFrequencyTimer(SubsystemRecord* subsystem)
{
    const LONG timer = InterlockedExchange(&subsystem->frequencyTimer, 0);
    if (timer != 0)
        timeKillEvent(static_cast<UINT>(timer));
}
