// The log every start writes in %TEMP%\Tavelin, read after the program has ended: an
// installation with an installer that fails in each way (an exit code, not found), a refusal and a
// diagnostic switch's text, and starts where no log can be written, which must run as any other.
// Each test names its own temporary folder (TMP and TEMP, which the program inherits).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/list_reader.h"
#include "driver/program_dialogs.h"
#include "driver/program_driver.h"
#include "platform/handles.h"
#include "../support/file_contents_win.h"
#include "../support/folder_link_win.h"

namespace tavelin::testing {
namespace {

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}

// A line of the log: its stamp and its text.
struct LogLine {
    std::string stamp;  // "2024-05-01 09:03:07.045"
    std::string text;
};

class RunLogOfAStart : public ::testing::Test {
protected:
    // TMP and TEMP of the programs this test starts.
    void UseTemporaryFolder(const std::wstring& folder) {
        CreateDirectoryW(L"C:\\tavelin-tests", nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        SetEnvironmentVariableW(L"TMP", folder.c_str());
        SetEnvironmentVariableW(L"TEMP", folder.c_str());
    }

    // The one log in <folder>\Tavelin, UTF-8 after its byte-order mark, line by line.
    static std::vector<LogLine> ReadTheLog(const std::wstring& temporaryFolder) {
        const std::wstring logFolder = temporaryFolder + L"\\Tavelin";
        const std::vector<std::wstring> files = FileNamesIn(logFolder);
        EXPECT_EQ(files.size(), 1u) << "one start, one log";
        if (files.empty()) return {};
        const std::string bytes = ReadFileBytes(logFolder + L"\\" + files.front());
        EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 with its byte-order mark";
        std::vector<LogLine> lines;
        std::size_t start = 3;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = bytes.substr(start, end - start);
            EXPECT_GE(line.size(), 24u) << line;
            if (line.size() < 24) continue;
            lines.push_back({line.substr(0, 23), line.substr(24)});
        }
        EXPECT_EQ(start, bytes.size()) << "the log ends with a whole line";
        return lines;
    }

    static std::string Texts(const std::vector<LogLine>& lines) {
        std::string text;
        for (const LogLine& line : lines) text += line.stamp + " " + line.text + "\n";
        return text;
    }

