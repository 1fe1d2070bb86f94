#include "install/restart_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../support/memory_run_log.h"
#include "install/kept_run_record.h"
#include "install/logged_restart_record.h"
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
        ++reads;
        text = stored;
        return status;
    }
    bool CanChangeRecord() override { return changeable; }
    std::optional<UnattendedResume> ReadUnattendedValue() override {
        ++unattendedReads;
        return unattended;
    }
    std::wstring ReadDiscIdentity() override { return identity; }
    bool RestartPending() override { return pending; }
    std::wstring ReadBeginCounts() override { return beginCounts; }

    std::wstring beginCounts;
    WaitingListRead status = WaitingListRead::Read;
    std::wstring identity;
    bool pending = false;
    std::wstring stored;
    bool changeable = true;
    std::optional<UnattendedResume> unattended;
    int reads = 0;
    int unattendedReads = 0;
};

// The record is read and left in place; how the start goes on depends on whether the program
// could remove the record later.
TEST(ReadWaitingList, ReadsTheListAndChoosesHowToResume) {
    struct Case {
        const char* name;
        WaitingListRead status;
        const wchar_t* stored;
        bool changeable;
        bool showErrors;
        const char* list;
        ResumeMode mode;
        const char* message;  // empty: none
    };
    const Case cases[] = {
        {"stored list", WaitingListRead::Read, L"4@7@12", true, false, "4@7@12", ResumeMode::Automatic, ""},
        {"trimmed", WaitingListRead::Read, L" \t4@7 \r\n", true, false, "4@7", ResumeMode::Automatic, ""},
        {"blank list", WaitingListRead::Read, L"  ", true, false, "", ResumeMode::None, ""},
        {"record that cannot be removed asks first", WaitingListRead::Read, L"4@7", false, false, "4@7",
         ResumeMode::AskFirst, ""},
        {"blank list that cannot be removed", WaitingListRead::Read, L"", false, false, "", ResumeMode::None, ""},
        {"no key, quiet", WaitingListRead::KeyMissing, L"", true, false, "", ResumeMode::None, ""},
        {"no key, shown", WaitingListRead::KeyMissing, L"", true, true, "", ResumeMode::None,
         "Error : Failed to open SOFTWARE\\Tavelin"},
        {"unreadable value, quiet", WaitingListRead::ValueUnreadable, L"", true, false, "", ResumeMode::None, ""},
        {"unreadable value, shown", WaitingListRead::ValueUnreadable, L"", true, true, "", ResumeMode::None,
         "Error : Failed to get ContinueInstallList"},
    };
    for (const Case& c : cases) {
        FakeStore store;
        store.status = c.status;
        store.stored = c.stored;
        store.changeable = c.changeable;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = c.showErrors;
        RecordingSink sink;
        const StoredWaitingList read = ReadWaitingList(store, switches, sink);
        EXPECT_EQ(Narrow(read.list), c.list) << c.name;
        EXPECT_EQ(Narrow(ResumeModeName(read.mode)), Narrow(ResumeModeName(c.mode))) << c.name;
        EXPECT_EQ(store.reads, 1) << c.name;
        const std::vector<std::string> expected =
            std::string(c.message).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message};
        EXPECT_EQ(sink.messages, expected) << c.name;
    }
}

