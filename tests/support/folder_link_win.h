// A link in a folder's place, as someone without administrator rights could leave it where the
// program writes. Windows makes it as a directory symbolic link; Wine accepts that call without
// making anything, but follows the host's directory links, so under Wine the host's `ln` makes one
// (Wine starts a host program named by its host path).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace tavelin::testing {

inline std::string HostPathOf(const std::wstring& windowsPath) {
    using UnixNameFunction = char*(CDECL*)(LPCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (unixName == nullptr) return std::string();
    char* name = unixName(windowsPath.c_str());
    if (name == nullptr) return std::string();
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

// True when `link` now leads to the folder `target` (both must be on a local drive; `link` must not
// exist yet).
inline bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    const std::string hostTarget = HostPathOf(target);
    if (hostTarget.empty()) {
        // Vista and later; named at run time, as the XP-level headers lack it.
        using CreateLinkFunction = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
        const auto createLink = reinterpret_cast<CreateLinkFunction>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
        constexpr DWORD kDirectoryLink = 1;  // SYMBOLIC_LINK_FLAG_DIRECTORY
        if (createLink == nullptr || !createLink(link.c_str(), target.c_str(), kDirectoryLink)) return false;
    } else {
        // The link's folder exists, the link itself not yet: its host path is the folder's and the name.
        const std::size_t slash = link.rfind(L'\\');
        const std::string hostFolder = HostPathOf(link.substr(0, slash));
        if (hostFolder.empty()) return false;
        std::string name;
        for (wchar_t c : link.substr(slash + 1)) name.push_back(static_cast<char>(c));
        const std::string command = "/bin/ln -s \"" + hostTarget + "\" \"" + hostFolder + "/" + name + "\"";
        std::wstring wide(command.begin(), command.end());
        std::vector<wchar_t> buffer(wide.begin(), wide.end());
        buffer.push_back(L'\0');
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (!CreateProcessW(L"Z:\\bin\\ln", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &started)) {
            return false;
        }
        UniqueHandle process(started.hProcess);
        UniqueHandle thread(started.hThread);
        WaitForSingleObject(process.Get(), 10000);
    }
    // Wine does not wait for a host program's end: the link is looked for until it is there.
    for (int attempt = 0; attempt < 100; ++attempt) {
        WIN32_FIND_DATAW found = {};
        UniqueFindHandle search(FindFirstFileW((link + L"\\*").c_str(), &found));
        if (search.Valid()) return true;
        Sleep(50);
    }
    return false;
}

}  // namespace tavelin::testing
