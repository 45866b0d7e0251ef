// The 126 exports of qzdaapi32.dll. A subsystem export packs its arguments into a parameter
// record and hands it to SubsystemRequest; device-level exports work on the device record.
// Names, ordinals and argument sizes come from qzdaapi32.exports.
#include "qzdaapi32/board_text.h"
#include "qzdaapi32/conversions.h"
#include "qzdaapi32/discovery_win.h"
#include "qzdaapi32/driver_win.h"
#include "qzdaapi32/error_text.h"
#include "qzdaapi32/frame_win.h"
#include "qzdaapi32/qzdaapi32.h"
#include "qzdaapi32/requests.h"
#include "qzdaapi32/ss_list.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

QZSTATUS SetValue(SubsystemHandle subsystem, uint32_t code, uintptr_t value, uintptr_t second = 0)
{
    RequestParams params;
    params.word0 = value;
    params.word1 = second;
    return SubsystemRequest(subsystem, code, params);
}

QZSTATUS SetReal(SubsystemHandle subsystem, uint32_t code, double value)
{
    RequestParams params;
    params.real0 = value;
    return SubsystemRequest(subsystem, code, params);
}

template <class T>
QZSTATUS GetValue(SubsystemHandle subsystem, uint32_t code, T* out)
{
    RequestParams params;
    QZSTATUS status = SubsystemRequest(subsystem, code, params);
    if (status == QZERR_NO_ERROR && out != nullptr)
        *out = (T)(params.word0);
    return status;
}

QZSTATUS GetReal(SubsystemHandle subsystem, uint32_t code, double* out)
{
    RequestParams params;
    QZSTATUS status = SubsystemRequest(subsystem, code, params);
    if (status == QZERR_NO_ERROR && out != nullptr)
        *out = params.real0;
    return status;
}

// Getters of a list entry: the entry goes in, the value comes back in the second word.
QZSTATUS GetEntryValue(SubsystemHandle subsystem, uint32_t code, uint32_t entry, uint32_t* out)
{
    RequestParams params;
    params.word0 = entry;
    QZSTATUS status = SubsystemRequest(subsystem, code, params);
    if (status == QZERR_NO_ERROR && out != nullptr)
        *out = static_cast<uint32_t>(params.word1);
    return status;
}

QZSTATUS Command(SubsystemHandle subsystem, uint32_t code)
{
    RequestParams params;
    return SubsystemRequest(subsystem, code, params);
}

bool IsCallback(const void* callback)
{
    return IsExecutableAddress(callback);
}

bool SubsystemCanStartTogether(SubsystemHandle handle)
{
    SubsystemUse subsystem(handle);
    return subsystem && SubsystemSlot(subsystem->core, SlotSimultaneousStart) != 0;
}

const SubsystemChecks kStartListChecks = {IsOpenSubsystem, SubsystemCanStartTogether};

// Prestart or start every member of a list in order; the first failure ends it.
QZSTATUS StartListInOrder(SimultaneousStartListHandle list, uint32_t code)
{
    std::vector<SubsystemHandle> members;
    QZSTATUS status = StartListMembers(list, &members);
    if (status == QZERR_NO_ERROR)
        status = CheckStartListMembers(members, kStartListChecks);
    for (size_t i = 0; status == QZERR_NO_ERROR && i < members.size(); ++i)
        status = Command(members[i], code);
    return status;
}

// The exported enumeration callbacks behind the walk's visitor.
struct PlainWalk {
    QzEnumBoardsProc callback;
    intptr_t user;
};

int32_t PlainVisitor(const char* boardName, const char* driverName, BoardSource&, void* user)
{
    const PlainWalk& walk = *static_cast<const PlainWalk*>(user);
    return walk.callback(boardName, driverName, walk.user);
}

struct ExtendedWalk {
    QzEnumBoardsExProc callback;
    intptr_t user;
};

int32_t ExtendedVisitor(const char* boardName, const char* driverName, BoardSource& source, void* user)
{
    const ExtendedWalk& walk = *static_cast<const ExtendedWalk*>(user);
    return walk.callback(boardName, driverName, source.NativeKey(), walk.user);
}

// Stops at the board whose name is the old name.
int32_t BoardNameDiffers(const char* boardName, const char*, BoardSource&, void* user)
{
    return SameBoardName(boardName, static_cast<const char*>(user)) ? 0 : 1;
}

// The FileVersion text of a file's version block into buffer, cut to size - 1 characters.
QZSTATUS FileVersionText(const char* path, char* buffer, uint32_t size)
{
    DWORD ignored = 0;
    DWORD bytes = GetFileVersionInfoSizeA(path, &ignored);
    if (bytes == 0)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    std::vector<char> block(bytes);
    char* text = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, 0, bytes, block.data()) ||
        !VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&text),
                        &length) ||
        text == nullptr)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    CopyCut(text, buffer, size);
    return QZERR_NO_ERROR;
}

}  // namespace