// A record resumes as an older program's record always did unless a mark says otherwise: the pending
// mark (the restart has not happened) and another disc's identity hold it back, only when present.
TEST(ReadWaitingList, ThePendingMarkAndTheDiscHoldAResumeBackOnlyWhenPresent) {
    const std::wstring disc(64, L'a');
    const std::wstring discUpper(64, L'A');
    const std::wstring other(64, L'b');
    struct Case {
        const char* name;
        const wchar_t* list;
        bool pending;
        std::wstring storedIdentity;
        std::wstring discIdentity;
        ResumeHold hold;
        bool unattendedRead;
    };
    const Case cases[] = {
        {"an older program's record", L"4@7", false, L"", disc, ResumeHold::None, true},
        {"this disc", L"4@7", false, disc, disc, ResumeHold::None, true},
        {"this disc, digits in upper case", L"4@7", false, discUpper, disc, ResumeHold::None, true},
        {"another disc", L"4@7", false, other, disc, ResumeHold::OtherDisc, false},
        {"not restarted yet", L"4@7", true, disc, disc, ResumeHold::RestartFirst, false},
        {"not restarted yet, another disc", L"4@7", true, other, disc, ResumeHold::RestartFirst, false},
        {"not restarted yet, an older record", L"4@7", true, L"", disc, ResumeHold::RestartFirst, false},
        {"this disc's identity unknown", L"4@7", false, other, L"", ResumeHold::None, true},
        {"a blank identity", L"4@7", false, L"  ", disc, ResumeHold::None, true},
        {"no list", L"", true, other, disc, ResumeHold::None, false},
    };
    for (const Case& c : cases) {
        FakeStore store;
        store.stored = c.list;
        store.pending = c.pending;
        store.identity = c.storedIdentity;
        store.unattended = UnattendedResume{L"quiet", L""};
        DiagnosticSwitches switches;
        RecordingSink sink;
        const StoredWaitingList read = ReadWaitingList(store, switches, sink, c.discIdentity);
        EXPECT_EQ(Narrow(ResumeHoldName(read.hold)), Narrow(ResumeHoldName(c.hold))) << c.name;
        EXPECT_EQ(read.unattended.has_value(), c.unattendedRead) << c.name << ": the stored mode is taken only then";
        EXPECT_EQ(Narrow(read.list), Narrow(c.list)) << c.name << ": the list is read all the same";
    }
}

class FakeRestartSystem : public RestartSystem {
public:
    std::wstring ProtectedHelperFolder() override {
        calls.push_back("folder");
        return folderMade ? folder : std::wstring();
    }
    bool CopyOverFile(const std::wstring& from, const std::wstring& to) override {
        calls.push_back("replace " + Narrow(from) + " -> " + Narrow(to));
        return copied;
    }
    bool SetRunOnce(const std::wstring& commandLine) override {
        calls.push_back("runonce " + Narrow(commandLine));
        return runOnceSet;
    }
    void RemoveRunOnce() override { calls.push_back("remove runonce"); }
    bool WriteRecord(const std::wstring& waitingList, const std::optional<UnattendedResume>& unattended) override {
        calls.push_back("record " + Narrow(waitingList) +
                        (unattended ? " unattended " + Narrow(UnattendedResumeText(unattended)) : std::string()));
        return recordWritten;
    }
    bool WriteDiscIdentity(const std::wstring& identity) override {
        if (!identity.empty()) calls.push_back("identity " + Narrow(identity));
        return true;
    }
    bool MarkRestartPending() override {
        calls.push_back("pending");
        return true;
    }
    bool WriteBeginCounts(const std::wstring& counts) override {
        calls.push_back("counts " + Narrow(counts));
        return true;
    }
    bool DeleteRecord() override {
        calls.push_back("delete record");
        return true;
    }
    RestartCommandResult StartCommand(const std::wstring& commandLine) override {
        calls.push_back("start " + Narrow(commandLine));
        return commandResult;
    }

    std::wstring folder = L"C:\\ProgramData\\Tavelin";
    bool folderMade = true;
    bool copied = true;
    bool runOnceSet = true;
    bool recordWritten = true;
    RestartCommandResult commandResult{true, 0u};
    std::vector<std::string> calls;
};

// The record (with the disc and the pending mark) is written before RunOnce names the helper: a
// crash between the two must not leave a helper that starts the program without a record.
TEST(RestartAndResume, WritesTheRecordThenRegistersTheHelperThenRestarts) {
    FakeRestartSystem system;
    DiagnosticSwitches switches;
    RecordingSink sink;
    ResumeDetails details;
    details.discIdentity = L"ab12";
    EXPECT_EQ(RestartAndResume(system, L"D:", L"4@7@12", switches, sink, details), RestartStep::RestartScheduled);
    const std::vector<std::string> expected = {
        "record 4@7@12",
        "identity ab12",
        "pending",
        "folder",
        "replace D:\\Lib\\ReInst.exe -> C:\\ProgramData\\Tavelin\\ReInst.exe",
        "runonce C:\\ProgramData\\Tavelin\\ReInst.exe",
        "start shutdown -r -t 15",
    };
    EXPECT_EQ(system.calls, expected);
    EXPECT_TRUE(sink.messages.empty());
}

