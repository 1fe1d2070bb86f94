#include "controls/transparent_static.h"

#include <gtest/gtest.h>

#include "controls_test_support.h"

namespace tavelin {
namespace {

using test::PumpMessages;
using test::Screenshot;
using test::TestOwner;

constexpr COLORREF kSkin = RGB(40, 160, 90);

TEST(TransparentStatic, ShowsTheParentBehindItsTextAndLeavesNoOldText) {
    TestOwner owner(kSkin);
    HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 30, 400, 20, owner.Window(),
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    CTransparentStatic status;
    ASSERT_TRUE(status.Attach(label));
    RedrawWindow(owner.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    SetWindowTextW(label, L"Installing a long description of the current item");
    PumpMessages();
    const RECT area{20, 30, 420, 50};
    const RECT tail{60, 30, 420, 50};  // beyond where the short text ends
    auto notSkin = [](COLORREF c) { return c != kSkin; };
    ASSERT_GT(Screenshot(owner.Window()).Count(tail, notSkin), 0) << "fixture: the long text reaches the tail";

    SetWindowTextW(label, L"Short");
    PumpMessages();
    const Screenshot shot(owner.Window());
    EXPECT_EQ(shot.Count(tail, notSkin), 0) << "remains of the long text";
    EXPECT_GT(shot.Count(area, notSkin), 0) << "the short text";
    EXPECT_EQ(shot.At(21, 31), kSkin) << "background not painted";
    DestroyWindow(label);
}

}  // namespace
}  // namespace tavelin
