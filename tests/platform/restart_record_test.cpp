// The restart record against Wine's registry and files: written, read whole and kept until
// removed; the helper copied into a protected folder over whatever was there and registered to
// run once; and the restart helper starting the recorded program in its folder. The record's key and the RunOnce value have
// fixed names, so every test removes them before and after itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <aclapi.h>
#include <sddl.h>

#include "install/helper_folder_win.h"
#include "install/process_launcher_win.h"
#include "install/restart_record_win.h"
#include "install/run_fingerprints.h"
#include "platform/held_file_win.h"
#include "platform/handles.h"
#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::DeleteKeyTree;
using testing::kProgramView;
using testing::Narrow;
using testing::RunsOn64BitWindows;

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::wstring& text) override { messages.push_back(Narrow(text)); }
    std::vector<std::string> messages;
};

void RemoveRestartTraces() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRestartPendingKeyPath);
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

TEST_F(RestartRecord, WrittenReadAndKeptUntilRemoved) {
    Win32RestartSystem system(L"C:\\Disc\\setup.exe");
    ASSERT_TRUE(system.WriteRecord(L"4@7@12", std::nullopt));
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
    const StoredWaitingList read = ReadWaitingList(store, switches, sink);
    EXPECT_EQ(read.list, L"4@7@12");
    EXPECT_EQ(read.mode, ResumeMode::Automatic);
    EXPECT_TRUE(RecordKeyExists()) << "a crash during the resumed run must not lose the list";
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_TRUE(DeleteRestartRecord());
    EXPECT_FALSE(RecordKeyExists()) << "the key goes with both its values";
    EXPECT_TRUE(DeleteRestartRecord()) << "a record that is gone counts as removed";
    EXPECT_EQ(ReadWaitingList(store, switches, sink).mode, ResumeMode::None);
    EXPECT_EQ(sink.messages, std::vector<std::string>{"Error : Failed to open SOFTWARE\\Tavelin"});
}

// The whole data of a value, nulls included.
std::wstring ReadRawValue(const wchar_t* name, DWORD& type) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_READ | kProgramView, key.Receive()) !=
        ERROR_SUCCESS) {
        return L"<no key>";
    }
    wchar_t data[512] = {};
    DWORD bytes = sizeof data;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS) {
        return L"<no value>";
    }
    return std::wstring(data, bytes / sizeof(wchar_t));
}

StoredWaitingList ReadAtStart() {
    Win32RestartRecordStore store;
    DiagnosticSwitches switches;
    RecordingSink sink;
    return ReadWaitingList(store, switches, sink);
}

// An unattended run's restart leaves its mode and log file beside the list, as a list of texts an
// older program passes over; a window run's restart and the record's removal take it away.
TEST_F(RestartRecord, AnUnattendedRunIsRememberedBesideTheList) {
    Win32RestartSystem system(L"C:\\Disc\\setup.exe");
    ASSERT_TRUE(system.WriteRecord(L"4@7", UnattendedResume{L"quiet", L"C:\\Deploy Logs\\disc.log"}));
    DWORD type = 0;
    EXPECT_EQ(ReadRawValue(kUnattendedValueName, type), std::wstring(L"quiet\0C:\\Deploy Logs\\disc.log\0\0", 31));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kWaitingListValueName).text, L"4@7") << "today's values as they were";
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kFullPathValueName).text, L"C:\\Disc\\setup.exe");

    StoredWaitingList read = ReadAtStart();
    EXPECT_EQ(read.mode, ResumeMode::Automatic);
    ASSERT_TRUE(read.unattended.has_value());
    EXPECT_EQ(read.unattended->mode, L"quiet");
    EXPECT_EQ(read.unattended->logFile, L"C:\\Deploy Logs\\disc.log");

    ASSERT_TRUE(system.WriteRecord(L"7", UnattendedResume{L"passive", L""}));
    EXPECT_EQ(ReadRawValue(kUnattendedValueName, type), std::wstring(L"passive\0\0", 9));
    read = ReadAtStart();
    ASSERT_TRUE(read.unattended.has_value());
    EXPECT_EQ(read.unattended->mode, L"passive");
    EXPECT_EQ(read.unattended->logFile, L"");

    ASSERT_TRUE(system.WriteRecord(L"7", std::nullopt));
    EXPECT_EQ(ReadRawValue(kUnattendedValueName, type), L"<no value>") << "a window run's restart";
    EXPECT_FALSE(ReadAtStart().unattended.has_value());

    ASSERT_TRUE(system.WriteRecord(L"7", UnattendedResume{L"quiet", L""}));
    ASSERT_TRUE(system.DeleteRecord());
    EXPECT_FALSE(RecordKeyExists()) << "the value goes with the record";
    EXPECT_FALSE(ReadAtStart().unattended.has_value());
}

