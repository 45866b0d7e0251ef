#include "qzdaapi32/driver_win.h"

#include "qzdaapi32/commands.h"
#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/requests.h"
#include "standins/qzmem32/qzmem32.h"

namespace {

const DriverPort& PortOf(const SubsystemRecord* subsystem)
{
    return *subsystem->device->port;
}

uint32_t SendForSubsystem(void* context, uint32_t ioctl, uint8_t* record, uint32_t bytes, bool* failed)
{
    SubsystemRecord* subsystem = static_cast<SubsystemRecord*>(context);
    return SendDriverRequest(PortOf(subsystem), subsystem->driver, ioctl, record, bytes, failed);
}

uint32_t MailboxAndWait(void* context, uint32_t request)
{
    return CopyThreadSendAndWait(static_cast<SubsystemRecord*>(context), request);
}

uint32_t MailboxOnly(void* context, uint32_t request)
{
    return CopyThreadSend(static_cast<SubsystemRecord*>(context), request);
}

uint32_t ReadyCount(HBUFLIST list, uint32_t* count)
{
    return MemCountList(list, count);
}
uint32_t MarkValidSamples(HBUF buffer, uint32_t count)
{
    return MemSetValidSamples(buffer, count);
}

}  // namespace

QZSTATUS OpenSubsystemDriver(DeviceRecord* device, uint32_t type, uint32_t element, HANDLE* driver)
{
    const std::string path = SubsystemDevicePath(device->linkName, type, element);
    *driver = OpenDriverPath(*device->port, path.c_str());
    return *driver == INVALID_HANDLE_VALUE ? QZERR_SUBSYSTEM_IN_USE : QZERR_NO_ERROR;
}

QZSTATUS HandleCommandRequest(SubsystemRecord* subsystem, uint32_t code, RequestParams& params)
{
    CommandEnvironment env;
    env.context = subsystem;
    env.send = SendForSubsystem;
    env.hasCopyThread = HasCopyThread(subsystem);
    env.sendAndWait = MailboxAndWait;
    env.sendNoWait = MailboxOnly;
    env.readyCount = ReadyCount;
    env.setValidSamples = MarkValidSamples;
    return HandleCommand(subsystem->core, code, params, env);
}

void AbortThroughDriver(SubsystemRecord* subsystem)
{
    DriverRequest request = NewDriverRequest(subsystem->core.type, subsystem->core.element);
    bool failed = false;
    SendDriverRequest(PortOf(subsystem), subsystem->driver, QZIOCTL_ABORT, request.bytes, kRequestBytes, &failed);
}

QZSTATUS SendDeviceRequest(DeviceRecord* device, uint32_t ioctl, DriverRequest& request)
{
    bool failed = false;
    const uint32_t status =
        SendDriverRequest(*device->port, device->driver, ioctl, request.bytes, kRequestBytes, &failed);
    return failed ? QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS : status;
}