// Nothing waits: nothing is stored. Whether Windows restarts all the same is PlanRunEnd's to say.
TEST(RestartAndResume, AnEmptyListStoresNothing) {
    FakeRestartSystem system;
    DiagnosticSwitches switches;
    RecordingSink sink;
    EXPECT_EQ(RestartAndResume(system, L"D:", L"", switches, sink), RestartStep::CompleteInstead);
    EXPECT_TRUE(system.calls.empty());
}

// The restart command's end is read: a refused restart keeps the record and RunOnce for a restart
// made later; a restart left to someone else is not started at all.
TEST(RestartAndResume, TheRestartCommandsResultDecidesTheStep) {
    struct Case {
        const char* name;
        bool startRestart;
        RestartCommandResult result;
        RestartStep step;
        bool started;
    };
    const Case cases[] = {
        {"taken", true, {true, 0u}, RestartStep::RestartScheduled, true},
        {"refused (one pending already)", true, {true, 1190u}, RestartStep::RestartRefused, true},
        {"refused (denied by policy)", true, {true, 5u}, RestartStep::RestartRefused, true},
        {"did not end", true, {true, std::nullopt}, RestartStep::RestartRefused, true},
        {"command missing", true, {false, std::nullopt}, RestartStep::RestartRefused, true},
        {"left to the caller", false, {true, 0u}, RestartStep::ResumeStored, false},
    };
    for (const Case& c : cases) {
        FakeRestartSystem system;
        system.commandResult = c.result;
        DiagnosticSwitches switches;
        RecordingSink sink;
        ResumeDetails details;
        details.startRestart = c.startRestart;
        EXPECT_EQ(Narrow(RestartStepName(RestartAndResume(system, L"D:", L"4", switches, sink, details))),
                  Narrow(RestartStepName(c.step)))
            << c.name;
        EXPECT_EQ(system.calls.back() == "start shutdown -r -t 15", c.started) << c.name;
        EXPECT_NE(std::find(system.calls.begin(), system.calls.end(), "record 4"), system.calls.end()) << c.name;
        EXPECT_NE(std::find(system.calls.begin(), system.calls.end(), "runonce C:\\ProgramData\\Tavelin\\ReInst.exe"),
                  system.calls.end())
            << c.name;
    }
    FakeRestartSystem refused;
    refused.commandResult = {true, 1190u};
    EXPECT_EQ(RestartWindows(refused), RestartStep::RestartRefused);
    EXPECT_EQ(refused.calls, std::vector<std::string>{"start shutdown -r -t 15"});
}

// Any step that fails stops the restart, which would otherwise lose the rest of the list; the
// record is written whenever it can be, for a start of the disc by hand.
TEST(RestartAndResume, AResumeThatCannotBeStoredDoesNotRestart) {
    struct Case {
        const char* name;
        bool folderMade, copied, runOnceSet, recordWritten;
        std::vector<std::string> calls;
        const char* message;  // under ShowErrorMessage
    };
    const std::string replace = "replace D:\\Lib\\ReInst.exe -> C:\\ProgramData\\Tavelin\\ReInst.exe";
    const std::string runOnce = "runonce C:\\ProgramData\\Tavelin\\ReInst.exe";
    const Case cases[] = {
        {"no protected folder", false, true, true, true, {"record 4", "pending", "folder"}, "Could not create temp dir"},
        {"helper not copied", true, false, true, true, {"record 4", "pending", "folder", replace},
         "Could not copy the restart helper"},
        {"RunOnce refused", true, true, false, true, {"record 4", "pending", "folder", replace, runOnce},
         "Could not register the restart helper"},
        {"record refused", true, true, true, false, {"record 4", "remove runonce"}, "Could not write the restart record"},
        {"nothing works", false, true, true, false, {"record 4", "remove runonce"}, "Could not write the restart record"},
    };
    for (const Case& c : cases) {
        for (bool showErrors : {false, true}) {
            FakeRestartSystem system;
            system.folderMade = c.folderMade;
            system.copied = c.copied;
            system.runOnceSet = c.runOnceSet;
            system.recordWritten = c.recordWritten;
            DiagnosticSwitches switches;
            switches.m_bShowErrorMessage = showErrors;
            RecordingSink sink;
            EXPECT_EQ(Narrow(RestartStepName(RestartAndResume(system, L"D:", L"4", switches, sink))),
                      "ResumeNotStored")
                << c.name;
            EXPECT_EQ(system.calls, c.calls) << c.name << ": no restart started";
            const std::vector<std::string> expected =
                showErrors ? std::vector<std::string>{c.message} : std::vector<std::string>{};
            EXPECT_EQ(sink.messages, expected) << c.name << " switch " << showErrors;
        }
    }
}

