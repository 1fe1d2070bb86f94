#include "platform/program_path_win.h"

#include <windows.h>

namespace tavelin {

std::wstring RunningProgramPath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return path;
}

}  // namespace tavelin