extern "C" {

// ---- devices and subsystems ----

QZSTATUS QZDA_CALL qzDaInitialize(const char* boardName, DeviceHandle* device)
{
    return InitializeBoard(boardName, BoardRoute::BySystem, device);
}

QZSTATUS QZDA_CALL qzDaTerminate(DeviceHandle device)
{
    return RemoveDevice(device);
}

QZSTATUS QZDA_CALL qzDaGetDASS(DeviceHandle handle, uint32_t type, uint32_t element, SubsystemHandle* subsystem)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    if (type >= kSubsystemTypeCount || device->typeCounts == nullptr || element >= device->typeCounts[type])
        return QZERR_INVALID_SUBSYSTEM_SPECIFIED;
    if (subsystem == nullptr)
        return QZERR_CANNOT_ALLOCATE_DASS;
    HANDLE driver = INVALID_HANDLE_VALUE;
    QZSTATUS status = OpenSubsystemDriver(device.get(), type, element, &driver);
    if (status != QZERR_NO_ERROR)
        return status;
    return CreateSubsystem(device.get(), type, element, driver, subsystem);
}

QZSTATUS QZDA_CALL qzDaReleaseDASS(SubsystemHandle subsystem)
{
    return RemoveSubsystem(subsystem);
}

QZSTATUS QZDA_CALL qzDaGetDeviceName(DeviceHandle handle, char* buffer, uint32_t size)
{
    if (!IsWritableRange(buffer, size))
        return QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL;
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    CopyCut(device->boardName, buffer, size);
    return QZERR_NO_ERROR;
}

QZSTATUS QZDA_CALL qzDaGetDASSInfo(SubsystemHandle handle, QzDassInfo* info)
{
    SubsystemUse subsystem(handle);
    if (!subsystem)
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    if (info != nullptr)
        *info = {subsystem->device, subsystem->core.type, subsystem->core.element};
    return QZERR_NO_ERROR;
}

QZSTATUS QZDA_CALL qzDaGetDevCaps(DeviceHandle handle, int32_t type, uint32_t* count)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    if (type != SubsystemTypeAll && (type < 0 || type >= static_cast<int32_t>(kSubsystemTypeCount)))
        return QZERR_INVALID_SUBSYSTEM_SPECIFIED;
    uint32_t total = 0;
    for (uint32_t t = 0; t < kSubsystemTypeCount; ++t) {
        if (device->typeCounts != nullptr && (type == SubsystemTypeAll || type == static_cast<int32_t>(t)))
            total += device->typeCounts[t];
    }
    if (count != nullptr)
        *count = total;
    return QZERR_NO_ERROR;
}

QZSTATUS QZDA_CALL qzDaGetSSCaps(SubsystemHandle subsystem, uint32_t index, uint32_t* value)
{
    RequestParams params;
    params.word0 = index;
    QZSTATUS status = SubsystemRequest(subsystem, QZDRV_GETSSCAPS, params);
    if (status == QZERR_NO_ERROR && value != nullptr)
        *value = static_cast<uint32_t>(params.word0);
    return status;
}

QZSTATUS QZDA_CALL qzDaGetSSCapsEx(SubsystemHandle subsystem, uint32_t index, double* value)
{
    RequestParams params;
    params.word0 = index;
    QZSTATUS status = SubsystemRequest(subsystem, QZDRV_GETSSCAPS, params);
    if (status == QZERR_NO_ERROR && value != nullptr)
        *value = params.real0;
    return status;
}

QZSTATUS QZDA_CALL qzDaEnumSubSystems(DeviceHandle handle, QzEnumSubsystemsProc callback, intptr_t userData)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    if (!IsCallback(reinterpret_cast<const void*>(callback)))
        return QZERR_ENUM_PROC_CALLBACK_NULL;
    if (device->typeCounts == nullptr)
        return QZERR_NO_ERROR;
    for (uint32_t type = 0; type < kSubsystemTypeCount; ++type) {
        for (uint32_t element = 0; element < device->typeCounts[type]; ++element) {
            std::string name = SubsystemUnitName(type, element);
            if (callback(name.c_str(), type, element, userData) == 0)
                return QZERR_NO_ERROR;
        }
    }
    return QZERR_NO_ERROR;
}

QZSTATUS QZDA_CALL qzDaEnumSSCaps(SubsystemHandle subsystem, uint32_t kind, QzEnumCapsProc callback, intptr_t userData)
{
    if (!IsOpenSubsystem(subsystem))
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    if (!IsCallback(reinterpret_cast<const void*>(callback)))
        return QZERR_ENUM_PROC_CALLBACK_NULL;
    uint32_t countSlot, first, second = 0;
    switch (kind) {
    case CapKindFilters:
        countSlot = SlotFilterCount;
        first = CapFilter;
        break;
    case CapKindRanges:
        countSlot = SlotRangeCount;
        first = CapRangeMaximum;
        second = CapRangeMinimum;
        break;
    case CapKindGains:
        countSlot = SlotGainCount;
        first = CapGain;
        break;
    case CapKindResolutions:
        countSlot = SlotResolutionCount;
        first = CapResolution;
        break;
    default:
        return QZERR_CANNOT_ENUMERATE_THIS_CAPABILITY;
    }
    RequestParams params;
    params.word0 = countSlot;
    QZSTATUS status = SubsystemRequest(subsystem, QZDRV_GETSSCAPS, params);
    uint32_t count = static_cast<uint32_t>(params.word0);
    for (uint32_t entry = 0; status == QZERR_NO_ERROR && entry < count; ++entry) {
        RequestParams a;
        a.word0 = first;
        a.word1 = entry;
        status = SubsystemRequest(subsystem, QZDRV_GETSSCAPS, a);
        double secondValue = 0.0;
        if (status == QZERR_NO_ERROR && second != 0) {
            RequestParams b;
            b.word0 = second;
            b.word1 = entry;
            status = SubsystemRequest(subsystem, QZDRV_GETSSCAPS, b);
            secondValue = b.real0;
        }
        if (status == QZERR_NO_ERROR && callback(kind, a.real0, secondValue, userData) == 0)
            break;
    }
    return status;
}

