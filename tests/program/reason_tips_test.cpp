// Hovering a row of the item list shows why its item is offered or greyed: the reason of its
// decision record, with a second line once a dependence has set its check box, in the language
// library's words where it has them.
#include <gtest/gtest.h>

#include "driver/list_reader.h"
#include "driver/program_driver.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

// A device class of its own: Wine keeps the system's display class volatile (see the evaluation
// tests).
const wchar_t kDeviceClass[] = L"{0b6f0d8e-2f4c-4d6a-9c1e-7a3b5d9e1f20}";

// A present display adapter whose installed driver is older than the disc's.
void AddAdapterWithOlderDriver() {
    AddDeviceWithDriver(L"TAVPCI\\VEN_8086&DEV_27A0", kDeviceClass, L"6.14.10.4764", L"6-21-2006", L"Tavelin Graphics");
}

const char kDisc[] =
    "[Driver_CD]\r\n"
    "Title_ENG=Reason Disc\r\n"
    "[OS_Language_Tag]\r\n"
    "0409=ENG\r\n"
    "[Items]\r\n"
    "Item_Quantity=4\r\n"
    "[Item_1]\r\n"
    "Type=DRIVER\r\n"
    "Title_ENG=Display Driver\r\n"
    "HW_ID_Quantity=1\r\n"
    "HW_ID_1=tavpci\\ven_8086&dev_27a0\r\n"
    "Version_1=6.14.10.5000\r\n"
    "Date_1=3-1-2008\r\n"
    "[Item_2]\r\n"
    "Type=RECOMMENDED_APPLICATION\r\n"
    "Title_ENG=Power Manager\r\n"
    "Version=2.0\r\n"
    "Version_Path=SOFTWARE\\TavelinTipTest\\Power\\Version\r\n"
    "DisplayVersion=2.0\r\n"
    "[Item_3]\r\n"
    "Type=OPTIONAL_APPLICATION\r\n"
    "Title_ENG=Photo Viewer\r\n"
    "Version=1.5\r\n"
    "Version_Path=SOFTWARE\\TavelinTipTest\\Photo\\Version\r\n"
    "DisplayVersion=1.5\r\n"
    "[Item_4]\r\n"
    "Type=OPTIONAL_APPLICATION\r\n"
    "Title_ENG=Power Widget\r\n"
    "Version_Path=SOFTWARE\\TavelinTipTest\\Widget\r\n"
    "Dependence=Item_2\r\n";

const wchar_t kDriverOlder[] =
    L"Offered: the installed driver 6.14.10.4764 (2006-06-21) is older than the disc's 6.14.10.5000 (2008-03-01)";
const wchar_t kManagerMissing[] = L"Offered: not installed (SOFTWARE\\TavelinTipTest\\Power is not in the registry)";
const wchar_t kPhotoSame[] = L"Greyed: installed, same version as on the disc";
const wchar_t kWidgetMissing[] = L"Offered: not installed (SOFTWARE\\TavelinTipTest\\Widget is not in the registry)";

class ReasonTips : public ::testing::Test {
protected:
    void SetUp() override {
        AddAdapterWithOlderDriver();
        SetRegistryString(L"SOFTWARE\\TavelinTipTest\\Photo", L"Version", L"1.5");
        m_disc.WriteIni(kDisc);
    }

    HWND List(HWND window) const { return GetDlgItem(window, 1007); }
    std::wstring Rows(HWND window) const { return DescribeRows(ReadListRows(List(window))); }
    bool RowsBecome(HWND window, const std::wstring& expected) const { return ListRowsBecome(List(window), expected); }
    // The advanced view, where the installed viewer has its greyed row.
    void ShowAdvancedView(HWND window) const {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), 0);
        ASSERT_TRUE(RowsBecome(window, L"Display Driver[x] | Power Manager[x] | Photo Viewer[ ] | Power Widget[x]"))
            << Rows(window);
    }
    void ExpectTips(HWND window, const std::vector<std::pair<int, std::wstring>>& tips, const char* when) const {
        for (const auto& [row, expected] : tips) {
            EXPECT_EQ(HoverListCellTip(List(window), row, 1, expected), expected) << when << ", row " << row;
        }
    }

    TestDisc m_disc{L"reason-tips"};
};

TEST_F(ReasonTips, EachRowTellsWhyAndADependenceAddsTheSecondLine) {
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ShowAdvancedView(window);
    ExpectTips(window, {{0, kDriverOlder}, {1, kManagerMissing}, {2, kPhotoSame}, {3, kWidgetMissing}},
               "as the list is filled");

    // Clearing the manager clears the widget that needs it; checking the widget checks the manager
    // again. The widget's box is now the user's own, the manager's the dependence's.
    ClickListCell(List(window), 1, 0);
    ASSERT_TRUE(RowsBecome(window, L"Display Driver[x] | Power Manager[ ] | Photo Viewer[ ] | Power Widget[ ]"));
    ClickListCell(List(window), 3, 0);
    ASSERT_TRUE(RowsBecome(window, L"Display Driver[x] | Power Manager[x] | Photo Viewer[ ] | Power Widget[x]"));
    ExpectTips(window,
               {{3, kWidgetMissing},
                {0, kDriverOlder},
                {1, std::wstring(kManagerMissing) + L"\nChecked because \"Power Widget\" needs it"}},
               "after checking the widget");
    SaveScreenshot(window, L"reason-tip-two-lines");

    // Clearing the manager once more: now the widget's box is the dependence's.
    ClickListCell(List(window), 1, 0);
    ASSERT_TRUE(RowsBecome(window, L"Display Driver[x] | Power Manager[ ] | Photo Viewer[ ] | Power Widget[ ]"));
    ExpectTips(window,
               {{3, std::wstring(kWidgetMissing) + L"\nCleared because it needs \"Power Manager\""},
                {1, kManagerMissing}},
               "after clearing the manager again");
    EXPECT_TRUE(program.Close());
}

TEST_F(ReasonTips, LanguageLibraryTranslatesTheReasonsItHas) {
    // The machine's user-interface language is 0409: its library is the partial one of the tests.
    m_disc.CopyIn(PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\doubles\\partial_language.dll", L"Lib\\0409.DLL");
    RunningProgram program(m_disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(ReadControl(window, 1008).text, L"Starten") << "the library is loaded";
    ShowAdvancedView(window);
    ExpectTips(window,
               {{0, L"Angeboten: die Disc hat 6.14.10.5000 vom 2008-03-01, installiert ist 6.14.10.4764 vom 2006-06-21"},
                {2, L"Grau: installiert, dieselbe Version wie auf der Disc"},
                {1, kManagerMissing}},
               "translated where the library has the reason, in English where it leaves it empty");
    EXPECT_TRUE(program.Close());
}

}  // namespace
}  // namespace tavelin::testing
