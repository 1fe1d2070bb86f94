// "Reboot?" answered Yes: the program asks Windows to restart. Windows' restart ends the session's
// windowed programs and runs HKLM RunOnce; a witness program left in RunOnce shows that the
// restart was really asked for. It ends the whole Wine session, so it runs in a prefix of its own.
#include <gtest/gtest.h>

#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/recorded_starts.h"
#include "driver/test_registry.h"

namespace tavelin::testing {
namespace {

const wchar_t kRunOnce[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

TEST(Reboot, YesRestartsWindows) {
    // The witness is kept in the Windows folder, which no view redirects: a 32-bit test's RunOnce
    // value lands in the 32-bit view, and whatever runs that view at the restart (a 64-bit process
    // on 64-bit Windows) must find the program at the path the value names. A copy put into the
    // system folder by a 32-bit test would be in SysWOW64 instead.
    const std::wstring witness = WindowsFolder() + L"\\tavelin-witness.exe";
    ASSERT_TRUE(PlaceRecorderAt(witness));
    ForgetRecordedStart(L"tavelin-witness");
    SetRegistryString(kRunOnce, L"TavelinWitness", L"\"" + witness + L"\" restarted");

    TestDisc disc(L"reboot-yes");
    disc.WriteIni("[Driver_CD]\r\nTitle_ENG=Reboot Disc\r\n[Items]\r\nItem_Quantity=1\r\n"
                  "[Item_1]\r\nType=HOTFIX\r\nTitle_ENG=Missing Hotfix\r\n"
                  "Version_Path=SOFTWARE\\TavelinRebootTest\\Hotfix\r\nSlient_Install_Cmd=\\Hotfix\\Missing.exe\r\n");
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");
    HWND reboot = WaitForQuestion(program);
    ASSERT_NE(reboot, nullptr);
    ASSERT_EQ(MessageBoxText(reboot), L"Reboot?");
    EXPECT_EQ(WaitForRecordedStart(L"tavelin-witness", 1000), L"") << "nothing restarted before the answer";

    Answer(reboot, IDYES);
    EXPECT_TRUE(program.WaitForExit()) << "the restart ends the program";
    EXPECT_NE(WaitForRecordedStart(L"tavelin-witness"), L"") << "Windows restarted: RunOnce ran";
    EXPECT_EQ(ReadRegistryString(kRunOnce, L"TavelinWitness"), L"<no value>");
}

}  // namespace
}  // namespace tavelin::testing