QZSTATUS QZDA_CALL qzDaEnumBoards(QzEnumBoardsProc callback, intptr_t userData)
{
    if (!IsCallback(reinterpret_cast<const void*>(callback)))
        return QZERR_ENUM_PROC_CALLBACK_NULL;
    PlainWalk walk{callback, userData};
    return EnumBoardsByRoute(BoardRoute::BySystem, PlainVisitor, &walk, nullptr).count == 0
               ? QZERR_NO_QUENZOR_BOARDS_INSTALLED
               : QZERR_NO_ERROR;
}

QZSTATUS QZDA_CALL qzDaEnumBoardsEx(QzEnumBoardsExProc callback, intptr_t userData)
{
    if (!IsCallback(reinterpret_cast<const void*>(callback)))
        return QZERR_ENUM_PROC_CALLBACK_NULL;
    ExtendedWalk walk{callback, userData};
    return EnumBoardsByRoute(BoardRoute::BySystem, ExtendedVisitor, &walk, nullptr).count == 0
               ? QZERR_NO_QUENZOR_BOARDS_INSTALLED
               : QZERR_NO_ERROR;
}

QZSTATUS QZDA_CALL qzDaModifyQuenzorBoardName(const char* oldName, const char* newName)
{
    if (newName == nullptr)
        return QZERR_NO_QUENZOR_BOARDS_INSTALLED;
    const BoardWalk walk =
        EnumBoardsByRoute(BoardRoute::BySystem, BoardNameDiffers, const_cast<char*>(oldName), newName);
    return walk.stopped ? QZERR_NO_ERROR : QZERR_NO_QUENZOR_BOARDS_INSTALLED;
}

QZSTATUS QZDA_CALL qzDaGetBoardInfo(const char* boardName, char* driverName, char* modelName, uint32_t size,
                                    uint32_t* instanceNumber)
{
    return BoardInfo(boardName, driverName, modelName, size, instanceNumber);
}

// ---- set/get family ----

QZSTATUS QZDA_CALL qzDaSetDmaUsage(SubsystemHandle s, uint32_t channels)
{
    return SetValue(s, QZDRV_SETDMAUSAGE, channels);
}
QZSTATUS QZDA_CALL qzDaGetDmaUsage(SubsystemHandle s, uint32_t* channels)
{
    return GetValue(s, QZDRV_GETDMAUSAGE, channels);
}
QZSTATUS QZDA_CALL qzDaSetTriggeredScanUsage(SubsystemHandle s, uint32_t flag)
{
    return SetValue(s, QZDRV_SETTRIGGEREDSCANUSAGE, flag);
}
QZSTATUS QZDA_CALL qzDaGetTriggeredScanUsage(SubsystemHandle s, uint32_t* flag)
{
    return GetValue(s, QZDRV_GETTRIGGEREDSCANUSAGE, flag);
}
QZSTATUS QZDA_CALL qzDaSetChannelListSize(SubsystemHandle s, uint32_t size)
{
    return SetValue(s, QZDRV_SETCHANNELLISTSIZE, size);
}
QZSTATUS QZDA_CALL qzDaGetChannelListSize(SubsystemHandle s, uint32_t* size)
{
    return GetValue(s, QZDRV_GETCHANNELLISTSIZE, size);
}

QZSTATUS QZDA_CALL qzDaSetChannelListEntry(SubsystemHandle s, uint32_t entry, uint32_t channel)
{
    return SetValue(s, QZDRV_SETCHANNELLISTENTRY, entry, channel);
}

QZSTATUS QZDA_CALL qzDaGetChannelListEntry(SubsystemHandle s, uint32_t entry, uint32_t* channel)
{
    return GetEntryValue(s, QZDRV_GETCHANNELLISTENTRY, entry, channel);
}

QZSTATUS QZDA_CALL qzDaSetGainListEntry(SubsystemHandle s, uint32_t entry, double gain)
{
    RequestParams params;
    params.word0 = entry;
    params.real0 = gain;
    return SubsystemRequest(s, QZDRV_SETGAINLISTENTRY, params);
}

QZSTATUS QZDA_CALL qzDaGetGainListEntry(SubsystemHandle s, uint32_t entry, double* gain)
{
    RequestParams params;
    params.word0 = entry;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETGAINLISTENTRY, params);
    if (status == QZERR_NO_ERROR && gain != nullptr)
        *gain = params.real0;
    return status;
}

QZSTATUS QZDA_CALL qzDaSetChannelFilter(SubsystemHandle s, uint32_t entry, double filter)
{
    RequestParams params;
    params.word0 = entry;
    params.real0 = filter;
    return SubsystemRequest(s, QZDRV_SETCHANNELFILTER, params);
}

QZSTATUS QZDA_CALL qzDaGetChannelFilter(SubsystemHandle s, uint32_t entry, double* filter)
{
    RequestParams params;
    params.word0 = entry;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETCHANNELFILTER, params);
    if (status == QZERR_NO_ERROR && filter != nullptr)
        *filter = params.real0;
    return status;
}

