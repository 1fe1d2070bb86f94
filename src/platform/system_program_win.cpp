#include "platform/system_program_win.h"

#include <windows.h>

#include <iterator>

namespace tavelin {
namespace {

enum class Folder { Windows, System };

struct KnownProgram {
    const wchar_t* name;  // the first word of the command line
    Folder folder;
    const wchar_t* file;
};

// The shell lives in the Windows folder on every Windows; the system folder has no copy before
// Windows 7's SysWOW64.
constexpr KnownProgram kKnownPrograms[] = {
    {L"Explorer", Folder::Windows, L"explorer.exe"},
    {L"NOTEPAD.EXE", Folder::System, L"notepad.exe"},
    {L"shutdown", Folder::System, L"shutdown.exe"},
};

std::wstring FolderPath(Folder folder) {
    wchar_t path[MAX_PATH + 1] = {};
    const UINT length = folder == Folder::Windows ? GetWindowsDirectoryW(path, MAX_PATH + 1)
                                                  : GetSystemDirectoryW(path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    return path;
}

}  // namespace

std::wstring SystemProgramPath(const std::wstring& commandLine) {
    const std::wstring firstWord = commandLine.substr(0, commandLine.find(L' '));
    for (const KnownProgram& program : kKnownPrograms) {
        if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, firstWord.c_str(), -1, program.name, -1) != CSTR_EQUAL) {
            continue;
        }
        const std::wstring folder = FolderPath(program.folder);
        return folder.empty() ? std::wstring() : folder + L"\\" + program.file;
    }
    return std::wstring();
}

}  // namespace tavelin
