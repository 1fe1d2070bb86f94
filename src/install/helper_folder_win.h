// The folder the restart helper is copied to before a restart: the helper runs at the next logon
// from HKLM's RunOnce, with the rights of whoever logs on, so nobody but the administrators and
// the system may be able to put a file there or change one. The user's temporary folder, where any
// of the user's processes can plant a program, is never used.
#pragma once

#include <string>

#include "platform/pinned_folder_win.h"

namespace tavelin {

// <all users' application data>\Tavelin, made by this start with a protected access list (system
// and administrators: full control; users: read and run) and held open by handle, so that nothing
// else can be put in its place before the helper is copied. A folder, file or link already there
// is never adopted: whoever made it beforehand may still hold a handle that lets them change it
// whatever rights it is given later. It is moved aside (and emptied and removed when it can be),
// and when even that is refused a folder of a fresh name beside it is made instead. Invalid when no
// such folder could be had.
PinnedFolder PrepareProtectedHelperFolder();

// The folder's usual path, whether it exists or not; empty when the system does not name the parent.
std::wstring ProtectedHelperFolderPath();

// The security the folder gets, in the system's descriptor language.
constexpr wchar_t kProtectedFolderSecurity[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";

}  // namespace tavelin