QZSTATUS QZDA_CALL qzDaSetRange(SubsystemHandle s, double maximum, double minimum)
{
    RequestParams params;
    params.real0 = maximum;
    params.real1 = minimum;
    return SubsystemRequest(s, QZDRV_SETRANGE, params);
}

QZSTATUS QZDA_CALL qzDaGetRange(SubsystemHandle s, double* maximum, double* minimum)
{
    RequestParams params;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETRANGE, params);
    if (status == QZERR_NO_ERROR) {
        if (maximum != nullptr)
            *maximum = params.real0;
        if (minimum != nullptr)
            *minimum = params.real1;
    }
    return status;
}

QZSTATUS QZDA_CALL qzDaSetChannelType(SubsystemHandle s, uint32_t type)
{
    return SetValue(s, QZDRV_SETCHANNELTYPE, type);
}
QZSTATUS QZDA_CALL qzDaGetChannelType(SubsystemHandle s, uint32_t* type)
{
    return GetValue(s, QZDRV_GETCHANNELTYPE, type);
}
QZSTATUS QZDA_CALL qzDaSetEncoding(SubsystemHandle s, uint32_t encoding)
{
    return SetValue(s, QZDRV_SETENCODING, encoding);
}
QZSTATUS QZDA_CALL qzDaGetEncoding(SubsystemHandle s, uint32_t* encoding)
{
    return GetValue(s, QZDRV_GETENCODING, encoding);
}
QZSTATUS QZDA_CALL qzDaSetTrigger(SubsystemHandle s, uint32_t source)
{
    return SetValue(s, QZDRV_SETTRIGGER, source);
}
QZSTATUS QZDA_CALL qzDaGetTrigger(SubsystemHandle s, uint32_t* source)
{
    return GetValue(s, QZDRV_GETTRIGGER, source);
}
QZSTATUS QZDA_CALL qzDaSetResolution(SubsystemHandle s, uint32_t bits)
{
    return SetValue(s, QZDRV_SETRESOLUTION, bits);
}
QZSTATUS QZDA_CALL qzDaGetResolution(SubsystemHandle s, uint32_t* bits)
{
    return GetValue(s, QZDRV_GETRESOLUTION, bits);
}
QZSTATUS QZDA_CALL qzDaSetClockSource(SubsystemHandle s, uint32_t source)
{
    return SetValue(s, QZDRV_SETCLOCKSOURCE, source);
}
QZSTATUS QZDA_CALL qzDaGetClockSource(SubsystemHandle s, uint32_t* source)
{
    return GetValue(s, QZDRV_GETCLOCKSOURCE, source);
}
QZSTATUS QZDA_CALL qzDaSetClockFrequency(SubsystemHandle s, double hertz)
{
    return SetReal(s, QZDRV_SETCLOCKFREQUENCY, hertz);
}
QZSTATUS QZDA_CALL qzDaGetClockFrequency(SubsystemHandle s, double* hertz)
{
    return GetReal(s, QZDRV_GETCLOCKFREQUENCY, hertz);
}
QZSTATUS QZDA_CALL qzDaSetRetriggerFrequency(SubsystemHandle s, double hertz)
{
    return SetReal(s, QZDRV_SETRETRIGGERFREQUENCY, hertz);
}
QZSTATUS QZDA_CALL qzDaGetRetriggerFrequency(SubsystemHandle s, double* hertz)
{
    return GetReal(s, QZDRV_GETRETRIGGERFREQUENCY, hertz);
}
QZSTATUS QZDA_CALL qzDaSetExternalClockDivider(SubsystemHandle s, uint32_t divider)
{
    return SetValue(s, QZDRV_SETEXTERNCLOCKDIVIDER, divider);
}
QZSTATUS QZDA_CALL qzDaGetExternalClockDivider(SubsystemHandle s, uint32_t* divider)
{
    return GetValue(s, QZDRV_GETEXTERNCLOCKDIVIDER, divider);
}
QZSTATUS QZDA_CALL qzDaSetGateType(SubsystemHandle s, uint32_t gateType)
{
    return SetValue(s, QZDRV_SETGATETYPE, gateType);
}
QZSTATUS QZDA_CALL qzDaGetGateType(SubsystemHandle s, uint32_t* gateType)
{
    return GetValue(s, QZDRV_GETGATETYPE, gateType);
}
QZSTATUS QZDA_CALL qzDaSetPulseType(SubsystemHandle s, uint32_t pulseType)
{
    return SetValue(s, QZDRV_SETPULSETYPE, pulseType);
}
QZSTATUS QZDA_CALL qzDaGetPulseType(SubsystemHandle s, uint32_t* pulseType)
{
    return GetValue(s, QZDRV_GETPULSETYPE, pulseType);
}
QZSTATUS QZDA_CALL qzDaSetPulseWidth(SubsystemHandle s, double percent)
{
    return SetReal(s, QZDRV_SETPULSEWIDTH, percent);
}
QZSTATUS QZDA_CALL qzDaGetPulseWidth(SubsystemHandle s, double* percent)
{
    return GetReal(s, QZDRV_GETPULSEWIDTH, percent);
}
QZSTATUS QZDA_CALL qzDaSetCTMode(SubsystemHandle s, uint32_t mode)
{
    return SetValue(s, QZDRV_SETCOUNTERMODE, mode);
}
QZSTATUS QZDA_CALL qzDaGetCTMode(SubsystemHandle s, uint32_t* mode)
{
    return GetValue(s, QZDRV_GETCOUNTERMODE, mode);
}
QZSTATUS QZDA_CALL qzDaSetCascadeMode(SubsystemHandle s, uint32_t mode)
{
    return SetValue(s, QZDRV_SETCASCADEMODE, mode);
}
QZSTATUS QZDA_CALL qzDaGetCascadeMode(SubsystemHandle s, uint32_t* mode)
{
    return GetValue(s, QZDRV_GETCASCADEMODE, mode);
}
QZSTATUS QZDA_CALL qzDaSetWrapMode(SubsystemHandle s, uint32_t mode)
{
    return SetValue(s, QZDRV_SETWRAPMODE, mode);
}
QZSTATUS QZDA_CALL qzDaGetWrapMode(SubsystemHandle s, uint32_t* mode)
{
    return GetValue(s, QZDRV_GETWRAPMODE, mode);
}