// The disc's identity and /norestart are values of their own beside the list, which an older
// program passes over; the pending mark is a key Windows forgets at its restart (a volatile key,
// which is why it cannot hold a key that is kept), and a start before the restart resumes nothing.
TEST_F(RestartRecord, TheDiscTheRestartAndNoRestartAreKeptBesideTheList) {
    const std::wstring disc(64, L'e');
    Win32RestartSystem system(L"C:\\Disc\\setup.exe");
    ASSERT_TRUE(system.WriteRecord(L"4@7", UnattendedResume{L"quiet", L"", true}));
    ASSERT_TRUE(system.WriteDiscIdentity(disc));
    ASSERT_TRUE(system.MarkRestartPending());
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kDiscIdentityValueName).text, disc);
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kDiscIdentityValueName).type, static_cast<DWORD>(REG_SZ));
    DWORD type = 0;
    EXPECT_EQ(ReadRawValue(kUnattendedValueName, type), std::wstring(L"quiet\0\0", 7)) << "as older programs read it";

    UniqueKey child;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kRestartPendingKeyPath) + L"\\Kept").c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE | kProgramView, nullptr, child.Receive(), nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE)
        << "the mark is volatile: a restart clears it";

    Win32RestartRecordStore store;
    DiagnosticSwitches switches;
    RecordingSink sink;
    StoredWaitingList read = ReadWaitingList(store, switches, sink, disc);
    EXPECT_EQ(read.hold, ResumeHold::RestartFirst);

    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRestartPendingKeyPath);  // what the restart does
    read = ReadWaitingList(store, switches, sink, disc);
    EXPECT_EQ(read.hold, ResumeHold::None);
    ASSERT_TRUE(read.unattended.has_value());
    EXPECT_TRUE(read.unattended->noRestart);
    EXPECT_EQ(ReadWaitingList(store, switches, sink, std::wstring(64, L'f')).hold, ResumeHold::OtherDisc);

    ASSERT_TRUE(system.MarkRestartPending());
    EXPECT_TRUE(DeleteRestartRecord());
    EXPECT_FALSE(store.RestartPending()) << "the mark goes with the record";

    ASSERT_TRUE(system.WriteRecord(L"7", UnattendedResume{L"quiet", L""}));
    ASSERT_TRUE(system.WriteDiscIdentity(L""));
    EXPECT_FALSE(ReadText(kRestartRecordKeyPath, kDiscIdentityValueName).found);
    read = ReadWaitingList(store, switches, sink, disc);
    ASSERT_TRUE(read.unattended.has_value());
    EXPECT_FALSE(read.unattended->noRestart) << "an earlier run's /norestart is not kept";
}

// Only a list of texts naming a known mode resumes unattended: anything else resumes in the window.
TEST_F(RestartRecord, AnUnattendedValueNotUnderstoodIsIgnored) {
    struct Case {
        const char* name;
        DWORD type;
        std::wstring data;
    };
    const Case cases[] = {
        {"plain text", REG_SZ, std::wstring(L"quiet\0", 6)},
        {"unknown mode", REG_MULTI_SZ, std::wstring(L"hidden\0\0", 8)},
        {"empty", REG_MULTI_SZ, std::wstring()},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Win32RestartSystem(L"C:\\Disc\\setup.exe").WriteRecord(L"4", std::nullopt));
        UniqueKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0, KEY_SET_VALUE | kProgramView,
                                key.Receive()),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.Get(), kUnattendedValueName, 0, c.type,
                                 reinterpret_cast<const BYTE*>(c.data.data()),
                                 static_cast<DWORD>(c.data.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        const StoredWaitingList read = ReadAtStart();
        EXPECT_EQ(read.list, L"4") << c.name;
        EXPECT_EQ(read.mode, ResumeMode::Automatic) << c.name;
        EXPECT_FALSE(read.unattended.has_value()) << c.name;
        RemoveRestartTraces();
    }
}

