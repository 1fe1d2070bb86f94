#include "install/helper_folder_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "platform/handles.h"

namespace tavelin {

namespace {

constexpr wchar_t kFolderName[] = L"Tavelin";

UniqueLocalMemory ProtectedDescriptor() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSecurity, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return UniqueLocalMemory();
    }
    return UniqueLocalMemory(descriptor);
}

// Something left at the folder's path goes out of the way under a name of its own; a link is
// renamed itself, never what it points to. What was moved is then taken away as far as that is safe
// by handle: the files in a plain folder and the folder, or the link itself.
bool MoveAside(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const std::wstring aside = folder + L".old-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount());
    if (!MoveFileExW(folder.c_str(), aside.c_str(), 0)) return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            RemoveDirectoryW(aside.c_str());
        } else {
            DeleteFileW(aside.c_str());
        }
        return true;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesW(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(aside.c_str());
        return true;
    }
    const PinnedFolder moved = PinnedFolder::Open(aside, true);
    const FolderVerdict verdict = moved.Verdict();
    if (verdict == FolderVerdict::Usable || verdict == FolderVerdict::ForeignOwner) {
        for (const std::wstring& name : moved.FileNames()) moved.DeleteFileNamed(name);
        moved.DeleteFolderWhenClosed();
    }
    return true;
}

// Owner and the whole access list, no longer inheriting from the parent. The folder was made by
// this start with them; the creator's default owner may still stand in for the one asked for.
bool ApplyDescriptor(const std::wstring& folder, PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    PACL dacl = nullptr;
    BOOL daclPresent = FALSE;
    BOOL daclDefaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &daclPresent, &dacl, &daclDefaulted) || owner == nullptr ||
        !daclPresent || dacl == nullptr) {
        return false;
    }
    std::wstring path = folder;
    return SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                     PROTECTED_DACL_SECURITY_INFORMATION,
                                 owner, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::wstring ProtectedHelperFolderPath() {
    wchar_t parent[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, parent)) ||
        parent[0] == L'\0') {
        return std::wstring();
    }
    std::wstring folder = parent;
    if (folder.back() != L'\\') folder += L'\\';
    return folder + kFolderName;
}

namespace {

// Makes `folder`, which must not exist yet, with the descriptor, and holds it open; invalid when
// it existed, could not be made, or is not, as opened, the folder this start made.
PinnedFolder CreateFreshFolder(const std::wstring& folder, PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_ATTRIBUTES attributes;
    ZeroMemory(&attributes, sizeof attributes);
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor;
    if (!CreateDirectoryW(folder.c_str(), &attributes)) return PinnedFolder();
    if (!ApplyDescriptor(folder, descriptor)) return PinnedFolder();
    PinnedFolder pinned = PinnedFolder::Open(folder);
    if (pinned.Verdict() != FolderVerdict::Usable) return PinnedFolder();
    return pinned;
}

}  // namespace

PinnedFolder PrepareProtectedHelperFolder() {
    const std::wstring folder = ProtectedHelperFolderPath();
    if (folder.empty()) return PinnedFolder();
    const UniqueLocalMemory descriptor = ProtectedDescriptor();
    if (!descriptor) return PinnedFolder();
    if (MoveAside(folder)) {
        PinnedFolder made = CreateFreshFolder(folder, descriptor.Get());
        if (made.Valid()) return made;
    }
    // Whatever holds the usual name could not be moved (someone keeps it open, or a folder of that
    // name was made again at once): a name nobody could have made ready.
    for (int attempt = 1; attempt <= 5; ++attempt) {
        const std::wstring fresh = folder + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt);
        PinnedFolder made = CreateFreshFolder(fresh, descriptor.Get());
        if (made.Valid()) return made;
    }
    return PinnedFolder();
}

}  // namespace tavelin
