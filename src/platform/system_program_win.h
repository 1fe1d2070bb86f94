// The programs of Windows itself that setup.exe starts (the shell, the text editor, the restart
// command), found where Windows installs them. Started by a bare name, CreateProcessW would look in
// the program's folder and the current directory first, and a planted copy would run as
// administrator.
#pragma once

#include <string>

namespace tavelin {

// The full path of the system program a command line starts (its first word, e.g. "Explorer",
// "NOTEPAD.EXE", "shutdown"; case does not matter): the shell in the Windows folder, the others in
// the system folder, as this process sees them (a 32-bit program on 64-bit Windows gets SysWOW64).
// Empty for any other first word.
std::wstring SystemProgramPath(const std::wstring& commandLine);

}  // namespace tavelin
