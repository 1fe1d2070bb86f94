#include "probe/present_devices_win.h"

#include <windows.h>
#include <setupapi.h>

#include "platform/handles.h"
#include "probe/entry_point_win.h"

namespace tavelin {
namespace {

using GetClassDevsFunction = HDEVINFO(WINAPI*)(const GUID*, PCWSTR, HWND, DWORD);
using EnumDeviceInfoFunction = BOOL(WINAPI*)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
using GetPropertyFunction = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD, PDWORD);
using DestroyListFunction = BOOL(WINAPI*)(HDEVINFO);

struct SetupApi {
    UniqueModule module;
    GetClassDevsFunction getClassDevs = nullptr;
    EnumDeviceInfoFunction enumDeviceInfo = nullptr;
    GetPropertyFunction getProperty = nullptr;
    DestroyListFunction destroyList = nullptr;

    bool Load() {
        wchar_t folder[MAX_PATH + 1] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) return false;
        module.Reset(LoadLibraryW((std::wstring(folder) + L"\\setupapi.dll").c_str()));
        getClassDevs = FindEntryPoint<GetClassDevsFunction>(module.Get(), "SetupDiGetClassDevsW");
        enumDeviceInfo = FindEntryPoint<EnumDeviceInfoFunction>(module.Get(), "SetupDiEnumDeviceInfo");
        getProperty = FindEntryPoint<GetPropertyFunction>(module.Get(), "SetupDiGetDeviceRegistryPropertyW");
        destroyList = FindEntryPoint<DestroyListFunction>(module.Get(), "SetupDiDestroyDeviceInfoList");
        return getClassDevs && enumDeviceInfo && getProperty && destroyList;
    }
};

// Appends every entry of a multi-string property of the device.
void AddPropertyEntries(const SetupApi& api, HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property,
                        std::vector<std::wstring>& ids) {
    DWORD size = 0;
    api.getProperty(devices, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0) return;
    // Room for two extra terminators: a value stored without its final NULs still ends safely.
    std::vector<wchar_t> list(size / sizeof(wchar_t) + 2, L'\0');
    if (!api.getProperty(devices, &device, property, nullptr, reinterpret_cast<BYTE*>(list.data()), size, nullptr)) {
        return;
    }
    for (const wchar_t* entry = list.data(); *entry != L'\0'; entry += lstrlenW(entry) + 1) ids.emplace_back(entry);
}

// The list SetupAPI made, destroyed through the same library that made it.
class DeviceList {
public:
    DeviceList(const SetupApi& api, HDEVINFO list) : m_api(api), m_list(list) {}
    ~DeviceList() {
        if (m_list != INVALID_HANDLE_VALUE) m_api.destroyList(m_list);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    HDEVINFO Get() const { return m_list; }

private:
    const SetupApi& m_api;
    HDEVINFO m_list;
};

}  // namespace

std::vector<std::vector<std::wstring>> ListPresentDevices() {
    std::vector<std::vector<std::wstring>> result;
    SetupApi api;
    if (!api.Load()) return result;
    const DeviceList list(api, api.getClassDevs(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    HDEVINFO devices = list.Get();
    if (devices == INVALID_HANDLE_VALUE) return result;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; api.enumDeviceInfo(devices, index, &device); ++index) {
        std::vector<std::wstring> ids;
        AddPropertyEntries(api, devices, device, SPDRP_HARDWAREID, ids);
        AddPropertyEntries(api, devices, device, SPDRP_COMPATIBLEIDS, ids);
        if (!ids.empty()) result.push_back(std::move(ids));
    }
    return result;
}

}  // namespace tavelin
