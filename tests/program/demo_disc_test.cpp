// The bundled demo disc does what the README promises: on a machine with its two devices and
// nothing installed it offers every item for this system, installs them all with its sample
// installers, and after the re-scan shows everything installed.
#include <gtest/gtest.h>

#include "driver/list_reader.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/test_machines.h"

namespace tavelin::testing {
namespace {

std::wstring Rows(HWND window) {
    std::wstring text;
    for (const auto& row : ReadListRows(GetDlgItem(window, 1007))) {
        text += (text.empty() ? L"" : L" | ") + row.cells[1] + L":" + row.cells[3] + (row.check == 1 ? L"[x]" : L"");
    }
    return text;
}

TEST(DemoDisc, OffersEverythingInstallsItAndShowsItInstalled) {
    // The demo machine's two devices, present without a driver yet.
    AddDemoDevices();
    TestDisc disc(L"demo");
    CopyDemoDisc(disc);

    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Tavelin Demo Driver Disc");
    EXPECT_EQ(Rows(window),
              L"Chipset Driver:8.3.0.1011[x] | Audio Driver:5.10.0.5345[x] | Tavelin Power Manager:2.1.0[x] | "
              L"Tavelin Photo Viewer:1.5[x] | Tavelin Recovery Media Creator:[x]");
    SaveScreenshot(window, L"demo-offered");

    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");

    // The power manager asks for a re-scan: the list comes back instead of the reboot question.
    const std::wstring installed =
        L"Chipset Driver:Installed | Audio Driver:Installed | Tavelin Power Manager:Installed | "
        L"Tavelin Photo Viewer:Installed | Tavelin Recovery Media Creator:Installed";
    std::wstring rows;
    for (int i = 0; i < 1200 && (rows = Rows(window)) != installed; ++i) Sleep(100);
    EXPECT_EQ(rows, installed);
    SaveScreenshot(window, L"demo-installed");
    EXPECT_TRUE(program.Close());
}

}  // namespace
}  // namespace tavelin::testing