TEST(RestartAndResume, RunOnceCommandIsQuotedWhenThePathHasBlanks) {
    struct Case {
        const wchar_t* folder;
        const char* runOnce;
    };
    const Case cases[] = {
        {L"C:\\ProgramData\\Tavelin", "runonce C:\\ProgramData\\Tavelin\\ReInst.exe"},
        {L"C:\\Documents and Settings\\All Users\\Application Data\\Tavelin",
         "runonce \"C:\\Documents and Settings\\All Users\\Application Data\\Tavelin\\ReInst.exe\""},
    };
    for (const Case& c : cases) {
        FakeRestartSystem system;
        system.folder = c.folder;
        DiagnosticSwitches switches;
        RecordingSink sink;
        RestartAndResume(system, L"D:", L"4", switches, sink);
        EXPECT_EQ(system.calls.at(4), c.runOnce) << Narrow(c.folder);
    }
}

// The unattended value's data, as the registry stores it, and what is read back from it: the
// program must not resume quietly on a value it does not understand.
TEST(UnattendedValue, DataAndWhatIsReadBack) {
    const std::wstring quietWithLog(L"quiet\0C:\\Deploy\\disc.log\0\0", 26);
    EXPECT_EQ(UnattendedValueData({L"quiet", L"C:\\Deploy\\disc.log"}), quietWithLog);
    EXPECT_EQ(UnattendedValueData({L"passive", L""}), std::wstring(L"passive\0\0", 9));

    struct Case {
        const char* name;
        std::wstring data;
        bool understood;
        const char* mode;
        const char* logFile;
    };
    const Case cases[] = {
        {"quiet with a log", quietWithLog, true, "quiet", "C:\\Deploy\\disc.log"},
        {"passive without a log", std::wstring(L"passive\0\0", 9), true, "passive", ""},
        {"without its closing nulls", L"quiet", true, "quiet", ""},
        {"log without its closing nulls", std::wstring(L"quiet\0D:\\x.log", 14), true, "quiet", "D:\\x.log"},
        {"strings a later program adds", std::wstring(L"quiet\0D:\\x.log\0more\0\0", 21), true, "quiet", "D:\\x.log"},
        {"empty", L"", false, "", ""},
        {"only nulls", std::wstring(L"\0\0", 2), false, "", ""},
        {"empty mode before a log", std::wstring(L"\0quiet\0\0", 8), false, "", ""},
        {"unknown mode", std::wstring(L"silent\0\0", 8), false, "", ""},
        {"mode in other case", std::wstring(L"Quiet\0\0", 7), false, "", ""},
    };
    for (const Case& c : cases) {
        const std::optional<UnattendedResume> read = ParseUnattendedValue(c.data);
        ASSERT_EQ(read.has_value(), c.understood) << c.name;
        if (!read) continue;
        EXPECT_EQ(Narrow(read->mode), c.mode) << c.name;
        EXPECT_EQ(Narrow(read->logFile), c.logFile) << c.name;
    }
}

