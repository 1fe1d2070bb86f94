// The system folder the program puts the kernel driver's copy under (<folder>\DRIVERS).
#pragma once

#include <string>

namespace tavelin {

// The folder a 32-bit program's system folder is on disk. On 64-bit Windows a 32-bit program's
// "system32" is redirected to SysWOW64; the 64-bit program names SysWOW64 itself, so that both
// programs place, find and remove the same copy (a copy left by one is removed by the other).
// Room for 260 characters and the terminator, as GetSystemDirectoryW is given.
std::wstring SystemFolderOfThe32BitProgram();

}  // namespace tavelin
