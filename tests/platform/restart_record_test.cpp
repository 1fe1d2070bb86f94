// The restart record against Wine's registry and files: written, read once and deleted; too long a
// list not resumed and kept; the helper copied once and registered to run once; and the restart
// helper starting the recorded program in its folder. The record's key and the RunOnce value have
// fixed names, so every test removes them before and after itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/process_launcher_win.h"
#include "install/restart_record_win.h"
#include "platform/handles.h"
#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::DeleteKeyTree;
using testing::kProgramView;
using testing::Narrow;

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::wstring& text) override { messages.push_back(Narrow(text)); }
    std::vector<std::string> messages;
};

void RemoveRestartTraces() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath);
    UniqueKey runOnce;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, 0, KEY_SET_VALUE | kProgramView, runOnce.Receive()) == ERROR_SUCCESS) {
        RegDeleteValueW(runOnce.Get(), kRunOnceValueName);
    }
}

class RestartRecord : public ::testing::Test {
protected:
    void SetUp() override { RemoveRestartTraces(); }
    void TearDown() override { RemoveRestartTraces(); }
};

bool RecordKeyExists() {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kProgramView, key.Receive()) == ERROR_SUCCESS;
}

struct StoredText {
    bool found = false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring text;
};
StoredText ReadText(const wchar_t* path, const wchar_t* name, REGSAM view = kProgramView) {
    StoredText stored;
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return stored;
    wchar_t data[1024] = {};
    stored.bytes = sizeof data - sizeof(wchar_t);
    stored.found = RegQueryValueExW(key.Get(), name, nullptr, &stored.type, reinterpret_cast<BYTE*>(data),
                                    &stored.bytes) == ERROR_SUCCESS;
    stored.text = data;
    return stored;
}

void StoreRawList(const BYTE* bytes, DWORD size) {
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, nullptr, 0, KEY_WRITE | kProgramView, nullptr,
                                  key.Receive(), nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), kWaitingListValueName, 0, REG_SZ, bytes, size), ERROR_SUCCESS);
}

TEST_F(RestartRecord, WrittenThenReadOnceAndDeleted) {
    Win32RestartSystem system(L"C:\\Disc\\setup.exe");
    system.WriteRecord(L"4@7@12");
    const StoredText list = ReadText(kRestartRecordKeyPath, kWaitingListValueName);
    EXPECT_EQ(list.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(list.bytes, 7u * sizeof(wchar_t)) << "stored whole, with its null";
    const StoredText path = ReadText(kRestartRecordKeyPath, kFullPathValueName);
    EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path.text, L"C:\\Disc\\setup.exe");

    Win32RestartRecordStore store;
    DiagnosticSwitches switches;
    switches.m_bShowErrorMessage = true;
    RecordingSink sink;
    bool resume = false;
    EXPECT_EQ(ReadWaitingList(store, switches, sink, resume), L"4@7@12");
    EXPECT_TRUE(resume);
    EXPECT_FALSE(RecordKeyExists()) << "the key goes with both its values";
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_EQ(ReadWaitingList(store, switches, sink, resume), L"");
    EXPECT_TRUE(resume) << "a failed read leaves the flag";
    EXPECT_EQ(sink.messages, std::vector<std::string>{"Error : Failed to open SOFTWARE\\Tavelin"});
}

TEST_F(RestartRecord, ListLengthLimit) {
    struct Case {
        std::size_t characters;
        bool resumed;
    };
    const Case cases[] = {{129, true}, {130, false}, {200, false}};
    for (const Case& c : cases) {
        const std::wstring list(c.characters, L'7');
        Win32RestartSystem(L"C:\\Disc\\setup.exe").WriteRecord(list);
        Win32RestartRecordStore store;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = true;
        RecordingSink sink;
        bool resume = false;
        EXPECT_EQ(ReadWaitingList(store, switches, sink, resume), c.resumed ? list : L"") << c.characters;
        EXPECT_EQ(resume, c.resumed) << c.characters;
        EXPECT_EQ(RecordKeyExists(), !c.resumed) << c.characters << ": an unreadable list keeps its key";
        if (!c.resumed) {
            EXPECT_EQ(sink.messages, std::vector<std::string>{"Error : Failed to get ContinueInstallList"})
                << c.characters;
        }
        RemoveRestartTraces();
    }
}

