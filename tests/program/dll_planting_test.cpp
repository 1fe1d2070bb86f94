// setup.exe runs as administrator, often from a folder that others can write. Logging DLLs named
// like system DLLs (tests/doubles/planted) are planted beside it and in every folder that is its
// current directory: the folder it is started in, the disc root after startup, and an installer's
// folder during a run. The program goes through startup, the About box and an installation, and
// none of the planted DLLs may have been loaded by it.
//
// Wine prefers its built-in DLLs; the group tells it to prefer native copies of the DLLs that are
// loaded once the program runs (setupapi.dll, which the disc's libraries import, and comctl32.dll),
// so that it searches as Windows does. Not for version.dll and uxtheme.dll: Wine's own advapi32
// imports version.dll and its user32 loads uxtheme.dll by name before the program's first
// instruction, which Windows does not (there they come from the system folder), so preferring
// native copies of those would test Wine. They are planted all the same; that setup.exe does not
// import version.dll is held by the image check (tests/check-program-image.sh).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "driver/recorded_starts.h"
#include "../support/file_contents_win.h"

namespace tavelin::testing {
namespace {

const char kDisc[] =
    "[Driver_CD]\r\n"
    "Title_ENG=Planting Disc\r\n"
    "Wait_Time=1\r\n"
    "[Items]\r\n"
    "Item_Quantity=1\r\n"
    "[Item_1]\r\n"
    "Type=OPTIONAL_APPLICATION\r\n"
    "Title_ENG=Power Manager\r\n"
    "Version=2.0\r\n"
    "Version_Path=SOFTWARE\\TavelinPlantingTest\\Power\\Version\r\n"
    "Slient_Install_Cmd=\\Apps\\Power\\Setup.exe%%/set SOFTWARE\\TavelinPlantingTest\\Power Version 2.0\r\n";

const wchar_t* const kPlantedNames[] = {L"setupapi.dll", L"comctl32.dll", L"version.dll", L"uxtheme.dll",
                                        L"dwmapi.dll"};

// The processes that loaded a planted copy, one full path a line ("<copy>.loaded", UTF-16).
std::vector<std::wstring> LoadersOf(const std::wstring& plantedPath) {
    std::vector<std::wstring> loaders;
    const std::string bytes = ReadFileBytes(plantedPath + L".loaded");
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);) loaders.push_back(line);
    return loaders;
}

// A planted DLL that is loaded may also break the program; the loads are checked either way.
void RunThroughStartupAboutAndAnInstallation(const RunningProgram& program) {
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    PostMessageW(window, WM_SYSCOMMAND, 0x10, 0);
    HWND about = program.WaitForMessageBox();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), L"About");
    for (int i = 0; i < 50 && WindowText(GetDlgItem(about, 1018)).empty(); ++i) Sleep(20);
    EXPECT_EQ(WindowText(GetDlgItem(about, 1018)), L"V1.0.0.0") << "the version is read without version.dll";
    AnswerMessageBox(about, IDOK);
    for (int i = 0; i < 100 && IsWindow(about) && IsWindowVisible(about); ++i) Sleep(50);

    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");
    HWND reboot = WaitForQuestion(program);
    ASSERT_NE(reboot, nullptr) << "the run ends with the reboot question";
    EXPECT_EQ(MessageBoxText(reboot), L"Reboot?");
    AnswerMessageBox(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(DllPlanting, SystemDllsPlantedBesideTheProgramOrInItsCurrentDirectoryAreNeverLoaded) {
    TestDisc disc(L"planting");
    disc.CopyIn(PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Apps\\Power\\Setup.exe", L"Apps\\Power\\Setup.exe");
    disc.WriteIni(kDisc);
    const std::wstring startFolder = disc.Folder() + L"\\started-here";
    CreateDirectoryW(startFolder.c_str(), nullptr);
    const std::wstring folders[] = {disc.DiscRoot(), disc.DiscRoot() + L"\\Apps\\Power", startFolder};
    std::vector<std::wstring> planted;
    for (const std::wstring& folder : folders) {
        for (const wchar_t* name : kPlantedNames) {
            const std::wstring path = folder + L"\\" + name;
            ASSERT_TRUE(CopyFileW((PathFromEnvironment("TAVELIN_BUILD_DIR") + L"\\doubles\\planted\\" + name).c_str(),
                                  path.c_str(), FALSE))
                << ::testing::PrintToString(path);
            planted.push_back(path);
        }
    }

    RunningProgram program(disc.ProgramPath(), L"setup.exe", startFolder);
    RunThroughStartupAboutAndAnInstallation(program);

    for (const std::wstring& path : planted) {
        for (const std::wstring& loader : LoadersOf(path)) {
            EXPECT_FALSE(SamePath(loader, disc.ProgramPath())) << "setup.exe loaded " << ::testing::PrintToString(path);
        }
    }
}

}  // namespace
}  // namespace tavelin::testing