QZSTATUS QZDA_CALL qzDaSetDataFlow(SubsystemHandle s, uint32_t flow)
{
    if (!IsOpenSubsystem(s))
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    // Refused here whatever the board offers.
    if (flow == 802 || flow == 803)
        return QZERR_NOT_SUPPORTED;
    return SetValue(s, QZDRV_SETDATAFLOW, flow);
}

QZSTATUS QZDA_CALL qzDaGetDataFlow(SubsystemHandle s, uint32_t* flow)
{
    return GetValue(s, QZDRV_GETDATAFLOW, flow);
}

QZSTATUS QZDA_CALL qzDaSetWndHandle(SubsystemHandle s, QzWindowHandle window, intptr_t lParam)
{
    return SetValue(s, QZDRV_SETWINDOWHANDLE, reinterpret_cast<uintptr_t>(window), static_cast<uintptr_t>(lParam));
}

QZSTATUS QZDA_CALL qzDaGetWndHandle(SubsystemHandle s, QzWindowHandle* window)
{
    return GetValue(s, QZDRV_GETWINDOWHANDLE, window);
}

QZSTATUS QZDA_CALL qzDaSetNotificationProcedure(SubsystemHandle s, QzNotifyProc procedure, intptr_t userData)
{
    return SetValue(s, QZDRV_SETNOTIFYPROC, reinterpret_cast<uintptr_t>(procedure), static_cast<uintptr_t>(userData));
}

QZSTATUS QZDA_CALL qzDaGetNotificationProcedure(SubsystemHandle s, QzNotifyProc* procedure)
{
    return GetValue(s, QZDRV_GETNOTIFYPROC, procedure);
}

QZSTATUS QZDA_CALL qzDaSetChannelListEntryInhibit(SubsystemHandle s, uint32_t entry, uint32_t inhibit)
{
    return SetValue(s, QZDRV_SETCHANNELLISTINHIBIT, entry, inhibit);
}

QZSTATUS QZDA_CALL qzDaGetChannelListEntryInhibit(SubsystemHandle s, uint32_t entry, uint32_t* inhibit)
{
    return GetEntryValue(s, QZDRV_GETCHANNELLISTINHIBIT, entry, inhibit);
}

QZSTATUS QZDA_CALL qzDaSetDigitalIOListEntry(SubsystemHandle s, uint32_t entry, uint32_t value)
{
    return SetValue(s, QZDRV_SETDIGITALIOLISTENTRY, entry, value);
}

QZSTATUS QZDA_CALL qzDaGetDigitalIOListEntry(SubsystemHandle s, uint32_t entry, uint32_t* value)
{
    return GetEntryValue(s, QZDRV_GETDIGITALIOLISTENTRY, entry, value);
}

QZSTATUS QZDA_CALL qzDaSetSynchronousDigitalIOUsage(SubsystemHandle s, uint32_t flag)
{
    return SetValue(s, QZDRV_SETSYNCHRONOUSDIOUSAGE, flag);
}
QZSTATUS QZDA_CALL qzDaGetSynchronousDigitalIOUsage(SubsystemHandle s, uint32_t* flag)
{
    return GetValue(s, QZDRV_GETSYNCHRONOUSDIOUSAGE, flag);
}

QZSTATUS QZDA_CALL qzDaSetChannelRange(SubsystemHandle s, uint32_t channel, double maximum, double minimum)
{
    RequestParams params;
    params.word0 = channel;
    params.real0 = maximum;
    params.real1 = minimum;
    return SubsystemRequest(s, QZDRV_SETCHANNELRANGE, params);
}

QZSTATUS QZDA_CALL qzDaGetChannelRange(SubsystemHandle s, uint32_t channel, double* maximum, double* minimum)
{
    RequestParams params;
    params.word0 = channel;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETCHANNELRANGE, params);
    if (status == QZERR_NO_ERROR) {
        if (maximum != nullptr)
            *maximum = params.real0;
        if (minimum != nullptr)
            *minimum = params.real1;
    }
    return status;
}

