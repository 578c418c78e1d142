#include "platform/serial_devices.h"

#include "platform/library.h"
#include "platform/text.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
// GUID_DEVCLASS_PORTS and _MODEM are defined here, once, rather than taken
// from a library.
#include <initguid.h>
#include <devguid.h>

#include <initializer_list>
#include <utility>

namespace platform {
namespace {

// SetupAPI and the configuration manager, loaded the first time the ports'
// devices are asked for.
struct SetupApi {
    decltype(SetupDiGetClassDevsW)* getClassDevs =
        TAVRO_SYSTEM_FUNCTION(L"setupapi.dll", SetupDiGetClassDevsW);
    decltype(SetupDiEnumDeviceInfo)* enumDeviceInfo =
        TAVRO_SYSTEM_FUNCTION(L"setupapi.dll", SetupDiEnumDeviceInfo);
    decltype(SetupDiGetDeviceRegistryPropertyW)* getProperty =
        TAVRO_SYSTEM_FUNCTION(L"setupapi.dll", SetupDiGetDeviceRegistryPropertyW);
    decltype(SetupDiOpenDevRegKey)* openDevRegKey =
        TAVRO_SYSTEM_FUNCTION(L"setupapi.dll", SetupDiOpenDevRegKey);
    decltype(SetupDiGetDeviceInstanceIdW)* getInstanceId =
        TAVRO_SYSTEM_FUNCTION(L"setupapi.dll", SetupDiGetDeviceInstanceIdW);
    decltype(SetupDiDestroyDeviceInfoList)* destroyList =
        TAVRO_SYSTEM_FUNCTION(L"setupapi.dll", SetupDiDestroyDeviceInfoList);
    // For the device's parent; without them the devices are listed all the same.
    decltype(CM_Get_Parent)* getParent = TAVRO_SYSTEM_FUNCTION(L"cfgmgr32.dll", CM_Get_Parent);
    decltype(CM_Get_Device_IDW)* getDeviceId =
        TAVRO_SYSTEM_FUNCTION(L"cfgmgr32.dll", CM_Get_Device_IDW);

    bool Complete() const {
        return getClassDevs && enumDeviceInfo && getProperty && openDevRegKey && getInstanceId &&
               destroyList;
    }
};

const SetupApi& Api() {
    static const SetupApi api;
    return api;
}

// A text property of the device; empty when it has none.
std::wstring TextProperty(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t text[512] = {};
    DWORD type = 0;
    if (!Api().getProperty(list, &device, property, &type, reinterpret_cast<BYTE*>(text),
                           sizeof text - sizeof(wchar_t), nullptr) ||
        type != REG_SZ) {
        return {};
    }
    return text;
}

// A short text value of the device's own key ("Device Parameters",
// DIREG_DEV) or its driver's (DIREG_DRV); empty when it has none.
std::wstring KeyText(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD keyType,
                     const wchar_t* valueName) {
    const HKEY key = Api().openDevRegKey(list, &device, DICS_FLAG_GLOBAL, 0, keyType, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) {
        return {};
    }
    wchar_t text[64] = {};
    DWORD type = 0;
    DWORD size = sizeof text - sizeof(wchar_t); // the value need not end with a zero
    const LONG result =
        RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? text : L"";
}

// "COM3": the PortName of the device's own key, as a port and most modems
// have it; a modem that sits on a port may name it AttachedTo instead, in
// its driver's key or, with some drivers, its own.
std::wstring PortName(HDEVINFO list, SP_DEVINFO_DATA& device) {
    const std::pair<DWORD, const wchar_t*> places[] = {
        {DIREG_DEV, L"PortName"}, {DIREG_DRV, L"AttachedTo"}, {DIREG_DEV, L"AttachedTo"}};
    for (const auto& [keyType, valueName] : places) {
        const std::wstring name = KeyText(list, device, keyType, valueName);
        if (!name.empty()) {
            return name;
        }
    }
    return {};
}

std::wstring InstanceId(HDEVINFO list, SP_DEVINFO_DATA& device) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    return Api().getInstanceId(list, &device, id, MAX_DEVICE_ID_LEN + 1, nullptr) ? id : L"";
}

// The instance id of the device's parent: for a function of a composite
// USB device, or a port of FTDI's bus, the USB device. Empty when Windows
// cannot tell.
std::wstring ParentInstanceId(const SP_DEVINFO_DATA& device) {
    DEVINST parent = 0;
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {}; // the last one stays zero
    const bool found = Api().getParent && Api().getDeviceId &&
                       Api().getParent(&parent, device.DevInst, 0) == CR_SUCCESS &&
                       Api().getDeviceId(parent, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS;
    return found ? id : L"";
}

void AddEntries(HDEVINFO list, std::vector<SerialDeviceEntry>& entries) {
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD i = 0; Api().enumDeviceInfo(list, i, &device); ++i) {
        SerialDeviceEntry entry;
        entry.portName = Narrow(PortName(list, device));
        const std::wstring name = TextProperty(list, device, SPDRP_FRIENDLYNAME);
        entry.friendlyName =
            Narrow(name.empty() ? TextProperty(list, device, SPDRP_DEVICEDESC) : name);
        entry.manufacturer = Narrow(TextProperty(list, device, SPDRP_MFG));
        entry.instanceId = Narrow(InstanceId(list, device));
        entry.parentInstanceId = Narrow(ParentInstanceId(device));
        entries.push_back(entry);
    }
}

} // namespace

std::vector<SerialDeviceEntry> ListSerialDevices() {
    if (!Api().Complete()) {
        return {}; // the ports are still listed, without their devices' names
    }
    // The ports first: a modem on a port names it as well, and a port named
    // twice keeps its first device.
    std::vector<SerialDeviceEntry> entries;
    for (const GUID* deviceClass : {&GUID_DEVCLASS_PORTS, &GUID_DEVCLASS_MODEM}) {
        const HDEVINFO list = Api().getClassDevs(deviceClass, nullptr, nullptr, DIGCF_PRESENT);
        if (list != INVALID_HANDLE_VALUE) {
            AddEntries(list, entries);
            Api().destroyList(list);
        }
    }
    return entries;
}

} // namespace platform
