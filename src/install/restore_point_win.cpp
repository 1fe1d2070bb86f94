#include "install/restore_point_win.h"

#include <windows.h>

#include <cwchar>

#include "platform/handles.h"

namespace tavelin {

namespace {

// The structures of System Restore's header, which packs them to single bytes.
#pragma pack(push, 1)
struct RestorePointInfo {
    DWORD eventType;
    DWORD restorePointType;
    INT64 sequenceNumber;
    WCHAR description[256];
};
struct StateManagerStatus {
    UINT status;
    INT64 sequenceNumber;
};
#pragma pack(pop)

constexpr DWORD kBeginSystemChange = 100;
constexpr DWORD kEndSystemChange = 101;
constexpr DWORD kDeviceDriverInstall = 10;

using SetRestorePointFunction = BOOL(WINAPI*)(RestorePointInfo*, StateManagerStatus*);

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
    return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(folder);
}

// Windows 8 and later make no new point within SystemRestorePointCreationFrequency (24 hours by
// default) of the last one, and still answer success.
bool KeepsRecentPoints() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 2;
    ULONGLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

}  // namespace

RestorePointAnswer RestorePointFailureOf(unsigned long status) {
    // The service is disabled, or System Protection is off for the system drive.
    if (status == ERROR_SERVICE_DISABLED) return RestorePointAnswer::ProtectionOff;
    // A failure without a reason: an entry point that is only a stand-in (Wine has one).
    if (status == ERROR_SUCCESS) return RestorePointAnswer::Unavailable;
    return RestorePointAnswer::Failed;
}

RestorePointResult Win32RestorePointService::Create(const std::wstring& description) {
    RestorePointResult result;
    const std::wstring folder = SystemFolder();
    // By its full path: the program's folder (a disc, a stick) must never supply it.
    UniqueModule library(folder.empty() ? nullptr : LoadLibraryW((folder + L"\\srclient.dll").c_str()));
    const auto setRestorePoint =
        library ? reinterpret_cast<SetRestorePointFunction>(
                      reinterpret_cast<void*>(GetProcAddress(library.Get(), "SRSetRestorePointW")))
                : nullptr;
    if (setRestorePoint == nullptr) {
        result.answer = RestorePointAnswer::Unavailable;
        return result;
    }
    RestorePointInfo begin = {};
    begin.eventType = kBeginSystemChange;
    begin.restorePointType = kDeviceDriverInstall;
    wcsncpy(begin.description, description.c_str(), 255);
    StateManagerStatus status = {};
    if (!setRestorePoint(&begin, &status)) {
        result.answer = RestorePointFailureOf(status.status);
        result.status = status.status;
        return result;
    }
    result.answer = RestorePointAnswer::Created;
    result.status = status.status;
    result.sequence = status.sequenceNumber;
    result.mayKeepRecent = KeepsRecentPoints();
    // The point holds the system as it is now; ending the change at once keeps it whole even when
    // an installer brings the machine down.
    RestorePointInfo end = {};
    end.eventType = kEndSystemChange;
    end.sequenceNumber = status.sequenceNumber;
    StateManagerStatus endStatus = {};
    setRestorePoint(&end, &endStatus);
    return result;
}

}  // namespace tavelin