TEST_F(RestartRecord, ListStoredWithoutItsNullStaysInsideTheBuffer) {
    // 130 characters filling the 260 bytes exactly, with no terminator and more text behind them.
    const std::wstring stored = std::wstring(130, L'4') + L"@99@99";
    StoreRawList(reinterpret_cast<const BYTE*>(stored.c_str()), 260);
    Win32RestartRecordStore store;
    std::wstring text;
    ASSERT_EQ(store.ReadWaitingListValue(text), WaitingListRead::Read);
    EXPECT_EQ(text, std::wstring(130, L'4'));
}

TEST_F(RestartRecord, MissingValueKeepsTheKey) {
    {
        UniqueKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, nullptr, 0, KEY_WRITE | kProgramView, nullptr,
                                  key.Receive(), nullptr), ERROR_SUCCESS);
    }
    Win32RestartRecordStore store;
    std::wstring text;
    EXPECT_EQ(store.ReadWaitingListValue(text), WaitingListRead::ValueUnreadable);
    EXPECT_TRUE(RecordKeyExists());
}

std::wstring TempPath() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

void WriteTextFile(const std::wstring& path, const std::string& content) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}
std::string ReadTextFile(const std::wstring& path) {
    std::string content;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return content;
    char chunk[256];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) content.append(chunk, got);
    std::fclose(file);
    return content;
}

// The restart itself is only recorded: the real command would restart a real Windows.
class RecordedRestart : public Win32RestartSystem {
public:
    using Win32RestartSystem::Win32RestartSystem;
    void StartCommand(const std::wstring& commandLine) override { started.push_back(commandLine); }
    std::vector<std::wstring> started;
};

TEST_F(RestartRecord, RestartCopiesTheHelperOnceAndRegistersIt) {
    const std::wstring disc = TempPath() + L"TavelinRestartDisc" + std::to_wstring(GetCurrentProcessId());
    const std::wstring tempFolder = TempPath() + L"Tavelin";
    const std::wstring helper = tempFolder + L"\\ReInst.exe";
    CreateDirectoryW(disc.c_str(), nullptr);
    CreateDirectoryW((disc + L"\\Lib").c_str(), nullptr);
    DeleteFileW(helper.c_str());
    RemoveDirectoryW(tempFolder.c_str());
    WriteTextFile(disc + L"\\Lib\\ReInst.exe", "first helper");

    DiagnosticSwitches switches;
    switches.m_bShowErrorMessage = true;
    RecordingSink sink;
    RecordedRestart system(L"C:\\Disc\\setup.exe");
    EXPECT_EQ(RestartAndResume(system, disc, L"4@7@12", switches, sink), RestartStep::RestartScheduled);
    EXPECT_EQ(ReadTextFile(helper), "first helper");
    const StoredText runOnce = ReadText(kRunOnceKeyPath, kRunOnceValueName);
    EXPECT_EQ(runOnce.type, static_cast<DWORD>(REG_EXPAND_SZ));
    // Wine's temp path has no blank, so the command is the helper's path as it stands (the quoting
    // of a path with blanks is a case of the command's own table).
    ASSERT_EQ(helper.find(L' '), std::wstring::npos) << "a temp path with blanks needs another expectation";
    EXPECT_EQ(runOnce.text, helper);
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kWaitingListValueName).text, L"4@7@12");
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kFullPathValueName).text, L"C:\\Disc\\setup.exe");
    EXPECT_EQ(system.started, std::vector<std::wstring>{L"shutdown -r -t 15"});
    EXPECT_TRUE(sink.messages.empty());

    // A second restart: the folder exists (shown under the switch) and the earlier copy is kept.
    WriteTextFile(disc + L"\\Lib\\ReInst.exe", "second helper");
    RestartAndResume(system, disc, L"12", switches, sink);
    EXPECT_EQ(ReadTextFile(helper), "first helper");
    EXPECT_EQ(sink.messages, std::vector<std::string>{"Could not create temp dir"});
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kWaitingListValueName).text, L"12");

    DeleteFileW(helper.c_str());
    RemoveDirectoryW(tempFolder.c_str());
    DeleteFileW((disc + L"\\Lib\\ReInst.exe").c_str());
    RemoveDirectoryW((disc + L"\\Lib").c_str());
    RemoveDirectoryW(disc.c_str());
}

