#include "install/logon_programs_win.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace tavelin {

namespace {

// The Run key and the one group policy fills: Windows starts the values of both at every logon.
constexpr const wchar_t* kRunKeyPaths[] = {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                           L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run"};
// A command longer than this is no program path a process could have as its image.
constexpr DWORD kMaxCommandChars = 4096;
constexpr DWORD kMaxValueNameChars = 16383;

std::wstring Expanded(const std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), &expanded[0], needed);
    if (written == 0 || written > needed) return text;
    expanded.resize(written - 1);
    return expanded;
}

void ReadRunKey(HKEY root, const wchar_t* path, REGSAM view, const std::wstring& where,
                std::vector<LogonProgram>& programs) {
    UniqueKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.Receive()) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        std::wstring name(kMaxValueNameChars + 1, L'\0');
        DWORD nameChars = kMaxValueNameChars + 1;
        std::wstring data(kMaxCommandChars + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(kMaxCommandChars * sizeof(wchar_t));
        DWORD type = 0;
        const LONG read = RegEnumValueW(key.Get(), index, &name[0], &nameChars, nullptr, &type,
                                        reinterpret_cast<BYTE*>(&data[0]), &bytes);
        if (read == ERROR_NO_MORE_ITEMS) break;
        // A value too long to read (ERROR_MORE_DATA) or not text names no program: passed over.
        if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
        name.resize(nameChars);
        data.resize(bytes / sizeof(wchar_t));
        data.resize(std::min(data.size(), data.find(L'\0')));
        LogonProgram program{where, name, type == REG_EXPAND_SZ ? Expanded(data) : data};
        const bool known = std::any_of(programs.begin(), programs.end(), [&](const LogonProgram& other) {
            return other.name == program.name && other.command == program.command;
        });
        if (!known) programs.push_back(std::move(program));
    }
}

}  // namespace

std::vector<LogonProgram> Win32LogonPrograms::Registered() {
    std::vector<LogonProgram> programs;
    for (const wchar_t* path : kRunKeyPaths) {
        const std::wstring machine = L"HKLM\\" + std::wstring(path);
        // 32-bit Windows has one view, which both reads reach: the second finds only what is known.
        ReadRunKey(HKEY_LOCAL_MACHINE, path, RegistryViewFlag(RegistryView::View32), machine + L" (32-bit view)",
                   programs);
        ReadRunKey(HKEY_LOCAL_MACHINE, path, RegistryViewFlag(RegistryView::View64), machine + L" (64-bit view)",
                   programs);
        ReadRunKey(HKEY_CURRENT_USER, path, 0, L"HKCU\\" + std::wstring(path), programs);
    }
    return programs;
}

}  // namespace tavelin
