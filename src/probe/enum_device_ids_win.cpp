#include "probe/enum_device_ids_win.h"

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace tavelin {
namespace {

// Registry key names are at most 255 characters.
constexpr DWORD kKeyNameCharacters = 256;

UniqueKey OpenForReading(HKEY parent, const wchar_t* name) {
    UniqueKey key;
    if (RegOpenKeyExW(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

// Calls `visit(name)` for every subkey of `key`.
template <typename Visit>
void ForEachSubkey(HKEY key, Visit visit) {
    wchar_t name[kKeyNameCharacters];
    for (DWORD index = 0;; ++index) {
        DWORD length = kKeyNameCharacters;
        const LONG result = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;  // not a key name the system makes; skip it
        if (result != ERROR_SUCCESS) break;
        visit(std::wstring(name, length));
    }
}

// Appends every entry of a multi-string value; a value stored without its final terminators still
// ends where its data ends. Most id lists fit the buffer on the stack: one query reads them.
void AppendMultiString(HKEY key, const wchar_t* valueName, std::vector<std::wstring>& entries) {
    wchar_t small[1024];
    std::vector<wchar_t> large;
    wchar_t* data = small;
    DWORD size = sizeof(small);
    LONG result = RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    while (result == ERROR_MORE_DATA) {
        large.assign(size / sizeof(wchar_t) + 1, L'\0');
        data = large.data();
        size = static_cast<DWORD>(large.size() * sizeof(wchar_t));
        result = RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    }
    if (result != ERROR_SUCCESS) return;
    const wchar_t* end = data + size / sizeof(wchar_t);
    for (const wchar_t* entry = data; entry < end && *entry != L'\0';) {
        const wchar_t* stop = entry;
        while (stop < end && *stop != L'\0') ++stop;
        entries.emplace_back(entry, stop);
        entry = stop + 1;
    }
}

}  // namespace

std::vector<DeviceInstanceIds> ReadEnumDeviceIds() {
    std::vector<DeviceInstanceIds> instances;
    const UniqueKey root = OpenForReading(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum");
    if (!root) return instances;
    ForEachSubkey(root.Get(), [&](const std::wstring& enumerator) {
        const UniqueKey enumeratorKey = OpenForReading(root.Get(), enumerator.c_str());
        if (!enumeratorKey) return;
        ForEachSubkey(enumeratorKey.Get(), [&](const std::wstring& device) {
            const UniqueKey deviceKey = OpenForReading(enumeratorKey.Get(), device.c_str());
            if (!deviceKey) return;
            ForEachSubkey(deviceKey.Get(), [&](const std::wstring& instance) {
                const UniqueKey instanceKey = OpenForReading(deviceKey.Get(), instance.c_str());
                if (!instanceKey) return;
                DeviceInstanceIds found;
                AppendMultiString(instanceKey.Get(), L"HardwareID", found.ids);
                AppendMultiString(instanceKey.Get(), L"CompatibleIDs", found.ids);
                if (found.ids.empty()) return;
                found.instanceId = enumerator + L'\\' + device + L'\\' + instance;
                instances.push_back(std::move(found));
            });
        });
    });
    return instances;
}

}  // namespace tavelin
