#include "qzdaapi32/copy_thread_win.h"

QZSTATUS CreateCopyThread(SubsystemRecord* subsystem)
{
    subsystem->copyThread = nullptr;
    return QZERR_NO_ERROR;
}

void DestroyCopyThread(SubsystemRecord* subsystem) { subsystem->copyThread = nullptr; }

uint32_t CopyThreadInProcess(const SubsystemCore&) { return 0; }

bool HasCopyThread(const SubsystemRecord* subsystem) { return subsystem->copyThread != nullptr; }

uint32_t CopyThreadSendAndWait(SubsystemRecord*, uint32_t)
{
    return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
}

uint32_t CopyThreadSend(SubsystemRecord*, uint32_t)
{
    return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
}