QZSTATUS QZDA_CALL qzDaSetRetriggerMode(SubsystemHandle s, uint32_t mode)
{
    return SetValue(s, QZDRV_SETRETRIGGERMODE, mode);
}
QZSTATUS QZDA_CALL qzDaGetRetriggerMode(SubsystemHandle s, uint32_t* mode)
{
    return GetValue(s, QZDRV_GETRETRIGGERMODE, mode);
}
QZSTATUS QZDA_CALL qzDaSetPretriggerSource(SubsystemHandle s, uint32_t source)
{
    return SetValue(s, QZDRV_SETPRETRIGGERSOURCE, source);
}
QZSTATUS QZDA_CALL qzDaGetPretriggerSource(SubsystemHandle s, uint32_t* source)
{
    return GetValue(s, QZDRV_GETPRETRIGGERSOURCE, source);
}
QZSTATUS QZDA_CALL qzDaSetMultiscanCount(SubsystemHandle s, uint32_t count)
{
    return SetValue(s, QZDRV_SETMULTISCANCOUNT, count);
}
QZSTATUS QZDA_CALL qzDaGetMultiscanCount(SubsystemHandle s, uint32_t* count)
{
    return GetValue(s, QZDRV_GETMULTISCANCOUNT, count);
}
QZSTATUS QZDA_CALL qzDaSetRetrigger(SubsystemHandle s, uint32_t source)
{
    return SetValue(s, QZDRV_SETRETRIGGERSOURCE, source);
}
QZSTATUS QZDA_CALL qzDaGetRetrigger(SubsystemHandle s, uint32_t* source)
{
    return GetValue(s, QZDRV_GETRETRIGGERSOURCE, source);
}
QZSTATUS QZDA_CALL qzDaSetSpecialVpiConfigMode(SubsystemHandle s, uint8_t mode)
{
    return SetValue(s, QZDRV_SETSPECIALVPICONFIGMODE, mode);
}
QZSTATUS QZDA_CALL qzDaGetSpecialVpiConfigMode(SubsystemHandle s, uint8_t* mode)
{
    return GetValue(s, QZDRV_GETSPECIALVPICONFIGMODE, mode);
}
QZSTATUS QZDA_CALL qzDaSetMeasureStartEdge(SubsystemHandle s, uint32_t edge)
{
    return SetValue(s, QZDRV_SETSTARTEDGE, edge);
}
QZSTATUS QZDA_CALL qzDaGetMeasureStartEdge(SubsystemHandle s, uint32_t* edge)
{
    return GetValue(s, QZDRV_GETSTARTEDGE, edge);
}
QZSTATUS QZDA_CALL qzDaSetMeasureStopEdge(SubsystemHandle s, uint32_t edge)
{
    return SetValue(s, QZDRV_SETSTOPEDGE, edge);
}
QZSTATUS QZDA_CALL qzDaGetMeasureStopEdge(SubsystemHandle s, uint32_t* edge)
{
    return GetValue(s, QZDRV_GETSTOPEDGE, edge);
}

QZSTATUS QZDA_CALL qzDaSetQuadDecoder(SubsystemHandle s, uint16_t scaling, uint8_t flag, uint16_t indexMode)
{
    return SetValue(s, QZDRV_SETQUADRATURE, scaling | (static_cast<uintptr_t>(flag) << 16), indexMode);
}

// ---- not supported ----

QZSTATUS QZDA_CALL qzDaBRConnectBurst(SubsystemHandle, uint32_t)
{
    return QZERR_NOT_SUPPORTED;
}
QZSTATUS QZDA_CALL qzDaSetBRConnectTransferSize(SubsystemHandle, uint32_t)
{
    return QZERR_NOT_SUPPORTED;
}
QZSTATUS QZDA_CALL qzDaGetBRConnectTransferSize(SubsystemHandle, uint32_t*)
{
    return QZERR_NOT_SUPPORTED;
}
QZSTATUS QZDA_CALL qzDaSetBRConnectTransferCount(SubsystemHandle, uint32_t)
{
    return QZERR_NOT_SUPPORTED;
}
QZSTATUS QZDA_CALL qzDaGetBRConnectTransferCount(SubsystemHandle, uint32_t*)
{
    return QZERR_NOT_SUPPORTED;
}

// ---- commands ----

QZSTATUS QZDA_CALL qzDaConfig(SubsystemHandle s)
{
    return Command(s, QZDRV_CONFIG);
}
QZSTATUS QZDA_CALL qzDaStart(SubsystemHandle s)
{
    return Command(s, QZDRV_START);
}
QZSTATUS QZDA_CALL qzDaStop(SubsystemHandle s)
{
    return Command(s, QZDRV_STOP);
}
QZSTATUS QZDA_CALL qzDaContinue(SubsystemHandle s)
{
    return Command(s, QZDRV_CONTINUE);
}
QZSTATUS QZDA_CALL qzDaPause(SubsystemHandle s)
{
    return Command(s, QZDRV_PAUSE);
}
QZSTATUS QZDA_CALL qzDaAbort(SubsystemHandle s)
{
    return Command(s, QZDRV_ABORT);
}

QZSTATUS QZDA_CALL qzDaReset(SubsystemHandle s)
{
    QZSTATUS status = Command(s, QZDRV_RESET);
    if (status == QZERR_NO_ERROR)
        status = ApplyDefaultsLocked(s);
    return status;
}

QZSTATUS QZDA_CALL qzDaReadEvents(SubsystemHandle s, uint32_t* count)
{
    return GetValue(s, QZDRV_READEVENTS, count);
}

QZSTATUS QZDA_CALL qzDaGetSingleValue(SubsystemHandle s, uint32_t* value, uint32_t channel, double gain)
{
    RequestParams params;
    params.word0 = channel;
    params.real0 = gain;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETSINGLEVALUE, params);
    if (status == QZERR_NO_ERROR && value != nullptr)
        *value = static_cast<uint32_t>(params.word1);
    return status;
}

