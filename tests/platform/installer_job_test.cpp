// Installers in a job of their own, under Wine: the wait covers what an installer starts, the time
// limit's end reaches every process of it, its windows are found for the log; and the check for
// another installation holding Windows Installer, against a real holder of its mutex.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "install/installer_job_win.h"
#include "install/windows_installer_win.h"
#include "platform/handles.h"
#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::kProgramView;
using testing::Narrow;

constexpr wchar_t kRecordKey[] = L"SOFTWARE\\TavelinTestRecord";

#define REQUIRE_DOUBLES() \
    if (testing::DoublesDirectory().empty()) GTEST_SKIP() << "set TAVELIN_DOUBLES_DIR to the built test doubles"

std::wstring Installer() { return L"\"" + testing::DoublesDirectory() + L"\\supervised_installer.exe\""; }

// A name of this process, so that tests running side by side do not meet.
std::wstring Unique(const wchar_t* stem) { return stem + std::to_wstring(GetCurrentProcessId()); }

// What the supervised installer noted; "missing" when it did not (yet).
std::wstring Noted(const std::wstring& name) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_QUERY_VALUE | kProgramView, key.Receive()) != ERROR_SUCCESS) {
        return L"missing";
    }
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) {
        return L"missing";
    }
    return data;
}

std::wstring WaitForNote(const std::wstring& name, const std::wstring& unlike = L"missing") {
    std::wstring value;
    for (int i = 0; i < 200 && (value = Noted(name)) == unlike; ++i) Sleep(50);
    return value;
}

bool ProcessIsGone(const std::wstring& pidText) {
    const DWORD pid = std::wcstoul(pidText.c_str(), nullptr, 10);
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return !process || WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

// A bootstrapper that starts the real work and exits at once is over only when the work is.
TEST(InstallerJob, EndsWhenTheChildItStartedEndsWithItsOwnExitCode) {
    REQUIRE_DOUBLES();
    const std::wstring work = Unique(L"JobChild");
    auto installer = StartInstaller(Installer() + L" /exit 7 /child 3 " + work);
    ASSERT_NE(installer, nullptr);
    EXPECT_TRUE(installer->Following().wholeTree) << Narrow(installer->Following().whyNot);
    int stillRunning = 0;
    WaitResult last = WaitResult::Failed;
    for (int i = 0; i < 30 && (last = installer->WaitSlice(1000)) == WaitResult::StillRunning; ++i) ++stillRunning;
    EXPECT_EQ(static_cast<int>(last), static_cast<int>(WaitResult::Ended));
    EXPECT_GE(stillRunning, 2) << "the child works 3 s after its parent ended";
    EXPECT_EQ(Narrow(Noted(work)), "ended") << "ended only once the child was through";
    EXPECT_EQ(installer->ExitCode(), std::optional<std::uint32_t>(7)) << "the code of the process it started";
}

// Past the time limit: every process of the installer ends, the hanging child too; before that the
// window it shows is what the log names.
TEST(InstallerJob, EndAllEndsEveryProcessAndItsWindowsAreSeen) {
    REQUIRE_DOUBLES();
    const std::wstring name = Unique(L"JobHang");
    auto installer = StartInstaller(Installer() + L" /hang-child " + name + L" /hang " + name);
    ASSERT_NE(installer, nullptr);
    const std::wstring parentPid = WaitForNote(name + L" pid");
    const std::wstring childPid = WaitForNote(name + L"-child pid");
    ASSERT_NE(parentPid, L"missing");
    ASSERT_NE(childPid, L"missing");
    std::vector<std::wstring> titles;
    for (int i = 0; i < 100 && titles.size() < 2; ++i) {
        Sleep(50);
        titles = installer->VisibleWindowTitles();
    }
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"Tavelin test installer " + name,
                                                 L"Tavelin test installer " + name + L"-child"}));
    EXPECT_EQ(static_cast<int>(installer->WaitSlice(500)), static_cast<int>(WaitResult::StillRunning));

    installer->EndAll();
    EXPECT_TRUE(ProcessIsGone(parentPid));
    EXPECT_TRUE(ProcessIsGone(childPid)) << "the child is ended with its parent";
    EXPECT_EQ(static_cast<int>(installer->WaitSlice(1000)), static_cast<int>(WaitResult::Ended));
}

// Another installation is running while some other process owns Windows Installer's mutex; a mutex
// nobody owns, or none at all, is a free Windows Installer.
TEST(InstallerJob, AnotherInstallationIsSeenWhileItsMutexIsOwned) {
    REQUIRE_DOUBLES();
    Win32WindowsInstallerState windowsInstaller;
    ASSERT_FALSE(windowsInstaller.AnotherInstallationRunning()) << "no installation at the start";
    {
        UniqueKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_SET_VALUE | kProgramView, key.Receive()) == ERROR_SUCCESS) {
            RegDeleteValueW(key.Get(), L"msi");
        }
    }
    auto holder = StartInstaller(Installer() + L" /hold-msi 3");
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(Narrow(WaitForNote(L"msi")), "held");
    EXPECT_TRUE(windowsInstaller.AnotherInstallationRunning());
    // A handle of our own keeps the mutex in being after its owner lets it go.
    UniqueHandle kept(OpenMutexW(SYNCHRONIZE, FALSE, kWindowsInstallerMutexName));
    EXPECT_TRUE(kept.Valid()) << "the Global namespace holds it";
    ASSERT_EQ(Narrow(WaitForNote(L"msi", L"held")), "released");
    bool busy = true;
    for (int i = 0; i < 100 && (busy = windowsInstaller.AnotherInstallationRunning()); ++i) Sleep(50);
    EXPECT_FALSE(busy) << "an existing mutex nobody owns is a free Windows Installer";
    for (int i = 0; i < 10 && holder->WaitSlice(1000) == WaitResult::StillRunning; ++i) {
    }
}

}  // namespace
}  // namespace tavelin