// A record in memory, with the registry's rules for its values: what the restart writes is what
// the next start reads, and the removal takes every value.
class MemoryRecord : public RestartRecordStore, public FakeRestartSystem {
public:
    WaitingListRead ReadWaitingListValue(std::wstring& text) override {
        if (values.empty()) return WaitingListRead::KeyMissing;
        const auto list = values.find(kWaitingListValueName);
        if (list == values.end()) return WaitingListRead::ValueUnreadable;
        text = list->second;
        return WaitingListRead::Read;
    }
    bool CanChangeRecord() override { return !values.empty(); }
    std::optional<UnattendedResume> ReadUnattendedValue() override {
        const auto value = values.find(kUnattendedValueName);
        if (value == values.end()) return std::nullopt;
        std::optional<UnattendedResume> read = ParseUnattendedValue(value->second);
        if (read) read->noRestart = values.count(kNoRestartValueName) != 0;
        return read;
    }
    std::wstring ReadDiscIdentity() override {
        const auto value = values.find(kDiscIdentityValueName);
        return value == values.end() ? std::wstring() : value->second;
    }
    bool RestartPending() override { return pending; }
    std::wstring ReadBeginCounts() override {
        const auto value = values.find(kBeginCountsValueName);
        return value == values.end() ? std::wstring() : value->second;
    }
    bool WriteBeginCounts(const std::wstring& counts) override {
        FakeRestartSystem::WriteBeginCounts(counts);
        if (counts.empty()) {
            values.erase(kBeginCountsValueName);
        } else {
            values[kBeginCountsValueName] = counts;
        }
        return true;
    }
    bool DeleteRecord() override {
        FakeRestartSystem::DeleteRecord();
        values.clear();
        pending = false;
        return true;
    }
    bool WriteDiscIdentity(const std::wstring& identity) override {
        FakeRestartSystem::WriteDiscIdentity(identity);
        if (identity.empty()) {
            values.erase(kDiscIdentityValueName);
        } else {
            values[kDiscIdentityValueName] = identity;
        }
        return true;
    }
    bool MarkRestartPending() override {
        FakeRestartSystem::MarkRestartPending();
        pending = true;
        return true;
    }
    bool WriteRecord(const std::wstring& waitingList, const std::optional<UnattendedResume>& unattended) override {
        FakeRestartSystem::WriteRecord(waitingList, unattended);
        values[kWaitingListValueName] = waitingList;
        values[kFullPathValueName] = L"D:\\setup.exe";
        values.erase(kNoRestartValueName);
        if (unattended) {
            values[kUnattendedValueName] = UnattendedValueData(*unattended);
            if (unattended->noRestart) values[kNoRestartValueName] = L"1";
        } else {
            values.erase(kUnattendedValueName);
        }
        return true;
    }

    std::map<std::wstring, std::wstring> values;
    bool pending = false;  // volatile: a restart clears it
};

StoredWaitingList ReadAtStart(MemoryRecord& record) {
    DiagnosticSwitches switches;
    RecordingSink sink;
    return ReadWaitingList(record, switches, sink);
}

TEST(UnattendedResume, ARestartOfAnUnattendedRunIsResumedUnattended) {
    MemoryRecord record;
    DiagnosticSwitches switches;
    RecordingSink sink;
    ResumeDetails details;
    details.unattended = UnattendedResume{L"quiet", L"C:\\d.log"};
    ASSERT_EQ(RestartAndResume(record, L"D:", L"4@7", switches, sink, details), RestartStep::RestartScheduled);
    EXPECT_EQ(record.calls.at(0), "record 4@7 unattended quiet, log C:\\d.log");
    record.pending = false;  // Windows restarted

    StoredWaitingList stored = ReadAtStart(record);
    EXPECT_EQ(Narrow(stored.list), "4@7");
    ASSERT_TRUE(stored.unattended.has_value());
    EXPECT_EQ(Narrow(stored.unattended->mode), "quiet");
    EXPECT_EQ(Narrow(stored.unattended->logFile), "C:\\d.log");

    // The resumed run keeps the record in the mode it read, rewriting the list after each item: a
    // start after an interruption now is still the same unattended run.
    KeptRunRecord resumed(record, RunRecordDetails{L"D:", stored.unattended, L""});
    ASSERT_TRUE(resumed.Store(L"7", L""));
    stored = ReadAtStart(record);
    EXPECT_EQ(Narrow(stored.list), "7");
    ASSERT_TRUE(stored.unattended.has_value());
    EXPECT_EQ(Narrow(stored.unattended->mode), "quiet");

    ASSERT_TRUE(resumed.Store(L"", L""));
    stored = ReadAtStart(record);
    EXPECT_EQ(stored.mode, ResumeMode::None);
    EXPECT_FALSE(stored.unattended.has_value()) << "gone with the record";
}