QZSTATUS QZDA_CALL qzDaPutSingleValue(SubsystemHandle s, uint32_t value, uint32_t channel, double gain)
{
    RequestParams params;
    params.word0 = value;
    params.word1 = channel;
    params.real0 = gain;
    return SubsystemRequest(s, QZDRV_SETSINGLEVALUE, params);
}

// The extended read returns the value in the second word, the gain used and the volts in the
// two doubles.
QZSTATUS QZDA_CALL qzDaGetSingleValueEx(SubsystemHandle s, uint32_t channel, uint32_t extended, double* gain,
                                        uint32_t* value, double* volts)
{
    RequestParams params;
    params.word0 = channel | (extended != 0 ? 0x80000000u : 0u);
    params.real0 = gain != nullptr ? *gain : 1.0;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETSINGLEVALUE, params);
    if (status == QZERR_NO_ERROR) {
        if (value != nullptr)
            *value = static_cast<uint32_t>(params.word1);
        if (gain != nullptr)
            *gain = params.real0;
        if (volts != nullptr)
            *volts = params.real1;
    }
    return status;
}

// The driver's answer holds one value per channel of the subsystem; never more are copied than
// its record has room for.
QZSTATUS QZDA_CALL qzDaGetSingleValues(SubsystemHandle s, uint32_t* values, double gain)
{
    if (!IsOpenSubsystem(s))
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    uint8_t request[kDriverRequestBytes] = {};
    RequestParams params;
    params.word0 = reinterpret_cast<uintptr_t>(request);
    params.real0 = gain;
    QZSTATUS status = SubsystemRequest(s, QZDRV_GETSINGLEVALUES, params);
    if (status != QZERR_NO_ERROR)
        return status;
    uint32_t channels = 0;
    status = qzDaGetSSCaps(s, SlotChannelCount, &channels);
    if (status == QZERR_NO_ERROR && values != nullptr)
        CopySingleValues(request, channels, values);
    return status;
}

// ---- buffer queues ----

QZSTATUS QZDA_CALL qzDaGetBuffer(SubsystemHandle s, HBUF* buffer)
{
    return GetValue(s, QZDRV_GETBUFFER, buffer);
}

QZSTATUS QZDA_CALL qzDaPutBuffer(SubsystemHandle s, HBUF buffer)
{
    return SetValue(s, QZDRV_PUTBUFFER, reinterpret_cast<uintptr_t>(buffer));
}

QZSTATUS QZDA_CALL qzDaFlushBuffers(SubsystemHandle s)
{
    return Command(s, QZDRV_FLUSHBUFFERS);
}

QZSTATUS QZDA_CALL qzDaGetQueueSize(SubsystemHandle s, uint32_t queue, uint32_t* count)
{
    if (!IsOpenSubsystem(s))
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    // Checked before the request, without the subsystem's lock.
    if (queue < QueueReady || queue > QueueInProcess)
        return QZERR_INVALID_QUEUE_TYPE_SPECIFIED;
    return GetEntryValue(s, QZDRV_GETQUEUESIZES, queue, count);
}

QZSTATUS QZDA_CALL qzDaFlushFromBufferInprocess(SubsystemHandle s, HBUF buffer, uint32_t samples)
{
    return SetValue(s, QZDRV_FLUSHINPROCESS, reinterpret_cast<uintptr_t>(buffer), samples);
}

// ---- frequency measurement, simultaneous start ----

// qzDaMeasureFrequency: frequency_win.cpp.

QZSTATUS QZDA_CALL qzDaGetSSList(SimultaneousStartListHandle* list)
{
    return CreateStartList(list);
}
QZSTATUS QZDA_CALL qzDaReleaseSSList(SimultaneousStartListHandle list)
{
    return ReleaseStartList(list);
}

QZSTATUS QZDA_CALL qzDaPutDassToSSList(SimultaneousStartListHandle list, SubsystemHandle subsystem)
{
    return AddToStartList(list, subsystem, kStartListChecks);
}

QZSTATUS QZDA_CALL qzDaSimultaneousPrestart(SimultaneousStartListHandle list)
{
    return StartListInOrder(list, QZDRV_PRESTART);
}

QZSTATUS QZDA_CALL qzDaSimultaneousStart(SimultaneousStartListHandle list)
{
    return StartListInOrder(list, QZDRV_SIMULSTART);
}

QZSTATUS QZDA_CALL qzDaEnumSSList(SimultaneousStartListHandle list, QzEnumSSListProc callback, intptr_t userData)
{
    std::vector<SubsystemHandle> members;
    QZSTATUS status = StartListMembers(list, &members);
    if (status == QZERR_NO_ERROR)
        status = CheckStartListMembers(members, kStartListChecks);
    if (status != QZERR_NO_ERROR || !IsCallback(reinterpret_cast<const void*>(callback)))
        return status;
    for (SubsystemHandle subsystem : members) {
        if (callback(list, subsystem, userData) == 0)
            break;
    }
    return QZERR_NO_ERROR;
}

// ---- conversions ----

QZSTATUS QZDA_CALL qzDaCodeToVolts(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding,
                                   uint32_t code, double* volts)
{
    return CodeToVolts(minimum, maximum, gain, resolution, encoding, code, volts);
}

QZSTATUS QZDA_CALL qzDaVoltsToCode(double minimum, double maximum, double gain, uint32_t resolution, uint32_t encoding,
                                   double volts, uint32_t* code)
{
    return VoltsToCode(minimum, maximum, gain, resolution, encoding, volts, code);
}

