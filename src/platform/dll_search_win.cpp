#include "platform/dll_search_win.h"

namespace tavelin {
namespace {

// Values of the Windows 8 SDK; the XP-level headers this program builds against may lack them.
constexpr DWORD kSearchDllLoadDir = 0x00000100;  // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchSystem32 = 0x00000800;    // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

template <typename Function>
Function Kernel32EntryPoint(const char* name) {
    // kernel32 is mapped into every process before the program's own code runs.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

// Whether LoadLibraryExW understands the LOAD_LIBRARY_SEARCH_* flags: exactly where the function
// that sets the default search exists (before that update they fail with a parameter error).
bool SystemHasSearchFlags() {
    static const bool has = Kernel32EntryPoint<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories") != nullptr;
    return has;
}

}  // namespace

bool RestrictDllSearchToSystemFolder() {
    // XP SP1 and later; an empty folder takes the current directory out of the search.
    if (const auto setDllDirectory = Kernel32EntryPoint<SetDllDirectoryFunction>("SetDllDirectoryW")) {
        setDllDirectory(L"");
    }
    const auto setDefault = Kernel32EntryPoint<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    return setDefault != nullptr && setDefault(kSearchSystem32) != FALSE;
}

HMODULE LoadLibraryBesideItsDependencies(const std::wstring& fullPath) {
    if (SystemHasSearchFlags()) {
        // Not LOAD_LIBRARY_SEARCH_DEFAULT_DIRS: that includes the program's folder.
        return LoadLibraryExW(fullPath.c_str(), nullptr, kSearchDllLoadDir | kSearchSystem32);
    }
    // Older systems: the altered search starts at the library's own folder instead of the program's.
    return LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadResourceOnlyLibrary(const std::wstring& fullPath) {
    return LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

}  // namespace tavelin