    // The position of the first line with this text at or after `from`; lines.size() when none.
    static std::size_t Find(const std::vector<LogLine>& lines, const std::string& text, std::size_t from = 0) {
        for (std::size_t i = from; i < lines.size(); ++i) {
            if (lines[i].text == text) return i;
        }
        return lines.size();
    }
    static bool HasLineStarting(const std::vector<LogLine>& lines, const std::string& start) {
        for (const LogLine& line : lines) {
            if (line.text.compare(0, start.size(), start) == 0) return true;
        }
        return false;
    }
};

// The key the third item's installer writes and detection reads: one per disc, as the tests
// share one machine.
std::string AppKey(const std::string& disc) { return "SOFTWARE\\TavelinLogTest\\" + disc; }

std::string Application(const std::string& disc, int number, const std::string& title, const std::string& command) {
    return "[Item_" + std::to_string(number) + "]\r\n"
           "Type=OPTIONAL_APPLICATION\r\n"
           "Title_ENG=" + title + "\r\n"
           "Version=2.0\r\n"
           "Version_Path=" + AppKey(disc) + "\\Version\r\n"
           "Slient_Install_Cmd=" + command + "\r\n";
}

// Three items: one whose installer ends with exit code 1 (the sample installer's answer to an
// action it does not know), one whose installer is missing, one that installs.
TestDisc RunDisc(const std::string& name) {
    TestDisc disc(Widen(name));
    disc.CopyIn(PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Apps\\Power\\Setup.exe", L"Apps\\Power\\Setup.exe");
    disc.WriteIni("[Driver_CD]\r\nTitle_ENG=Log Disc\r\nWait_Time=1\r\n[Items]\r\nItem_Quantity=3\r\n" +
                  Application(name, 1, "Power Manager", "\\Apps\\Power\\Setup.exe%%/delay 100 /no-such-action") +
                  Application(name, 2, "Broken Hotfix", "\\Hotfix\\Missing.exe") +
                  Application(name, 3, "Photo Viewer \xC3\xBC\xE2\x82\xAC",
                              "\\Apps\\Power\\Setup.exe%%/delay 200 /set " + AppKey(name) + " Version 2.0"));
    return disc;
}

// Start, Yes, the run, No to the reboot question: the program ends after a complete run.
void InstallEverythingAndEnd(RunningProgram& program, HWND window) {
    ASSERT_EQ(ClickStartAndAnswer(program, window), L"Install now?");
    HWND reboot = WaitForQuestion(program);
    ASSERT_NE(reboot, nullptr);
    ASSERT_EQ(MessageBoxText(reboot), L"Reboot?");
    EXPECT_EQ(Statuses(window), L"Power Manager:Done | Broken Hotfix:Failed | Photo Viewer \u00FC\u20AC:Done");
    Answer(reboot, IDNO);
    EXPECT_TRUE(program.WaitForExit());
}

TEST_F(RunLogOfAStart, AnInstallationWithFailingInstallers) {
    const std::wstring temporary = L"C:\\tavelin-tests\\log-run-temp";
    UseTemporaryFolder(temporary);
    const TestDisc disc = RunDisc("log-run");
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        InstallEverythingAndEnd(program, window);
    }
    const std::vector<LogLine> lines = ReadTheLog(temporary);
    const std::string all = Texts(lines);
    ASSERT_FALSE(lines.empty());

    const std::string architecture = sizeof(void*) == 8 ? "x64" : "x86";
    EXPECT_EQ(lines.front().text.rfind("Tavelin setup 1.0.0.0, " + architecture + " program, process ", 0), 0u) << all;
    EXPECT_NE(Find(lines, "Command line: setup.exe"), lines.size()) << all;
    const std::string root = Utf8(disc.DiscRoot());
    EXPECT_NE(Find(lines, "Disc: " + root), lines.size()) << all;
    EXPECT_NE(Find(lines, "Catalogue: " + root + "\\Lib\\TAVELIN.INI"), lines.size()) << all;
    for (const char* start : {"Windows: version ", "OS key: ", "Model: \"", "List: 3 rows, 3 checked"}) {
        EXPECT_TRUE(HasLineStarting(lines, start)) << start << "\n" << all;
    }

    // The run, in order, between the question and the next one.
    const std::string power = root + "\\Apps\\Power";
    const std::vector<std::string> run = {
        // Each item's decision, as the evaluation made it: the reason, then what it was read from.
        "Evaluation at startup:",
        "Item_1 \"Power Manager\" (optional application): offered, checked, in both views. "
        "Offered: not installed (" + AppKey("log-run") + " is not in the registry)",
        "      installed state: version value of HKLM\\" + AppKey("log-run") +
            " value \"Version\": not found in either view",
        "Question: Install now?",
        "Answer: Yes",
        "Start: StartWorker",
        "Installation run begins",
        "Item 1 \"Power Manager\", row 1, begins",
        "Item 1: working folder " + power,
        "Item 1: install command line: \"" + power + "\\Setup.exe\" /delay 100 /no-such-action",
        "Item 1: install started",
        "Item 1: install ended, exit code 1",
        "Item 1: row 1 result Done",
        "Item 2 \"Broken Hotfix\", row 2, begins",
        "Item 2: working folder " + root + "\\Hotfix could not be entered; the current folder stays",
        "Item 2: install command line: \"" + root + "\\Hotfix\\Missing.exe\"",
        "Item 2: install could not be started",
        "Item 2: row 2 result Failed",
        "Item 3 \"Photo Viewer \xC3\xBC\xE2\x82\xAC\", row 3, begins",
        "Item 3: working folder " + power,
        "Item 3: install command line: \"" + power + "\\Setup.exe\" /delay 200 /set " + AppKey("log-run") +
            " Version 2.0",
        "Item 3: install started",
        "Item 3: install ended, exit code 0",
        "Item 3: row 3 result Done",
        "Installation run ends: complete",
        "Question: Reboot?",
        "Answer: No",
    };
    std::size_t at = 0;
    for (const std::string& expected : run) {
        at = Find(lines, expected, at);
        ASSERT_LT(at, lines.size()) << "missing, or out of order: " << expected << "\n" << all;
    }
    EXPECT_EQ(lines.back().text, "Program ends, exit code 1603") << "an item failed";
    // Each line is stamped when it happens: the stamps never go back (the date and time are
    // written most significant first, so their text sorts as they do).
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_LE(lines[i - 1].stamp, lines[i].stamp) << "line " << i << "\n" << all;
    }
}

