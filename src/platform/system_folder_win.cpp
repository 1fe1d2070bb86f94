#include "platform/system_folder_win.h"

#include <windows.h>

namespace tavelin {

std::wstring SystemFolderOfThe32BitProgram() {
    wchar_t folder[MAX_PATH + 1] = {};
#ifdef _WIN64
    // Zero where Windows was installed without its 32-bit layer: then there is no other folder.
    if (GetSystemWow64DirectoryW(folder, MAX_PATH + 1) != 0) return folder;
#endif
    GetSystemDirectoryW(folder, MAX_PATH + 1);
    return folder;
}

}  // namespace tavelin
