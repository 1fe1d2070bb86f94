// The machine's registry as the program tests set it up and read it back: values under
// HKEY_LOCAL_MACHINE in the view a 32-bit program sees (the program's own view).
#pragma once

#include <windows.h>

#include <string>

#include "platform/registry_view_win.h"

namespace tavelin::testing {

// Creates the key when missing and sets a text value (REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ, whose
// strings are separated by nulls inside `value`). `view` is the access flag of the view to write.
void SetRegistryString(const std::wstring& path, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ,
                       REGSAM view = RegistryViewFlag(RegistryView::View32));

// The text of a value, or "<no key>" / "<no value>"; its type in `type` when asked.
std::wstring ReadRegistryString(const std::wstring& path, const wchar_t* name, DWORD* type = nullptr);

// Removes a value when it is there.
void DeleteRegistryValue(const std::wstring& path, const wchar_t* name);

bool RegistryKeyExists(const std::wstring& path);
// What Windows' restart does to the program's mark of a restart still to come (a volatile key,
// SOFTWARE\TavelinRestartPending): it is gone. Wine keeps volatile keys until its server ends.
void ForgetPendingRestart();
void CreateRegistryKey(const std::wstring& path);

// A present device: SYSTEM\CurrentControlSet\Enum\<device>\<instance> with its class and hardware
// id, and, when `driver` is not empty, the "Driver" value naming its class key.
void AddDevice(const std::wstring& device, const std::wstring& instance, const std::wstring& classGuid,
               const std::wstring& hardwareIds, const std::wstring& driver = L"");

// A PCI device `shortId` + "&SUBSYS_30AA103C&REV_03" (both forms its hardware ids) with an installed
// driver: its class key <classGuid>\0000 holds the version, the date and the provider.
void AddDeviceWithDriver(const std::wstring& shortId, const std::wstring& classGuid, const std::wstring& version,
                         const std::wstring& date, const std::wstring& provider);

}  // namespace tavelin::testing