// ---- texts and versions ----

// The text of a code from the library's own string table resource.
static int32_t LoadLibraryString(uint32_t id, char* text, int32_t capacity)
{
    // The loader takes the low 16 bits of an id: a larger code would find another code's text.
    if (id > 0xFFFF)
        return 0;
    return LoadStringA(LibraryModule(), id, text, capacity);
}

char* QZDA_CALL qzDaGetErrorString(QZSTATUS code, char* buffer, int32_t size)
{
    return FormatErrorString(code, buffer, size, LoadLibraryString);
}

QZSTATUS QZDA_CALL qzDaGetVersion(char* buffer, uint32_t size)
{
    if (buffer == nullptr || size == 0)
        return QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(LibraryModule(), path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    return FileVersionText(path, buffer, size);
}

QZSTATUS QZDA_CALL qzDaGetDriverVersion(DeviceHandle handle, char* buffer, uint32_t size)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    if (buffer == nullptr || size == 0)
        return QZERR_LPSTR_PASSED_AS_A_PARAMETER_WAS_NULL;
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows)
        return QZERR_A_GENERAL_FAILURE_HAS_OCCURRED_SEE_MANUAL_FOR_POSSIBLE_EXPLANATIONS;
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
    GetVersionExA(&os);
    bool deviceMapSystem = os.dwPlatformId == VER_PLATFORM_WIN32_NT && os.dwMajorVersion == 4;
    std::string path = DriverFilePath(windows, device->driverName, deviceMapSystem);
    return FileVersionText(path.c_str(), buffer, size);
}

// ---- diagnostics and hardware information: requests to the device's driver ----

QZSTATUS QZDA_CALL qzDiagReadReg(DeviceHandle handle, uint32_t reg, uint32_t* value, uint32_t width)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    DriverRequest request = RegisterRequest(0, 0, reg, 0, width);
    const QZSTATUS status = SendDeviceRequest(device.get(), QZIOCTL_READREG, request);
    if (status == QZERR_NO_ERROR && value != nullptr)
        *value = Get32(request, ArgRegisterValue);
    return status;
}

QZSTATUS QZDA_CALL qzDiagWriteReg(DeviceHandle handle, uint32_t reg, uint32_t value, uint32_t width)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    DriverRequest request = RegisterRequest(0, 0, reg, value, width);
    return SendDeviceRequest(device.get(), QZIOCTL_WRITEREG, request);
}

// A potentiometer write or read that the driver refuses is reported with the driver's code,
// not as a success.
QZSTATUS QZDA_CALL qzDiagWriteCalPot(DeviceHandle handle, uint32_t word1, uint32_t word2, uint32_t word3,
                                     uint32_t word4)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    DriverRequest request = NewDriverRequest(0, 0);
    const uint32_t words[4] = {word1, word2, word3, word4};
    for (size_t i = 0; i < 4; ++i)
        Put32(request, ArgCalPotWords + 4 * i, words[i]);
    return SendDeviceRequest(device.get(), QZIOCTL_WRITECALPOT, request);
}

QZSTATUS QZDA_CALL qzDiagReadCalPot(DeviceHandle handle, uint32_t word1, uint32_t word2, uint32_t word3,
                                    uint32_t* value)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    DriverRequest request = NewDriverRequest(0, 0);
    const uint32_t words[3] = {word1, word2, word3};
    for (size_t i = 0; i < 3; ++i)
        Put32(request, ArgCalPotWords + 4 * i, words[i]);
    const QZSTATUS status = SendDeviceRequest(device.get(), QZIOCTL_READCALPOT, request);
    if (status == QZERR_NO_ERROR && value != nullptr)
        *value = Get32(request, ArgCalPotValue);
    return status;
}

QZSTATUS QZDA_CALL qzDaSetHardwareInfo(DeviceHandle handle, uint32_t word1, uint32_t word2, uint32_t word3,
                                       uint32_t word4, uint32_t word5, const uint8_t* block)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    const uint32_t words[5] = {word1, word2, word3, word4, word5};
    DriverRequest request = SetHardwareInfoRequest(words, block);
    return SendDeviceRequest(device.get(), QZIOCTL_SETHWINFO, request);
}

QZSTATUS QZDA_CALL qzDaGetHardwareInfo(DeviceHandle handle, uint32_t* word, uint16_t* half1, uint16_t* half2,
                                       uint16_t* half3, uint32_t* word2, uint32_t* word3, uint8_t* block)
{
    DeviceUse device(handle);
    if (!device)
        return QZERR_INVALID_DEVICE_HANDLE;
    DriverRequest request = NewDriverRequest(0, 0);
    const QZSTATUS status = SendDeviceRequest(device.get(), QZIOCTL_GETHWINFO, request);
    if (status != QZERR_NO_ERROR)
        return status;
    const HardwareInfo info = ReadHardwareInfo(request);
    if (word != nullptr)
        *word = info.word;
    if (half1 != nullptr)
        *half1 = info.half1;
    if (half2 != nullptr)
        *half2 = info.half2;
    if (half3 != nullptr)
        *half3 = info.half3;
    if (word2 != nullptr)
        *word2 = info.word2;
    if (word3 != nullptr)
        *word3 = info.word3;
    if (block != nullptr)
        std::memcpy(block, info.block, kHwInfoBlockBytes);
    return QZERR_NO_ERROR;
}

}  // extern "C"
