#include "platform/pinned_folder_win.h"

#include <aclapi.h>

#include <cstdint>

namespace tavelin {
namespace {

// The native calls take a path relative to an open folder; the Win32 file functions do not.
using NtStatus = LONG;

struct NativeText {
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
};

struct NativeObjectAttributes {
    ULONG length;
    HANDLE rootDirectory;
    NativeText* objectName;
    ULONG attributes;
    PVOID securityDescriptor;
    PVOID securityQualityOfService;
};

struct NativeIoStatus {
    union {
        NtStatus status;
        PVOID pointer;
    };
    ULONG_PTR information;
};

// FILE_DIRECTORY_INFORMATION
struct NativeDirectoryEntry {
    ULONG nextEntryOffset;
    ULONG fileIndex;
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    LARGE_INTEGER endOfFile;
    LARGE_INTEGER allocationSize;
    ULONG fileAttributes;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

// FILE_DISPOSITION_INFORMATION
struct NativeDisposition {
    BOOLEAN deleteFile;
};

using NtCreateFileFunction = NtStatus(NTAPI*)(PHANDLE, ACCESS_MASK, NativeObjectAttributes*, NativeIoStatus*,
                                              PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryDirectoryFileFunction = NtStatus(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, NativeIoStatus*, PVOID, ULONG,
                                                      int, BOOLEAN, NativeText*, BOOLEAN);
using NtSetInformationFileFunction = NtStatus(NTAPI*)(HANDLE, NativeIoStatus*, PVOID, ULONG, int);
using GetFinalPathNameByHandleFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

constexpr ULONG kFileOpen = 1;                         // FILE_OPEN
constexpr ULONG kFileCreate = 2;                       // FILE_CREATE
constexpr ULONG kSynchronousIo = 0x00000020;           // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kNonDirectoryFile = 0x00000040;        // FILE_NON_DIRECTORY_FILE
constexpr ULONG kOpenReparsePoint = 0x00200000;        // FILE_OPEN_REPARSE_POINT
constexpr ULONG kCaseInsensitive = 0x00000040;         // OBJ_CASE_INSENSITIVE
constexpr int kFileDirectoryInformation = 1;
constexpr int kFileDispositionInformation = 13;
constexpr NtStatus kNameCollision = static_cast<NtStatus>(0xC0000035);  // STATUS_OBJECT_NAME_COLLISION
constexpr NtStatus kNoMoreFiles = static_cast<NtStatus>(0x80000006);    // STATUS_NO_MORE_FILES

template <typename Function>
Function EntryPoint(const wchar_t* module, const char* name) {
    HMODULE loaded = GetModuleHandleW(module);
    if (loaded == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)));
}

bool Succeeded(NtStatus status) { return status >= 0; }

// A single name in the folder: a separator or a parent reference would leave it.
bool IsPlainName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.find_first_of(L"\\/:") == std::wstring::npos;
}

// Opens `name` relative to `folder`; the status of the native call.
NtStatus OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                      ULONG options, UniqueHandle& opened) {
    static const auto create = EntryPoint<NtCreateFileFunction>(L"ntdll.dll", "NtCreateFile");
    if (create == nullptr || !IsPlainName(name) || name.size() > 32767) return static_cast<NtStatus>(0xC0000001);
    std::wstring buffer = name;
    NativeText text{static_cast<USHORT>(buffer.size() * sizeof(wchar_t)),
                    static_cast<USHORT>(buffer.size() * sizeof(wchar_t)), &buffer[0]};
    NativeObjectAttributes attributes{sizeof(NativeObjectAttributes), folder, &text, kCaseInsensitive, nullptr,
                                      nullptr};
    NativeIoStatus io{};
    HANDLE handle = nullptr;
    const NtStatus status = create(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                   share, disposition, options | kSynchronousIo, nullptr, 0);
    if (Succeeded(status)) opened.Reset(handle);
    return status;
}

UniqueLocalMemory TokenUserSid(PSID& sid) {
    sid = nullptr;
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return UniqueLocalMemory();
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return UniqueLocalMemory();
    UniqueLocalMemory memory(LocalAlloc(LPTR, size));
    if (!memory || !GetTokenInformation(token.Get(), TokenUser, memory.Get(), size, &size)) return UniqueLocalMemory();
    sid = static_cast<TOKEN_USER*>(memory.Get())->User.Sid;
    return memory;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    return CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer);
}

}  // namespace

FolderOwner OwnerOfHandle(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return FolderOwner::Unknown;
    }
    const UniqueLocalMemory held(descriptor);
    if (owner == nullptr || !IsValidSid(owner)) return FolderOwner::Unknown;
    if (IsWellKnown(owner, WinLocalSystemSid)) return FolderOwner::System;
    if (IsWellKnown(owner, WinBuiltinAdministratorsSid)) return FolderOwner::Administrators;
    PSID user = nullptr;
    const UniqueLocalMemory userMemory = TokenUserSid(user);
    if (user != nullptr && EqualSid(owner, user)) return FolderOwner::ThisUser;
    return FolderOwner::Other;
}