TEST_F(RunLogOfAStart, ARefusalAndADiagnosticSwitchsTextAreLogged) {
    const std::wstring temporary = L"C:\\tavelin-tests\\log-refusal-temp";
    UseTemporaryFolder(temporary);
    TestDisc disc(L"log-refusal");
    disc.UseScriptedLibraries("model=Tavelin TestBook 14\r\n");
    disc.WriteIni("[Driver_CD]\r\nModel=Other Book\r\n[Items]\r\nItem_Quantity=0\r\n");
    std::vector<std::wstring> messages;
    {
        RunningProgram program(disc.ProgramPath(), L"setup.exe ShowOS ShowModel");
        messages = program.CollectMessagesUntilSettled();
        EXPECT_TRUE(program.WaitForExit());
    }
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1], L"Model = \"Tavelin TestBook 14\"");
    const std::wstring refusal = L"This is not a suitable machine for this driver disk";
    EXPECT_EQ(messages[2], refusal);

    const std::vector<LogLine> lines = ReadTheLog(temporary);
    const std::string all = Texts(lines);
    EXPECT_NE(Find(lines, "Diagnostic switches: ShowModel ShowOS"), lines.size()) << all;
    const std::size_t os = Find(lines, "Message: " + Utf8(messages[0]));
    const std::size_t model = Find(lines, "Message: " + Utf8(messages[1]), os);
    const std::size_t refused = Find(lines, "Refused: " + Utf8(refusal), model);
    ASSERT_LT(refused, lines.size()) << "each box's text, in the order shown\n" << all;
    EXPECT_EQ(lines[refused + 1].text, "Startup ends without the list: refused") << all;
    EXPECT_EQ(lines.back().text, "Program ends, exit code 1633") << all;
}

// No log can be written: the program is not told, shows nothing more, and works as ever.
TEST_F(RunLogOfAStart, AStartWhereNoLogCanBeWrittenRunsAsAnyOther) {
    struct Case {
        const char* name;
        std::wstring temporary;
        bool install;
    };
    const std::wstring blocked = L"C:\\tavelin-tests\\log-blocked-temp";
    const Case cases[] = {
        {"a file named Tavelin where the folder would be", blocked, true},
        {"a temporary folder that does not exist", L"C:\\tavelin-tests\\log-missing-temp\\gone", false},
    };
    UseTemporaryFolder(blocked);
    {
        UniqueHandle file(CreateFileW((blocked + L"\\Tavelin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "in the way", 10, &written, nullptr));
    }
    for (const Case& c : cases) {
        SetEnvironmentVariableW(L"TMP", c.temporary.c_str());
        SetEnvironmentVariableW(L"TEMP", c.temporary.c_str());
        const TestDisc disc = RunDisc(c.install ? "log-blocked" : "log-missing");
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(window, nullptr) << c.name;
        EXPECT_EQ(program.WaitForMessageBox(0), nullptr) << c.name << ": nothing is said about the log";
        EXPECT_EQ(Statuses(window), L"Power Manager: | Broken Hotfix: | Photo Viewer \u00FC\u20AC:") << c.name;
        if (c.install) {
            InstallEverythingAndEnd(program, window);
        } else {
            EXPECT_TRUE(program.Close()) << c.name;
        }
    }
    EXPECT_EQ(ReadFileBytes(blocked + L"\\Tavelin"), "in the way");
    EXPECT_EQ(GetFileAttributesW(L"C:\\tavelin-tests\\log-missing-temp"), INVALID_FILE_ATTRIBUTES)
        << "no folder is made on the way to a missing one";
}

// The program runs elevated (or as the system, whose temporary folder every user can write in):
// a link put in the log folder's place must not have it delete or create files wherever the link
// leads. The folder it leads to holds eleven files named like old logs, which the program would
// thin out to nine, and a file of its own.
TEST_F(RunLogOfAStart, ALinkInTheLogFoldersPlaceLeadsNowhere) {
    const std::wstring temporary = L"C:\\tavelin-tests\\log-linked-temp";
    const std::wstring target = L"C:\\tavelin-tests\\log-link-target";
    UseTemporaryFolder(temporary);
    CreateDirectoryW(target.c_str(), nullptr);
    for (int day = 1; day <= 11; ++day) {
        wchar_t name[64];
        swprintf(name, 64, L"\\2020-01-%02d_10-00-00-000.log", day);
        UniqueHandle file(CreateFileW((target + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "old", 3, &written, nullptr));
    }
    {
        UniqueHandle file(CreateFileW((target + L"\\precious.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "mine", 4, &written, nullptr));
    }
    const std::vector<std::wstring> before = FileNamesIn(target);
    ASSERT_EQ(before.size(), 12u);
    ASSERT_TRUE(MakeFolderLink(temporary + L"\\Tavelin", target));

    const TestDisc disc = RunDisc("log-linked");
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(program.WaitForMessageBox(0), nullptr) << "nothing is said about the log";
    EXPECT_TRUE(program.Close());

    EXPECT_EQ(FileNamesIn(target), before) << "nothing deleted or made where the link leads";
    for (const std::wstring& name : before) {
        EXPECT_EQ(ReadFileBytes(target + L"\\" + name), name == L"precious.txt" ? "mine" : "old") << Utf8(name);
    }
}

}  // namespace
}  // namespace tavelin::testing
