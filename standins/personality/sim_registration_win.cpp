#include "standins/personality/sim_registration_win.h"

#include "qzdaapi32/board_discovery.h"
#include "standins/personality/sim_personality.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kEnumKey = "System\\CurrentControlSet\\Enum\\ROOT\\QZSIMBRD\\0000";
constexpr const char* kDeviceMapEntry = "QzSimBrd0";

class Key {
public:
    Key(HKEY parent, const std::string& path, bool isVolatile)
    {
        ok_ = RegCreateKeyExA(parent, path.c_str(), 0, nullptr,
                              isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr) == ERROR_SUCCESS;
    }
    ~Key()
    {
        if (ok_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    bool Text(const char* name, const std::string& value)
    {
        return ok_ && RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }
    bool Number(const char* name, DWORD value)
    {
        return ok_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                          ERROR_SUCCESS;
    }
    bool ok() const { return ok_; }

private:
    HKEY key_ = nullptr;
    bool ok_ = false;
};

// The values the board library reads from a board's key.
bool BoardValues(Key& key)
{
    return key.Text(kValueDriverName, kSimDriverName) && key.Text(kValueBoardName, kSimBoardName) &&
           key.Number(kValueBoardType, kSimBoardType) && key.Text(kValueBoardModelName, kSimModelName) &&
           key.Number(kValueSerialNumber, kSimSerialNumber) &&
           key.Number(kValueDeviceInstanceNumber, kSimDeviceInstance);
}

// The interface's key under its class, named by the link with "\\?\" written "##?#".
std::string InterfaceKeyPath()
{
    std::string link = kSimInterfacePath;
    link[0] = link[1] = link[3] = '#';
    return std::string("System\\CurrentControlSet\\Control\\DeviceClasses\\") + kDeviceInterfaceClass + "\\" + link;
}

}  // namespace

bool RegisterSimBoardInterface()
{
    Key device(HKEY_LOCAL_MACHINE, kEnumKey, false);
    if (!device.Text("ClassGUID", kDeviceInterfaceClass) || !device.Text("DeviceDesc", "Simulated acquisition board"))
        return false;
    const std::string interfaceKey = InterfaceKeyPath();
    Key anInterface(HKEY_LOCAL_MACHINE, interfaceKey, false);
    if (!anInterface.Text("DeviceInstance", kSimDeviceInstanceId))
        return false;
    Key reference(HKEY_LOCAL_MACHINE, interfaceKey + "\\#", false);
    if (!reference.Text("SymbolicLink", kSimInterfacePath))
        return false;
    Key control(HKEY_LOCAL_MACHINE, interfaceKey + "\\#\\Control", false);
    if (!control.Number("Linked", 1))
        return false;
    Key parameters(HKEY_LOCAL_MACHINE, interfaceKey + "\\#\\Device Parameters", false);
    if (!BoardValues(parameters))
        return false;
    Key database(HKEY_LOCAL_MACHINE, BoardDatabasePath(kSimModelName, kSimSerialNumber), false);
    return database.Text(kValueBoardName, kSimBoardName);
}

bool RegisterSimBoardDeviceMap()
{
    Key map(HKEY_LOCAL_MACHINE, kDeviceMapKey, true);
    if (!map.ok())
        return false;
    Key entry(HKEY_LOCAL_MACHINE, std::string(kDeviceMapKey) + "\\" + kDeviceMapEntry, true);
    return BoardValues(entry) && entry.Text(kValueLinkName, kSimLinkName);
}

bool UnregisterSimBoardDeviceMap()
{
    const std::string path = std::string(kDeviceMapKey) + "\\" + kDeviceMapEntry;
    const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
