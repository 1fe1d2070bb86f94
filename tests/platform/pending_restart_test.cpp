// The signs of a restart Windows already waits for, read from Wine's registry where Windows keeps
// them. Runs in a fresh prefix of each kind (RealRegistry groups): the signs are the machine's own,
// so each case sets exactly the one it looks at and leaves none behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/handles.h"
#include "platform/registry_view_win.h"
#include "probe/pending_restart_win.h"

namespace tavelin {
namespace {

constexpr REGSAM kView64 = KEY_WOW64_64KEY;

void SetRenameList(const std::wstring& data) {
    UniqueKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKeyPath, 0, KEY_SET_VALUE, key.Receive()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), kFileRenameOperationsValueName, 0, REG_MULTI_SZ,
                             reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void ClearSigns() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKeyPath, 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.Get(), kFileRenameOperationsValueName);
        RegDeleteValueW(key.Get(), kFileRenameOperations2ValueName);
    }
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kServicingRebootPendingKeyPath, RegistryView::View64);
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, kUpdateRebootRequiredKeyPath, RegistryView::View64);
}

class RealRegistryPendingRestart : public ::testing::Test {
protected:
    void SetUp() override { ClearSigns(); }
    void TearDown() override { ClearSigns(); }
};

TEST_F(RealRegistryPendingRestart, EachSignWhereWindowsKeepsIt) {
    EXPECT_EQ(PendingRestartText(ReadPendingRestartSigns()), L"no");

    // A rename of a file that is no longer there still waits for the restart; a list of nulls only
    // is what remains once Windows has done them.
    SetRenameList(std::wstring(L"\\??\\C:\\tavelin-pending.tmp\0\0\0", 29));
    EXPECT_EQ(PendingRestartText(ReadPendingRestartSigns()), L"yes (file rename operations)");
    SetRenameList(std::wstring(2, L'\0'));
    EXPECT_EQ(PendingRestartText(ReadPendingRestartSigns()), L"no");

    // Windows' servicing and update keys live in the 64-bit view, where both programs look.
    for (const wchar_t* path : {kServicingRebootPendingKeyPath, kUpdateRebootRequiredKeyPath}) {
        UniqueKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE | kView64, nullptr, key.Receive(),
                                  nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(PendingRestartText(ReadPendingRestartSigns()), L"yes (servicing, Windows Update)");
}

}  // namespace
}  // namespace tavelin
