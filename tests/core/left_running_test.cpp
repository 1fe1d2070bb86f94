#include "install/left_running.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "narrow_text.h"

namespace tavelin {
namespace {

std::vector<std::string> NarrowAll(const std::vector<std::wstring>& texts) {
    std::vector<std::string> narrow;
    for (const std::wstring& text : texts) narrow.push_back(Narrow(text));
    return narrow;
}

// A Run value's command is read as Windows reads a command line: a quoted program ends at its
// closing quote; an unquoted one may end at any blank (a path with blanks is often left unquoted),
// and a program without an extension is an .exe.
TEST(LeftRunning, TheProgramsALogonCommandMayStart) {
    struct Case {
        const wchar_t* command;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {L"\"C:\\Program Files\\Vendor\\Tray.exe\" /background", {"C:\\Program Files\\Vendor\\Tray.exe"}},
        {L"  \"C:\\Vendor\\Tray\" -s", {"C:\\Vendor\\Tray", "C:\\Vendor\\Tray.exe"}},
        {L"\"C:\\Vendor\\Tray.exe", {"C:\\Vendor\\Tray.exe"}},
        {L"C:\\Vendor\\Tray.exe", {"C:\\Vendor\\Tray.exe"}},
        {L"C:\\Program Files\\Vendor\\Tray.exe  -s",
         {"C:\\Program", "C:\\Program.exe", "C:\\Program Files\\Vendor\\Tray.exe",
          "C:\\Program Files\\Vendor\\Tray.exe  -s"}},
        {L"C:\\v1.2\\Tray", {"C:\\v1.2\\Tray", "C:\\v1.2\\Tray.exe"}},
        {L"   ", {}},
        {L"\"\"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(NarrowAll(ProgramPathsOfCommand(c.command)), c.paths) << Narrow(c.command);
}

TEST(LeftRunning, SameProgramPath) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool same;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Vendor\\Tray.exe", L"c:\\program files\\VENDOR\\tray.EXE", true},
        {L"\\\\?\\C:\\Vendor\\Tray.exe", L"C:\\Vendor\\Tray.exe", true},
        {L"C:/Vendor/Tray.exe", L"C:\\Vendor\\Tray.exe", true},
        {L"C:\\Vendor\\Tray.exe", L"C:\\Vendor\\Tray2.exe", false},
        {L"C:\\Vendor\\Tray.exe", L"D:\\Vendor\\Tray.exe", false},
        {L"", L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(SameProgramPath(c.a, c.b), c.same) << Narrow(c.a) << " ~ " << Narrow(c.b);
}

// The wait stops only when every process left runs a registered program; one hand-off child, or
// one whose image could not be read, keeps it going.
TEST(LeftRunning, OnlyRegisteredResidentProgramsEndTheWait) {
    const LeftProcess tray{40, L"C:\\Program Files\\Vendor\\Tray.exe"};
    const LeftProcess helper{41, L"C:\\Vendor\\Helper.exe"};
    const LeftProcess msiexec{42, L"C:\\Windows\\System32\\msiexec.exe"};
    const LeftProcess unreadable{43, L""};
    const std::vector<LogonProgram> programs = {
        {L"HKLM 64", L"Tray", L"\"C:\\Program Files\\Vendor\\Tray.exe\" /background"},
        {L"HKCU", L"Helper", L"C:\\Vendor\\Helper"},
        {L"HKLM 32", L"Empty", L""},
    };
    struct Case {
        const char* name;
        std::vector<LeftProcess> left;
        std::vector<std::string> leftRunning;  // the names of the values, when the wait stops
        bool stops;
    };
    const Case cases[] = {
        {"a tray utility", {tray}, {"Tray"}, true},
        {"two, registered in different places", {tray, helper}, {"Tray", "Helper"}, true},
        {"a hand-off beside the tray", {tray, msiexec}, {}, false},
        {"an image that cannot be read", {unreadable}, {}, false},
        {"nothing left", {}, {}, false},
    };
    for (const Case& c : cases) {
        const LeftProcessesVerdict verdict = JudgeLeftProcesses(c.left, programs);
        EXPECT_EQ(verdict.stopWaiting, c.stops) << c.name;
        std::vector<std::string> names;
        for (const ResidentProcess& resident : verdict.leftRunning) names.push_back(Narrow(resident.program.name));
        EXPECT_EQ(names, c.leftRunning) << c.name;
    }
    EXPECT_FALSE(JudgeLeftProcesses({tray}, {}).stopWaiting) << "nothing registered";
}

}  // namespace
}  // namespace tavelin