// The list was read into 260 bytes: 43 two-digit item numbers were the most a restart could keep.
TEST_F(RestartRecord, ListsOfAnyLengthAreReadWhole) {
    std::wstring sixtyItems;
    for (int number = 1; number <= 60; ++number) sixtyItems += (number > 1 ? L"@" : L"") + std::to_wstring(number + 40);
    const std::wstring lists[] = {std::wstring(129, L'7'), std::wstring(130, L'7'), sixtyItems,
                                  std::wstring(20000, L'7')};
    for (const std::wstring& list : lists) {
        ASSERT_TRUE(Win32RestartSystem(L"C:\\Disc\\setup.exe").WriteRecord(list, std::nullopt));
        Win32RestartRecordStore store;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = true;
        RecordingSink sink;
        const StoredWaitingList read = ReadWaitingList(store, switches, sink);
        EXPECT_EQ(read.list, list) << list.size();
        EXPECT_EQ(read.mode, ResumeMode::Automatic) << list.size();
        EXPECT_TRUE(sink.messages.empty()) << list.size();
        RemoveRestartTraces();
    }
}

TEST_F(RestartRecord, ListStoredWithoutItsNullIsReadWhole) {
    const std::wstring stored = std::wstring(130, L'4') + L"@99@99";
    StoreRawList(reinterpret_cast<const BYTE*>(stored.c_str()), static_cast<DWORD>(stored.size() * sizeof(wchar_t)));
    Win32RestartRecordStore store;
    std::wstring text;
    ASSERT_EQ(store.ReadWaitingListValue(text), WaitingListRead::Read);
    EXPECT_EQ(text, stored);
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
    RestartCommandResult StartCommand(const std::wstring& commandLine) override {
        started.push_back(commandLine);
        return RestartCommandResult{true, 0u};
    }
    std::vector<std::wstring> started;
};

struct FolderSecurity {
    bool read = false;
    std::string owner;   // SDDL of the owner, "BA" for the administrators
    bool protectedList = false;
    std::vector<std::string> writers;  // SDDL SIDs of the allowing entries that may write or delete
};

FolderSecurity ReadFolderSecurity(const std::wstring& folder) {
    FolderSecurity security;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return security;
    }
    UniqueLocalMemory held(descriptor);
    security.read = true;
    auto sddlOf = [](PSID sid) {
        LPWSTR text = nullptr;
        if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) return std::string("?");
        const std::string narrow = Narrow(text);
        LocalFree(text);
        return narrow;
    };
    security.owner = sddlOf(owner);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    security.protectedList = (control & SE_DACL_PROTECTED) != 0;
    const DWORD writeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY |
                              FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) continue;
        auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & writeRights) != 0) security.writers.push_back(sddlOf(&allowed->SidStart));
    }
    return security;
}

const char kSystemSid[] = "S-1-5-18";
const char kAdministratorsSid[] = "S-1-5-32-544";

// Whether the file system keeps the owner and access list given to a folder. Wine makes both up
// from the Unix owner and mode bits, so there the folder's protection cannot be seen.
bool FileSecurityIsKept() {
    const std::wstring probe = TempPath() + L"TavelinSecurityProbe" + std::to_wstring(GetCurrentProcessId());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSecurity, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return false;
    }
    UniqueLocalMemory held(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    if (!CreateDirectoryW(probe.c_str(), &attributes)) return false;
    const FolderSecurity security = ReadFolderSecurity(probe);
    RemoveDirectoryW(probe.c_str());
    return security.read && security.owner == kAdministratorsSid && security.protectedList;
}

// A folder anyone may change, as a planter would leave it; false when its security could not be made.
bool CreateFolderOpenToEveryone(const std::wstring& folder) {
    PSECURITY_DESCRIPTOR open = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr)) {
        return false;
    }
    UniqueLocalMemory held(open);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, open, FALSE};
    CreateDirectoryW(folder.c_str(), &attributes);
    return true;
}

// The folder the helper runs from at the next logon: owned by the administrators, its access list
// not inherited, and nobody else allowed to change it, even when it was made open to everyone.
TEST(HelperFolderSecurity, OnlyAdministratorsAndTheSystemCanChangeIt) {
    if (!FileSecurityIsKept()) GTEST_SKIP() << "this system does not keep the owner and access list of a folder";
    const std::wstring folder = ProtectedHelperFolderPath();
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(CreateFolderOpenToEveryone(folder));
    ASSERT_EQ(PrepareProtectedHelperFolder().Path(), folder);
    const FolderSecurity security = ReadFolderSecurity(folder);
    ASSERT_TRUE(security.read);
    EXPECT_EQ(security.owner, kAdministratorsSid);
    EXPECT_TRUE(security.protectedList) << "nothing inherited from the parent";
    for (const std::string& writer : security.writers) {
        EXPECT_TRUE(writer == kSystemSid || writer == kAdministratorsSid) << writer << " may change the folder";
    }
    RemoveDirectoryW(folder.c_str());
}

