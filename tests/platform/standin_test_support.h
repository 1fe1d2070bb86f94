// Shared by the tests of the hardware-query libraries: where the built libraries are, loading one
// and calling its entry point, and registry fixtures that put a device or a BIOS model name on the
// (Wine) machine for the length of one test.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/registry_view_win.h"
#include "probe/entry_point_win.h"
#include "probe/vendor_libraries_win.h"
#include "probe/vendor_protocol.h"

namespace tavelin::testing {

// A folder named by an environment variable; a Unix path is taken as Wine's Z: drive. Empty when
// the variable is not set.
inline std::wstring FolderFromEnvironment(const wchar_t* variable) {
    const wchar_t* setting = _wgetenv(variable);
    if (setting == nullptr || *setting == L'\0') return {};
    std::wstring path = setting;
    if (path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// The built libraries (the disc's Lib folder) and the built test doubles (tests/doubles).
inline std::wstring StandinDirectory() { return FolderFromEnvironment(L"TAVELIN_STANDIN_DIR"); }
inline std::wstring DoublesDirectory() { return FolderFromEnvironment(L"TAVELIN_DOUBLES_DIR"); }

// The disc folder that holds the libraries' Lib folder.
inline std::wstring StandinDiscRoot() {
    const std::wstring lib = StandinDirectory();
    const auto slash = lib.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : lib.substr(0, slash);
}

inline std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

#define TAVELIN_REQUIRE_STANDINS()                                                     \
    if (::tavelin::testing::StandinDirectory().empty())                                \
    GTEST_SKIP() << "set TAVELIN_STANDIN_DIR to the folder with the built libraries"

struct LoadedLibrary {
    explicit LoadedLibrary(const std::wstring& path)
        : module(LoadLibraryW(path.c_str())),
          entryPoint(FindEntryPoint<QuorvelIoControlFunction>(module.Get(), vendor::kEntryPointName)) {}

    BOOL Call(DWORD request, void* input, DWORD inputSize, void* output, DWORD outputSize) const {
        DWORD bytesReturned = 0;
        return entryPoint(request, input, inputSize, output, outputSize, &bytesReturned, nullptr);
    }

    UniqueModule module;
    QuorvelIoControlFunction entryPoint;
};

// 64-bit Windows: always for a 64-bit test program, from IsWow64Process for a 32-bit one.
inline bool RunsOn64BitWindows() {
    if (sizeof(void*) == 8) return true;
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

// Keys the tests write and read are in the program's view: where the 32-bit program keeps them.
constexpr REGSAM kProgramView = RegistryViewFlag(RegistryView::View32);

inline void DeleteKeyTree(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | kProgramView, &key) == ERROR_SUCCESS) {
        std::vector<std::wstring> children;
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, length);
        }
        RegCloseKey(key);
        for (const auto& child : children) DeleteKeyTree(parent, path + L"\\" + child);
    }
    DeleteRegistryKey(parent, path, RegistryView::View32);
}

inline std::wstring MultiString(const std::vector<std::wstring>& entries) {
    std::wstring text;
    for (const auto& entry : entries) text += entry + L'\0';
    return text + L'\0';
}

// A device SetupAPI lists: Enum\<bus>\<device>\<instance> with a ClassGUID, its hardware ids and
// its compatible ids. The whole Enum\<bus>\<device> key goes again at the end of the test.
class ScopedDevice {
public:
    ScopedDevice(const std::wstring& bus, const std::wstring& device, const std::vector<std::wstring>& hardwareIds,
                 const std::vector<std::wstring>& compatibleIds)
        : m_deviceKey(L"SYSTEM\\CurrentControlSet\\Enum\\" + bus + L"\\" + device) {
        UniqueKey key;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, (m_deviceKey + L"\\TavelinTest0").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, key.Receive(), nullptr);
        const std::wstring classGuid = L"{4d36e97d-e325-11ce-bfc1-08002be10318}";  // system devices
        SetText(key.Get(), L"ClassGUID", REG_SZ, classGuid + L'\0');
        SetText(key.Get(), L"HardwareID", REG_MULTI_SZ, MultiString(hardwareIds));
        if (!compatibleIds.empty()) SetText(key.Get(), L"CompatibleIDs", REG_MULTI_SZ, MultiString(compatibleIds));
    }
    ~ScopedDevice() { DeleteKeyTree(HKEY_LOCAL_MACHINE, m_deviceKey); }
    ScopedDevice(const ScopedDevice&) = delete;
    ScopedDevice& operator=(const ScopedDevice&) = delete;

private:
    static void SetText(HKEY key, const wchar_t* name, DWORD type, const std::wstring& data) {
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    }
    std::wstring m_deviceKey;
};

// HKLM\HARDWARE\DESCRIPTION\System\BIOS SystemProductName for one test; the old value comes back.
class ScopedBiosProductName {
public:
    explicit ScopedBiosProductName(const std::wstring& name) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\BIOS", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, m_key.Receive(), nullptr);
        wchar_t old[512] = {};
        DWORD size = sizeof(old) - sizeof(wchar_t);
        m_hadValue = RegQueryValueExW(m_key.Get(), kValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                      &size) == ERROR_SUCCESS;
        m_old = old;
        Set(name);
    }
    ~ScopedBiosProductName() {
        if (m_hadValue) {
            Set(m_old);
        } else {
            RegDeleteValueW(m_key.Get(), kValueName);
        }
    }
    ScopedBiosProductName(const ScopedBiosProductName&) = delete;
    ScopedBiosProductName& operator=(const ScopedBiosProductName&) = delete;

private:
    static constexpr const wchar_t* kValueName = L"SystemProductName";
    void Set(const std::wstring& value) {
        RegSetValueExW(m_key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    UniqueKey m_key;
    bool m_hadValue = false;
    std::wstring m_old;
};

}  // namespace tavelin::testing