bool RunsOn64BitWindows() {
    if (sizeof(void*) == 8) return true;
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

// On 64-bit Windows the record and the RunOnce entry are in the 32-bit view (Wow6432Node), where the
// 32-bit program has always kept them, whichever program wrote them: a restart begun by one is
// resumed by the other, and the restart helper of either finds the record.
TEST_F(RestartRecord, KeptInThe32BitViewByEitherProgram) {
    if (!RunsOn64BitWindows()) GTEST_SKIP() << "needs a 64-bit prefix";
    Win32RestartSystem system(L"C:\\Disc\\setup.exe");
    system.WriteRecord(L"4@7");
    system.SetRunOnce(L"C:\\Temp\\Tavelin\\ReInst.exe");
    const wchar_t kRedirectedRecord[] = L"SOFTWARE\\Wow6432Node\\Tavelin";
    const wchar_t kRedirectedRunOnce[] = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    EXPECT_EQ(ReadText(kRedirectedRecord, kWaitingListValueName, KEY_WOW64_64KEY).text, L"4@7");
    EXPECT_EQ(ReadText(kRedirectedRunOnce, kRunOnceValueName, KEY_WOW64_64KEY).text,
              L"C:\\Temp\\Tavelin\\ReInst.exe");
    EXPECT_FALSE(ReadText(kRestartRecordKeyPath, kWaitingListValueName, KEY_WOW64_64KEY).found)
        << "nothing in the 64-bit view";

    Win32RestartRecordStore().DeleteRecord();
    EXPECT_FALSE(ReadText(kRedirectedRecord, kWaitingListValueName, KEY_WOW64_64KEY).found) << "deleted there too";
}

// The restart helper of the built disc starts what the record names. The program it starts here is
// this test program, limited to ReInstTarget.LeavesATrace, which writes its current directory.
constexpr wchar_t kTraceVariable[] = L"TAVELIN_REINST_TRACE";

TEST(ReInstTarget, LeavesATrace) {
    const wchar_t* trace = _wgetenv(kTraceVariable);
    if (trace == nullptr) GTEST_SKIP() << "started by the restart helper only";
    wchar_t folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, folder);
    WriteTextFile(trace, Narrow(folder));
}

int RunHelper(const std::wstring& helper) {
    auto process = StartProcess(L"\"" + helper + L"\"");
    if (!process) return -1;
    WaitForSingleObject(process->Handle(), 20000);
    DWORD code = 0;
    GetExitCodeProcess(process->Handle(), &code);
    return static_cast<int>(code);
}

TEST_F(RestartRecord, HelperStartsTheRecordedProgramInItsFolder) {
    const std::wstring lib = testing::StandinDirectory();
    if (lib.empty()) GTEST_SKIP() << "set TAVELIN_STANDIN_DIR to the built disc's Lib folder";
    const std::wstring helper = lib + L"\\ReInst.exe";
    const std::wstring program = RunningProgramPath();
    const std::wstring trace = TempPath() + L"TavelinReInstTrace" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(trace.c_str());

    EXPECT_EQ(RunHelper(helper), 1) << "without a record the helper does nothing";

    Win32RestartSystem(program).WriteRecord(L"4");
    SetEnvironmentVariableW(kTraceVariable, trace.c_str());
    SetEnvironmentVariableW(L"GTEST_FILTER", L"ReInstTarget.LeavesATrace");
    const int code = RunHelper(helper);
    SetEnvironmentVariableW(kTraceVariable, nullptr);
    SetEnvironmentVariableW(L"GTEST_FILTER", nullptr);
    EXPECT_EQ(code, 0);

    std::string written;
    for (int i = 0; i < 200 && written.empty(); ++i) {
        Sleep(100);
        written = ReadTextFile(trace);
    }
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    EXPECT_EQ(written, Narrow(folder));
    EXPECT_TRUE(RecordKeyExists()) << "the record is the program's to read and delete";
    DeleteFileW(trace.c_str());
}

}  // namespace
}  // namespace tavelin