// A helper planted where the program copies it (any process of the user could write the temporary
// folder it used, and the copy kept a file that was there) must never be what runs at the next
// logon: the helper goes to the protected folder, and the disc's copy always replaces what is there.
TEST_F(RestartRecord, TheHelperIsCopiedOverAnythingIntoAProtectedFolder) {
    const std::wstring disc = TempPath() + L"TavelinRestartDisc" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(disc.c_str(), nullptr);
    CreateDirectoryW((disc + L"\\Lib").c_str(), nullptr);
    WriteTextFile(disc + L"\\Lib\\ReInst.exe", "the disc's helper");

    // Planted before: a folder open to everyone, with a helper of its own.
    const std::wstring folder = ProtectedHelperFolderPath();
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(folder.find(TempPath()), std::wstring::npos) << "not the user's temporary folder";
    ASSERT_TRUE(CreateFolderOpenToEveryone(folder));
    SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, nullptr, nullptr);
    const std::wstring helper = folder + L"\\ReInst.exe";
    WriteTextFile(helper, "a planted helper");
    ASSERT_EQ(ReadTextFile(helper), "a planted helper");
    // Whoever made the folder beforehand may keep a handle that changes it after any re-securing:
    // the folder RunOnce names is never one that was there before the run.
    const std::wstring planted = folder + L"\\planted.txt";
    WriteTextFile(planted, "made before the run");

    DiagnosticSwitches switches;
    switches.m_bShowErrorMessage = true;
    RecordingSink sink;
    RecordedRestart system(L"C:\\Disc\\setup.exe");
    EXPECT_EQ(RestartAndResume(system, disc, L"4@7@12", switches, sink), RestartStep::RestartScheduled);
    EXPECT_EQ(ReadTextFile(helper), "the disc's helper");
    const StoredText runOnce = ReadText(kRunOnceKeyPath, kRunOnceValueName);
    EXPECT_EQ(runOnce.type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(runOnce.text, RunOnceCommandOf(helper));
    EXPECT_EQ(GetFileAttributesW(planted.c_str()), INVALID_FILE_ATTRIBUTES) << "the folder made beforehand was kept";
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kWaitingListValueName).text, L"4@7@12");
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kFullPathValueName).text, L"C:\\Disc\\setup.exe");
    EXPECT_EQ(system.started, std::vector<std::wstring>{L"shutdown -r -t 15"});
    EXPECT_TRUE(sink.messages.empty());

    // A second restart with another disc's helper: replaced again.
    WriteTextFile(disc + L"\\Lib\\ReInst.exe", "a newer helper");
    EXPECT_EQ(RestartAndResume(system, disc, L"12", switches, sink), RestartStep::RestartScheduled);
    EXPECT_EQ(ReadTextFile(helper), "a newer helper");
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kWaitingListValueName).text, L"12");

    // A disc without its helper: nothing restarts, and the record stays for a start by hand.
    DeleteFileW((disc + L"\\Lib\\ReInst.exe").c_str());
    RemoveRestartTraces();
    system.started.clear();
    EXPECT_EQ(RestartAndResume(system, disc, L"7@12", switches, sink), RestartStep::ResumeNotStored);
    EXPECT_TRUE(system.started.empty());
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kWaitingListValueName).text, L"7@12");
    EXPECT_FALSE(ReadText(kRunOnceKeyPath, kRunOnceValueName).found);

    DeleteFileW(helper.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW((disc + L"\\Lib").c_str());
    RemoveDirectoryW(disc.c_str());
}

