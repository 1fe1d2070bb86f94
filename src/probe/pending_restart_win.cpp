#include "probe/pending_restart_win.h"

#include <windows.h>

#include <vector>

#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace tavelin {
namespace {

// Rename lists of thousands of files exist; anything above this is not read and counts as a sign.
constexpr DWORD kMaxRenameListBytes = 4 * 1024 * 1024;

bool KeyExists(const wchar_t* path) {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | RegistryViewFlag(RegistryView::View64),
                         key.Receive()) == ERROR_SUCCESS;
}

bool RenameListPending(HKEY sessionManager, const wchar_t* valueName) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(sessionManager, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (size == 0) return false;
    if (size > kMaxRenameListBytes) return true;
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(sessionManager, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return MultiStringHoldsText(std::wstring(data.data(), size / sizeof(wchar_t)));
}

}  // namespace

PendingRestartSigns ReadPendingRestartSigns() {
    PendingRestartSigns signs;
    UniqueKey sessionManager;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKeyPath, 0, KEY_QUERY_VALUE, sessionManager.Receive()) ==
        ERROR_SUCCESS) {
        signs.fileRenameOperations = RenameListPending(sessionManager.Get(), kFileRenameOperationsValueName) ||
                                     RenameListPending(sessionManager.Get(), kFileRenameOperations2ValueName);
    }
    signs.servicingRebootPending = KeyExists(kServicingRebootPendingKeyPath);
    signs.updateRebootRequired = KeyExists(kUpdateRebootRequiredKeyPath);
    return signs;
}

}  // namespace tavelin