// What a restart writes is what holds the next start back: before the restart nothing resumes;
// after it the same disc resumes and another disc does not, silently.
TEST(RestartAndResume, TheRecordNamesItsDiscAndWaitsForTheRestart) {
    MemoryRecord record;
    DiagnosticSwitches switches;
    RecordingSink sink;
    const std::wstring disc(64, L'c');
    ResumeDetails details;
    details.discIdentity = disc;
    details.startRestart = false;  // the user answered No
    ASSERT_EQ(RestartAndResume(record, L"D:", L"4@7", switches, sink, details), RestartStep::ResumeStored);

    EXPECT_EQ(ReadWaitingList(record, switches, sink, disc).hold, ResumeHold::RestartFirst);
    record.pending = false;  // Windows restarted
    EXPECT_EQ(ReadWaitingList(record, switches, sink, disc).hold, ResumeHold::None);
    EXPECT_EQ(ReadWaitingList(record, switches, sink, std::wstring(64, L'd')).hold, ResumeHold::OtherDisc);

    // A later record written without an identity is not taken for this disc's.
    RestartAndResume(record, L"D:", L"7", switches, sink);
    record.pending = false;
    EXPECT_EQ(record.values.count(kDiscIdentityValueName), 0u);
    EXPECT_EQ(ReadWaitingList(record, switches, sink, std::wstring(64, L'd')).hold, ResumeHold::None);
}

TEST(UnattendedResume, ARestartOfAWindowRunLeavesNoUnattendedValue) {
    MemoryRecord record;
    DiagnosticSwitches switches;
    RecordingSink sink;
    // A record left by an unattended run is written again by a run in the window.
    ResumeDetails details;
    details.unattended = UnattendedResume{L"passive", L""};
    RestartAndResume(record, L"D:", L"4@7", switches, sink, details);
    RestartAndResume(record, L"D:", L"7", switches, sink);
    record.pending = false;
    const StoredWaitingList stored = ReadAtStart(record);
    EXPECT_EQ(Narrow(stored.list), "7");
    EXPECT_EQ(stored.mode, ResumeMode::Automatic);
    EXPECT_FALSE(stored.unattended.has_value());
}

// A record the program cannot remove is never acted on without asking, so it is not resumed
// unattended; without a list there is nothing to resume at all.
TEST(UnattendedResume, OnlyAListThatResumesAutomaticallyIsResumedUnattended) {
    struct Case {
        const char* name;
        WaitingListRead status;
        const wchar_t* list;
        bool changeable;
        bool unattended;
    };
    const Case cases[] = {
        {"automatic", WaitingListRead::Read, L"4", true, true},
        {"cannot be removed", WaitingListRead::Read, L"4", false, false},
        {"blank list", WaitingListRead::Read, L" ", true, false},
        {"no list", WaitingListRead::ValueUnreadable, L"", true, false},
        {"no record", WaitingListRead::KeyMissing, L"", true, false},
    };
    for (const Case& c : cases) {
        FakeStore store;
        store.status = c.status;
        store.stored = c.list;
        store.changeable = c.changeable;
        store.unattended = UnattendedResume{L"quiet", L""};
        DiagnosticSwitches switches;
        RecordingSink sink;
        const StoredWaitingList read = ReadWaitingList(store, switches, sink);
        EXPECT_EQ(read.unattended.has_value(), c.unattended) << c.name;
        EXPECT_EQ(store.unattendedReads, c.unattended ? 1 : 0) << c.name;
    }
}