// On 64-bit Windows the record and the RunOnce entry are in the 32-bit view (Wow6432Node), where the
// 32-bit program has always kept them, whichever program wrote them: a restart begun by one is
// resumed by the other, and the restart helper of either finds the record.
TEST_F(RestartRecord, KeptInThe32BitViewByEitherProgram) {
    if (!RunsOn64BitWindows()) GTEST_SKIP() << "needs a 64-bit prefix";
    Win32RestartSystem system(L"C:\\Disc\\setup.exe");
    system.WriteRecord(L"4@7", UnattendedResume{L"quiet", L""});
    system.SetRunOnce(L"C:\\Temp\\Tavelin\\ReInst.exe");
    const wchar_t kRedirectedRecord[] = L"SOFTWARE\\Wow6432Node\\Tavelin";
    const wchar_t kRedirectedRunOnce[] = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    EXPECT_EQ(ReadText(kRedirectedRecord, kWaitingListValueName, KEY_WOW64_64KEY).text, L"4@7");
    EXPECT_EQ(ReadText(kRedirectedRunOnce, kRunOnceValueName, KEY_WOW64_64KEY).text,
              L"C:\\Temp\\Tavelin\\ReInst.exe");
    EXPECT_TRUE(ReadText(kRedirectedRecord, kUnattendedValueName, KEY_WOW64_64KEY).found);
    EXPECT_FALSE(ReadText(kRestartRecordKeyPath, kWaitingListValueName, KEY_WOW64_64KEY).found)
        << "nothing in the 64-bit view";
    EXPECT_FALSE(ReadText(kRestartRecordKeyPath, kUnattendedValueName, KEY_WOW64_64KEY).found);

    DeleteRestartRecord();
    EXPECT_FALSE(ReadText(kRedirectedRecord, kWaitingListValueName, KEY_WOW64_64KEY).found) << "deleted there too";
}

int RunHelper(const std::wstring& helper) {
    auto process = StartProcess(L"\"" + helper + L"\"");
    if (!process) return -1;
    WaitForSingleObject(process->Handle(), 20000);
    DWORD code = 0;
    GetExitCodeProcess(process->Handle(), &code);
    return static_cast<int>(code);
}

struct BoxSearch {
    DWORD id;
    HWND box;
};

// The visible dialog (a message box) of the process `parameter` names.
BOOL CALLBACK FindProcessBox(HWND window, LPARAM parameter) {
    auto* wanted = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (owner != wanted->id || std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    wanted->box = window;
    return FALSE;
}

struct HelperRun {
    int exitCode = -1;
    bool messageShown = false;
};

// The helper run to its end; a message box it shows is answered with OK.
HelperRun RunHelperAnsweringItsMessage(const std::wstring& helper) {
    HelperRun run;
    auto process = StartProcess(L"\"" + helper + L"\"");
    if (!process) return run;
    const DWORD id = GetProcessId(process->Handle());
    for (int i = 0; i < 200 && WaitForSingleObject(process->Handle(), 100) == WAIT_TIMEOUT; ++i) {
        BoxSearch search{id, nullptr};
        EnumWindows(FindProcessBox, reinterpret_cast<LPARAM>(&search));
        if (search.box != nullptr) {
            run.messageShown = true;
            PostMessageW(search.box, WM_COMMAND, IDOK, 0);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process->Handle(), &code);
    run.exitCode = static_cast<int>(code);
    return run;
}

void RemoveRunOnceValue() {
    UniqueKey runOnce;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, 0, KEY_SET_VALUE | kProgramView, runOnce.Receive()) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(runOnce.Get(), kRunOnceValueName);
    }
}

// What the recording program of tests/doubles noted of its start, once it has run; empty when it
// did not run within the time.
std::wstring RecordedValue(const std::wstring& name) {
    for (int i = 0; i < 200; ++i) {
        const StoredText stored = ReadText(L"SOFTWARE\\TavelinTestRecord", name.c_str());
        if (stored.found) return stored.text;
        Sleep(100);
    }
    return std::wstring();
}

