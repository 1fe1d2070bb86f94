#include "platform/program_path_win.h"

#include <windows.h>

namespace tavelin {

std::wstring RunningProgramPath() {
    wchar_t path[MAX_PATH + 1] = {};
    // Windows XP leaves a path that fills the buffer without its terminator; the returned length
    // is what counts.
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return std::wstring(path, length <= MAX_PATH + 1 ? length : 0);
}

}  // namespace tavelin