// The log tells what the record held when it was read, and each change made to it, with whether
// the system let it happen; the steps themselves see the real answers.
TEST(LoggedRestartRecord, ReadingTellsWhatWasFound) {
    struct Case {
        const char* name;
        WaitingListRead status;
        const wchar_t* stored;
        bool changeable;
        std::vector<std::string> lines;
        const char* mode;
    };
    const Case cases[] = {
        {"a list", WaitingListRead::Read, L" 4@7 ", true,
         {"Restart record read: waiting list \" 4@7 \"", "Restart record can be rewritten and deleted",
          "Restart record: no restart pending since it was written", "Restart record's disc: not named (any disc)",
          "Restart record's unattended run: none", "Restart record's item begin counts: none"},
         "Automatic"},
        {"a list that cannot be removed", WaitingListRead::Read, L"4", false,
         {"Restart record read: waiting list \"4\"", "Restart record cannot be rewritten or deleted by this program",
          "Restart record: no restart pending since it was written", "Restart record's disc: not named (any disc)",
          "Restart record's item begin counts: none"},
         "AskFirst"},
        {"no record", WaitingListRead::KeyMissing, L"", true,
         {"Restart record: none (HKLM\\SOFTWARE\\Tavelin does not open)"}, "None"},
        {"no list", WaitingListRead::ValueUnreadable, L"", true,
         {"Restart record: its waiting list InstallWaitingList is missing or unreadable"}, "None"},
    };
    for (const Case& c : cases) {
        FakeStore real;
        real.status = c.status;
        real.stored = c.stored;
        real.changeable = c.changeable;
        MemoryRunLog memory;
        LoggedRestartRecordStore store(real, memory.Log());
        DiagnosticSwitches switches;
        RecordingSink sink;
        EXPECT_EQ(Narrow(ResumeModeName(ReadWaitingList(store, switches, sink).mode)), c.mode) << c.name;
        EXPECT_EQ(memory.Lines(), c.lines) << c.name;
    }
}

TEST(LoggedRestartRecord, EveryStepOfARestartWithItsResult) {
    struct Case {
        const char* name;
        bool folderMade, copied, recordWritten;
        std::vector<std::string> lines;
    };
    const std::string copied =
        "Restart helper copied from D:\\Lib\\ReInst.exe to C:\\ProgramData\\Tavelin\\ReInst.exe: ";
    const Case cases[] = {
        {"scheduled", true, true, true,
         {"Restart record written, waiting list \"4@7\": done", "Restart record's disc removed (unknown): done",
          "Restart pending mark HKLM\\SOFTWARE\\TavelinRestartPending set: done",
          "Restart helper folder: C:\\ProgramData\\Tavelin", copied + "done",
          "RunOnce \"Tavelin\" set to C:\\ProgramData\\Tavelin\\ReInst.exe: done",
          "Restart command: shutdown -r -t 15", "Restart command exit code 0: Windows restarts"}},
        {"helper not copied", true, false, true,
         {"Restart record written, waiting list \"4@7\": done", "Restart record's disc removed (unknown): done",
          "Restart pending mark HKLM\\SOFTWARE\\TavelinRestartPending set: done",
          "Restart helper folder: C:\\ProgramData\\Tavelin", copied + "failed"}},
        {"nothing works", false, true, false,
         {"Restart record written, waiting list \"4@7\": failed", "RunOnce \"Tavelin\" removed"}},
    };
    for (const Case& c : cases) {
        FakeRestartSystem real;
        real.folderMade = c.folderMade;
        real.copied = c.copied;
        real.recordWritten = c.recordWritten;
        MemoryRunLog memory;
        LoggedRestartSystem system(real, memory.Log());
        DiagnosticSwitches switches;
        RecordingSink sink;
        RestartAndResume(system, L"D:", L"4@7", switches, sink);
        EXPECT_EQ(memory.Lines(), c.lines) << c.name;
    }
}

TEST(LoggedRestartRecord, TheUnattendedRunWrittenAndRead) {
    MemoryRecord real;
    MemoryRunLog memory;
    LoggedRestartSystem system(real, memory.Log());
    DiagnosticSwitches switches;
    RecordingSink sink;
    ResumeDetails details;
    details.unattended = UnattendedResume{L"quiet", L"C:\\d.log", true};
    RestartAndResume(system, L"D:", L"4", switches, sink, details);
    EXPECT_TRUE(memory.Has("Restart record written, waiting list \"4\", unattended run quiet, log C:\\d.log, "
                           "norestart: done"))
        << memory.Joined();
    real.pending = false;
    LoggedRestartRecordStore store(real, memory.Log());
    const StoredWaitingList stored = ReadWaitingList(store, switches, sink);
    ASSERT_TRUE(stored.unattended.has_value());
    EXPECT_TRUE(memory.Has("Restart record's unattended run: quiet, log C:\\d.log, norestart")) << memory.Joined();
    EXPECT_TRUE(stored.unattended->noRestart) << "the resumed run does not restart whoever logged on";
}