bool HandleReachedPath(HANDLE handle, const std::wstring& requestedPath) {
    static const auto finalPath =
        EntryPoint<GetFinalPathNameByHandleFunction>(L"kernel32.dll", "GetFinalPathNameByHandleW");
    if (finalPath == nullptr) return true;
    std::wstring reached(1024, L'\0');
    DWORD length = finalPath(handle, &reached[0], static_cast<DWORD>(reached.size()), 0);
    if (length >= reached.size()) {
        reached.assign(length + 1, L'\0');
        length = finalPath(handle, &reached[0], static_cast<DWORD>(reached.size()), 0);
    }
    if (length == 0 || length >= reached.size()) return false;
    reached.resize(length);
    // The requested path may hold short (8.3) names where the system reports long ones.
    std::wstring requested = requestedPath;
    const DWORD longLength = GetLongPathNameW(requestedPath.c_str(), nullptr, 0);
    if (longLength > 0) {
        std::wstring longPath(longLength, L'\0');
        const DWORD got = GetLongPathNameW(requestedPath.c_str(), &longPath[0], longLength);
        if (got > 0 && got < longLength) {
            longPath.resize(got);
            requested = longPath;
        }
    }
    return SameFolderPath(reached, requested);
}

PinnedFolder PinnedFolder::Open(const std::wstring& path, bool forDeletion) {
    PinnedFolder pinned;
    pinned.m_path = path;
    // No FILE_SHARE_DELETE: nobody can rename or delete the folder while it is held.
    pinned.m_folder.Reset(CreateFileW(path.c_str(),
                                      FILE_LIST_DIRECTORY | FILE_TRAVERSE | READ_CONTROL | SYNCHRONIZE |
                                          (forDeletion ? DELETE : 0),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!pinned.m_folder) return pinned;
    BY_HANDLE_FILE_INFORMATION information;
    ZeroMemory(&information, sizeof information);
    if (!GetFileInformationByHandle(pinned.m_folder.Get(), &information)) {
        pinned.m_folder.Reset();
        return pinned;
    }
    pinned.m_facts.isFolder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    pinned.m_facts.reparsePoint = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    pinned.m_facts.reachedAsNamed = HandleReachedPath(pinned.m_folder.Get(), path);
    pinned.m_facts.owner = OwnerOfHandle(pinned.m_folder.Get());
    return pinned;
}

std::vector<std::wstring> PinnedFolder::FileNames() const {
    static const auto query = EntryPoint<NtQueryDirectoryFileFunction>(L"ntdll.dll", "NtQueryDirectoryFile");
    std::vector<std::wstring> names;
    if (query == nullptr || !Valid()) return names;
    // Entries are 8-byte aligned in the buffer.
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        NativeIoStatus io{};
        const NtStatus status = query(m_folder.Get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                      static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t)),
                                      kFileDirectoryInformation, FALSE, nullptr, restart);
        if (status == kNoMoreFiles || !Succeeded(status) || io.information == 0) break;
        const BYTE* entry = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* found = reinterpret_cast<const NativeDirectoryEntry*>(entry);
            if ((found->fileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.emplace_back(found->fileName, found->fileNameLength / sizeof(wchar_t));
            }
            if (found->nextEntryOffset == 0) break;
            entry += found->nextEntryOffset;
        }
    }
    return names;
}

bool PinnedFolder::DeleteFileNamed(const std::wstring& name) const {
    if (!Valid()) return false;
    UniqueHandle file;
    // Opened as itself: a link named like the file is removed, never what it points to.
    if (!Succeeded(OpenRelative(m_folder.Get(), name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                kFileOpen, kNonDirectoryFile | kOpenReparsePoint, file))) {
        return false;
    }
    static const auto setInformation = EntryPoint<NtSetInformationFileFunction>(L"ntdll.dll", "NtSetInformationFile");
    if (setInformation == nullptr) return false;
    NativeDisposition disposition{TRUE};
    NativeIoStatus io{};
    return Succeeded(setInformation(file.Get(), &io, &disposition, sizeof disposition, kFileDispositionInformation));
}

UniqueHandle PinnedFolder::CreateNewFile(const std::wstring& name, bool& nameTaken) const {
    nameTaken = false;
    UniqueHandle file;
    if (!Valid()) return file;
    const NtStatus status =
        OpenRelative(m_folder.Get(), name, GENERIC_WRITE, FILE_SHARE_READ, kFileCreate, kNonDirectoryFile, file);
    nameTaken = status == kNameCollision;
    return file;
}

bool PinnedFolder::DeleteFolderWhenClosed() const {
    static const auto setInformation = EntryPoint<NtSetInformationFileFunction>(L"ntdll.dll", "NtSetInformationFile");
    if (setInformation == nullptr || !Valid()) return false;
    NativeDisposition disposition{TRUE};
    NativeIoStatus io{};
    return Succeeded(
        setInformation(m_folder.Get(), &io, &disposition, sizeof disposition, kFileDispositionInformation));
}

}  // namespace tavelin
