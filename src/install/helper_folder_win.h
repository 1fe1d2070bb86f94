// The folder the restart helper is copied to before a restart: the helper runs at the next logon
// from HKLM's RunOnce, with the rights of whoever logs on, so nobody but the administrators and
// the system may be able to put a file there or change one. The user's temporary folder, where any
// of the user's processes can plant a program, is never used.
#pragma once

#include <string>

namespace tavelin {

// <all users' application data>\Tavelin, created owned by the administrators with a protected
// access list (system and administrators: full control; users: read and run). An existing folder
// is put right the same way whatever rights or owner it had; something else by that name (a file,
// a link elsewhere) is replaced by the folder. Empty when the folder cannot be had so.
std::wstring PrepareProtectedHelperFolder();

// The folder's path, whether it exists or not; empty when the system does not name the parent.
std::wstring ProtectedHelperFolderPath();

// The security the folder gets, in the system's descriptor language.
constexpr wchar_t kProtectedFolderSecurity[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";

}  // namespace tavelin