// The restart may be the end of everything in the system's cache: the log is on the disk first.
TEST(LoggedRestartRecord, TheLogIsOnTheDiskBeforeTheRestartCommandStarts) {
    MemoryRunLog memory;
    struct CheckingSystem : FakeRestartSystem {
        explicit CheckingSystem(MemoryRunLog& log) : m_log(log) {}
        RestartCommandResult StartCommand(const std::wstring& commandLine) override {
            persistedAtStart = m_log.persists > 0 && m_log.persistedSize == m_log.bytes.size();
            return FakeRestartSystem::StartCommand(commandLine);
        }
        MemoryRunLog& m_log;
        bool persistedAtStart = false;
    } real(memory);
    LoggedRestartSystem system(real, memory.Log());
    DiagnosticSwitches switches;
    RecordingSink sink;
    ASSERT_EQ(RestartAndResume(system, L"D:", L"4", switches, sink), RestartStep::RestartScheduled);
    EXPECT_TRUE(real.persistedAtStart);
}

// The record every run keeps, read back by the next start as the restart path's is: the list, the
// unattended mode, the disc and the begin counts; the helper registered once per run, after the
// record; never the restart-pending mark, which would hold the resume back until a restart that
// nobody asked for; and nothing left once the run is through.
TEST(KeptRunRecord, WhatARunKeepsIsWhatTheNextStartResumes) {
    MemoryRecord memory;
    KeptRunRecord record(memory, RunRecordDetails{L"D:", UnattendedResume{L"passive", L"C:\\d.log", true}, L"ABC"});
    ASSERT_TRUE(record.Store(L"4@7", L"4:1"));
    EXPECT_TRUE(record.RegisterLogonResume().empty());
    ASSERT_TRUE(record.Store(L"7", L"7:2"));
    EXPECT_TRUE(record.RegisterLogonResume().empty());
    int copies = 0;
    for (const std::string& call : memory.calls) copies += call.rfind("replace ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(copies, 1) << "the helper is copied once per run";
    EXPECT_EQ(std::count(memory.calls.begin(), memory.calls.end(), "pending"), 0);
    EXPECT_LT(std::find(memory.calls.begin(), memory.calls.end(), "record 4@7 unattended passive, log C:\\d.log, norestart") -
                  memory.calls.begin(),
              std::find(memory.calls.begin(), memory.calls.end(), "runonce C:\\ProgramData\\Tavelin\\ReInst.exe") -
                  memory.calls.begin())
        << "the record before the helper";

    DiagnosticSwitches switches;
    RecordingSink sink;
    const StoredWaitingList stored = ReadWaitingList(memory, switches, sink, L"ABC");
    EXPECT_EQ(Narrow(stored.list), "7");
    EXPECT_EQ(stored.mode, ResumeMode::Automatic);
    EXPECT_EQ(stored.hold, ResumeHold::None);
    ASSERT_TRUE(stored.unattended.has_value());
    EXPECT_EQ(Narrow(stored.unattended->mode), "passive");
    EXPECT_TRUE(stored.unattended->noRestart);
    EXPECT_EQ(stored.beginCounts, (BeginCounts{{7, 2}}));

    memory.calls.clear();
    ASSERT_TRUE(record.Store(L"", L""));
    EXPECT_TRUE(memory.values.empty());
    EXPECT_EQ(memory.calls, (std::vector<std::string>{"delete record", "remove runonce"}));
}

// A helper that cannot be registered is tried again before the next item; the user's stop takes
// the registration away.
TEST(KeptRunRecord, TheHelperIsRegisteredUntilItWorksAndGoesWithAStop) {
    MemoryRecord memory;
    memory.copied = false;
    KeptRunRecord record(memory, RunRecordDetails{L"D:", std::nullopt, L""});
    ASSERT_TRUE(record.Store(L"4", L"4:1"));
    EXPECT_EQ(Narrow(record.RegisterLogonResume()), "Could not copy the restart helper");
    memory.copied = true;
    EXPECT_TRUE(record.RegisterLogonResume().empty());
    memory.calls.clear();
    record.UnregisterLogonResume();
    EXPECT_EQ(memory.calls, (std::vector<std::string>{"remove runonce"}));
    EXPECT_EQ(Narrow(memory.values[kWaitingListValueName]), "4") << "the record stays for the next start";
}

}  // namespace
}  // namespace tavelin
