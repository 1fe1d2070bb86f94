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

// A link (junction or symbolic link) would send the copy wherever it points; a file by the
// folder's name keeps the folder from being made. Both go.
bool RemoveWhatIsNotAPlainFolder(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return RemoveDirectoryW(folder.c_str()) != FALSE;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(folder.c_str()) != FALSE;
}

// Owner and the whole access list, no longer inheriting from the parent: whatever an earlier
// owner allowed is gone afterwards.
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

std::wstring PrepareProtectedHelperFolder() {
    const std::wstring folder = ProtectedHelperFolderPath();
    if (folder.empty()) return std::wstring();
    const UniqueLocalMemory descriptor = ProtectedDescriptor();
    if (!descriptor) return std::wstring();
    if (!RemoveWhatIsNotAPlainFolder(folder)) return std::wstring();

    SECURITY_ATTRIBUTES attributes;
    ZeroMemory(&attributes, sizeof attributes);
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor.Get();
    if (!CreateDirectoryW(folder.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return std::wstring();
    }
    // Also for a folder made just now: the creator's owner may stand in for the one asked for.
    if (!ApplyDescriptor(folder, descriptor.Get())) return std::wstring();
    return folder;
}

}  // namespace tavelin
