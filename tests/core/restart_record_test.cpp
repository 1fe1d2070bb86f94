#include "install/restart_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "narrow_text.h"

namespace tavelin {
namespace {

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::wstring& text) override { messages.push_back(Narrow(text)); }
    std::vector<std::string> messages;
};

class FakeStore : public RestartRecordStore {
public:
    WaitingListRead ReadWaitingListValue(std::wstring& text) override {
        text = stored;
        return status;
    }
    void DeleteRecord() override { deleted = true; }

    WaitingListRead status = WaitingListRead::Read;
    std::wstring stored;
    bool deleted = false;
};

TEST(ReadWaitingList, ReadsOnceOrLeavesTheRecord) {
    struct Case {
        const char* name;
        WaitingListRead status;
        const wchar_t* stored;
        bool showErrors;
        bool resumeBefore;
        const char* list;
        bool resumeAfter;
        bool deleted;
        const char* message;  // empty: none
    };
    const Case cases[] = {
        {"stored list", WaitingListRead::Read, L"4@7@12", false, false, "4@7@12", true, true, ""},
        {"trimmed", WaitingListRead::Read, L" \t4@7 \r\n", false, false, "4@7", true, true, ""},
        {"blank list clears resume", WaitingListRead::Read, L"  ", false, true, "", false, true, ""},
        {"no key, quiet", WaitingListRead::KeyMissing, L"", false, true, "", true, false, ""},
        {"no key, shown", WaitingListRead::KeyMissing, L"", true, false, "", false, false,
         "Error : Failed to open SOFTWARE\\Tavelin"},
        {"unreadable value, quiet", WaitingListRead::ValueUnreadable, L"", false, true, "", true, false, ""},
        {"unreadable value, shown", WaitingListRead::ValueUnreadable, L"", true, false, "", false, false,
         "Error : Failed to get ContinueInstallList"},
    };
    for (const Case& c : cases) {
        FakeStore store;
        store.status = c.status;
        store.stored = c.stored;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = c.showErrors;
        RecordingSink sink;
        bool resume = c.resumeBefore;
        EXPECT_EQ(Narrow(ReadWaitingList(store, switches, sink, resume)), c.list) << c.name;
        EXPECT_EQ(resume, c.resumeAfter) << c.name;
        EXPECT_EQ(store.deleted, c.deleted) << c.name;
        const std::vector<std::string> expected =
            std::string(c.message).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message};
        EXPECT_EQ(sink.messages, expected) << c.name;
    }
}

class FakeRestartSystem : public RestartSystem {
public:
    std::wstring TempPath() override { return tempPath; }
    bool CreateFolder(const std::wstring& folder) override {
        calls.push_back("mkdir " + Narrow(folder));
        return folderCreated;
    }
    void CopyFileIfAbsent(const std::wstring& from, const std::wstring& to) override {
        calls.push_back("copy " + Narrow(from) + " -> " + Narrow(to));
    }
    void SetRunOnce(const std::wstring& commandLine) override { calls.push_back("runonce " + Narrow(commandLine)); }
    void WriteRecord(const std::wstring& waitingList) override { calls.push_back("record " + Narrow(waitingList)); }
    void StartCommand(const std::wstring& commandLine) override { calls.push_back("start " + Narrow(commandLine)); }

    std::wstring tempPath = L"C:\\Temp\\";
    bool folderCreated = true;
    std::vector<std::string> calls;
};

TEST(RestartAndResume, WritesTheRecordBeforeTheRestart) {
    FakeRestartSystem system;
    DiagnosticSwitches switches;
    RecordingSink sink;
    EXPECT_EQ(RestartAndResume(system, L"D:", L"4@7@12", switches, sink), RestartStep::RestartScheduled);
    const std::vector<std::string> expected = {
        "mkdir C:\\Temp\\Tavelin",
        "copy D:\\Lib\\ReInst.exe -> C:\\Temp\\Tavelin\\ReInst.exe",
        "runonce C:\\Temp\\Tavelin\\ReInst.exe",
        "record 4@7@12",
        "start shutdown -r -t 15",
    };
    EXPECT_EQ(system.calls, expected);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(RestartAndResume, EmptyListIsANormalCompletion) {
    FakeRestartSystem system;
    DiagnosticSwitches switches;
    RecordingSink sink;
    EXPECT_EQ(RestartAndResume(system, L"D:", L"", switches, sink), RestartStep::CompleteInstead);
    EXPECT_TRUE(system.calls.empty());
}

TEST(RestartAndResume, TempFolderFailureIsShownOnlyUnderTheSwitchAndTheRestartGoesOn) {
    for (bool showErrors : {false, true}) {
        FakeRestartSystem system;
        system.folderCreated = false;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = showErrors;
        RecordingSink sink;
        EXPECT_EQ(RestartAndResume(system, L"D:", L"4", switches, sink), RestartStep::RestartScheduled);
        EXPECT_EQ(system.calls.back(), "start shutdown -r -t 15") << "switch " << showErrors;
        EXPECT_EQ(sink.messages.size(), showErrors ? 1u : 0u) << "switch " << showErrors;
        if (showErrors) {
            EXPECT_EQ(sink.messages.front(), "Could not create temp dir");
        }
    }
}

TEST(RestartAndResume, RunOnceCommandIsQuotedWhenThePathHasBlanks) {
    struct Case {
        const wchar_t* tempPath;
        const char* runOnce;
    };
    const Case cases[] = {
        {L"C:\\Temp\\", "runonce C:\\Temp\\Tavelin\\ReInst.exe"},
        {L"C:\\Documents and Settings\\u\\Local Settings\\Temp\\",
         "runonce \"C:\\Documents and Settings\\u\\Local Settings\\Temp\\Tavelin\\ReInst.exe\""},
    };
    for (const Case& c : cases) {
        FakeRestartSystem system;
        system.tempPath = c.tempPath;
        DiagnosticSwitches switches;
        RecordingSink sink;
        RestartAndResume(system, L"D:", L"4", switches, sink);
        EXPECT_EQ(system.calls.at(2), c.runOnce) << Narrow(c.tempPath);
    }
}

TEST(RestartTempFolder, AtMost260Characters) {
    EXPECT_EQ(RestartTempFolder(L"C:\\T\\"), L"C:\\T\\Tavelin");
    EXPECT_EQ(RestartTempFolder(std::wstring(255, L'x')), std::wstring(255, L'x') + L"Tavel");
}

}  // namespace
}  // namespace tavelin
