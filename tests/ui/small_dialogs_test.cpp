// The please-wait and About dialogs, run modally in this process while a second thread watches
// and works them as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ui/about_dlg.h"
#include "ui/please_wait_dlg.h"
#include "ui/resource.h"

namespace tavelin {
namespace {

struct DialogSearch {
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetDlgItem(window, search->controlId) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of this process that has the control; null after the timeout.
HWND WaitForDialogWith(int controlId, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0;; waited += 20) {
        DialogSearch search{controlId, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || waited >= timeoutMs) return search.found;
        Sleep(20);
    }
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// Ends a dialog that a failing test would otherwise leave open forever.
class Watchdog {
public:
    explicit Watchdog(int controlId) : m_thread([this, controlId] {
        for (int i = 0; i < 600 && !m_done; ++i) Sleep(50);
        if (!m_done) {
            m_fired = true;
            if (HWND dialog = WaitForDialogWith(controlId, 0)) PostMessageW(dialog, WM_KEYDOWN, VK_F2, 0);
        }
    }) {}
    ~Watchdog() {
        m_done = true;
        m_thread.join();
    }
    bool Fired() const { return m_fired; }

private:
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

TEST(PleaseWaitDialog, ClosesByItselfAfterItsTime) {
    CPleaseWaitDlg dialog(GetModuleHandleW(nullptr));
    dialog.m_strBaseText = L"Please wait.";
    dialog.m_nSeconds = 1;
    Watchdog watchdog(IDC_PLEASE_WAIT_TEXT);
    const DWORD opened = GetTickCount();
    EXPECT_EQ(dialog.DoModal(nullptr), 0);
    // A busy machine only makes the wait longer; closing early means the time was not kept.
    const DWORD open = GetTickCount() - opened;
    EXPECT_GE(open, 900u) << "closed before its second was up";
    // Generous for a busy machine, yet far below the watchdog: the time is a second, not ten.
    EXPECT_LT(open, 6000u) << "kept open far longer than its second";
    EXPECT_FALSE(watchdog.Fired()) << "the dialog did not close by itself";
}

TEST(PleaseWaitDialog, AnimatesAndIgnoresEnterAndEscapeButClosesOnF2) {
    CPleaseWaitDlg dialog(GetModuleHandleW(nullptr));
    dialog.m_strBaseText = L"Please wait.";
    dialog.m_nSeconds = 60;
    std::wstring firstText, firstTick;
    bool aliveAfterKeys = false;
    std::thread user([&] {
        HWND window = WaitForDialogWith(IDC_PLEASE_WAIT_TEXT);
        if (window == nullptr) return;
        HWND text = GetDlgItem(window, IDC_PLEASE_WAIT_TEXT);
        firstText = TextOf(text);
        for (int i = 0; i < 100 && TextOf(text) == firstText; ++i) Sleep(50);
        firstTick = TextOf(text);
        // Keys typed at the dialog, as the keyboard would deliver them to the focused window.
        for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
            PostMessageW(window, WM_KEYDOWN, key, 0);
            PostMessageW(window, WM_KEYUP, key, 0);
            PostMessageW(text, WM_KEYDOWN, key, 0);
        }
        Sleep(500);
        aliveAfterKeys = IsWindow(window) && IsWindowVisible(window);
        PostMessageW(text, WM_KEYDOWN, VK_F2, 0);
    });
    Watchdog watchdog(IDC_PLEASE_WAIT_TEXT);
    const INT_PTR result = dialog.DoModal(nullptr);
    user.join();
    EXPECT_EQ(firstText, L"Please wait.");
    EXPECT_EQ(firstTick, L"Please wait...");  // the base text and two more full stops
    EXPECT_TRUE(aliveAfterKeys) << "Enter or Escape closed the dialog";
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(watchdog.Fired()) << "F2 did not close the dialog";
}

TEST(AboutDialog, ShowsTheProductVersion) {
    std::wstring version;
    std::thread user([&] {
        HWND window = WaitForDialogWith(IDC_ABOUT_VERSION);
        if (window == nullptr) return;
        version = TextOf(GetDlgItem(window, IDC_ABOUT_VERSION));
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    CAboutDlg about(GetModuleHandleW(nullptr));
    EXPECT_EQ(about.DoModal(nullptr), IDOK);
    user.join();
    // This test program's version resource has file version 2.3.4.5 and product version 1.2.3.4.
    EXPECT_EQ(version, L"V1.2.3.4");
}

}  // namespace
}  // namespace tavelin