// The restart helper of the built disc starts what the record names, in that program's folder;
// the program here is a copy of the recording program, which notes the folder it started in.
TEST_F(RestartRecord, HelperStartsTheRecordedProgramInItsFolder) {
    const std::wstring lib = testing::StandinDirectory();
    if (lib.empty()) GTEST_SKIP() << "set TAVELIN_STANDIN_DIR to the built disc's Lib folder";
    const std::wstring doubles = testing::DoublesDirectory();
    if (doubles.empty()) GTEST_SKIP() << "set TAVELIN_DOUBLES_DIR to the built test doubles";
    const std::wstring helper = lib + L"\\ReInst.exe";
    const std::wstring folder = TempPath() + L"TavelinReInstTarget" + std::to_wstring(GetCurrentProcessId());
    const std::wstring program = folder + L"\\TavelinTarget.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((doubles + L"\\recording_program.exe").c_str(), program.c_str(), FALSE));
    UniqueKey record;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TavelinTestRecord", 0, KEY_SET_VALUE | kProgramView,
                      record.Receive()) == ERROR_SUCCESS) {
        RegDeleteValueW(record.Get(), L"TavelinTarget folder");
        RegDeleteValueW(record.Get(), L"TavelinTarget command");
    }

    EXPECT_EQ(RunHelper(helper), 1) << "without a record the helper does nothing";

    Win32RestartSystem(program).WriteRecord(L"4", std::nullopt);
    EXPECT_EQ(RunHelper(helper), 0);
    EXPECT_FALSE(RecordedValue(L"TavelinTarget command").empty()) << "the recorded program ran";
    EXPECT_EQ(Narrow(RecordedValue(L"TavelinTarget folder")), Narrow(folder)) << "in its own folder";
    EXPECT_TRUE(RecordKeyExists()) << "the record is the program's to read and delete";
    DeleteFileW(program.c_str());
    RemoveDirectoryW(folder.c_str());
}

// The disc may lie where others can write, and the program runs elevated after the restart: the
// helper starts only the program the run began with, by the record's SHA-256. A program changed
// since is not started, and the helper registers itself again for the next logon; a record of an
// older program, without the value, resumes as before.
TEST_F(RestartRecord, HelperStartsOnlyTheProgramTheRunBeganWith) {
    const std::wstring lib = testing::StandinDirectory();
    if (lib.empty()) GTEST_SKIP() << "set TAVELIN_STANDIN_DIR to the built disc's Lib folder";
    const std::wstring doubles = testing::DoublesDirectory();
    if (doubles.empty()) GTEST_SKIP() << "set TAVELIN_DOUBLES_DIR to the built test doubles";
    const std::wstring helper = lib + L"\\ReInst.exe";
    const std::wstring folder = TempPath() + L"TavelinReInstSealed" + std::to_wstring(GetCurrentProcessId());
    const std::wstring program = folder + L"\\TavelinTarget.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((doubles + L"\\recording_program.exe").c_str(), program.c_str(), FALSE));
    const std::optional<Sha256Digest> original = FileSha256(program);
    ASSERT_TRUE(original.has_value());
    const auto forgetStarts = [] {
        UniqueKey record;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TavelinTestRecord", 0, KEY_SET_VALUE | kProgramView,
                          record.Receive()) == ERROR_SUCCESS) {
            RegDeleteValueW(record.Get(), L"TavelinTarget command");
        }
    };

    Win32RestartSystem system(program);
    system.SetFingerprints(RunFingerprints{original, std::nullopt});
    system.WriteRecord(L"4", std::nullopt);
    EXPECT_EQ(ReadText(kRestartRecordKeyPath, kProgramFingerprintValueName).text, Sha256Text(*original));

    // Changed after the run began (one byte appended).
    {
        UniqueHandle file(CreateFileW(program.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "x", 1, &written, nullptr));
    }
    forgetStarts();
    RemoveRunOnceValue();
    const HelperRun refused = RunHelperAnsweringItsMessage(helper);
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.messageShown) << "the user is told why nothing resumes";
    EXPECT_TRUE(RecordedValue(L"TavelinTarget command").empty()) << "a changed program was started";
    EXPECT_EQ(ReadText(kRunOnceKeyPath, kRunOnceValueName).text, RunOnceCommandOf(helper))
        << "the helper runs again at the next logon";
    EXPECT_TRUE(RecordKeyExists());

    // The same program again: started.
    ASSERT_TRUE(CopyFileW((doubles + L"\\recording_program.exe").c_str(), program.c_str(), FALSE));
    EXPECT_EQ(RunHelper(helper), 0);
    EXPECT_FALSE(RecordedValue(L"TavelinTarget command").empty());

    // A record without the value (an older program's): started whatever the file holds.
    {
        UniqueHandle file(CreateFileW(program.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "x", 1, &written, nullptr));
    }
    Win32RestartSystem older(program);
    older.WriteRecord(L"4", std::nullopt);
    forgetStarts();
    EXPECT_EQ(RunHelper(helper), 0);
    EXPECT_FALSE(RecordedValue(L"TavelinTarget command").empty());
    RemoveRunOnceValue();
    DeleteFileW(program.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace tavelin
