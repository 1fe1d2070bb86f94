// The restart helper's start of the program, and the titles the user is told of when items wait.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/sha256.h"
#include "install/restart_helper_start.h"
#include "install/run_notices.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(RestartHelperStart, ElevationIsLeftToTheShell) {
    struct Case {
        bool created;
        unsigned long error;
        HelperStartStep step;
    };
    const Case cases[] = {
        {true, 0, HelperStartStep::Started},
        {false, 740, HelperStartStep::StartThroughShell},  // ERROR_ELEVATION_REQUIRED
        {false, 2, HelperStartStep::GiveUp},               // the program is gone
        {false, 5, HelperStartStep::GiveUp},               // access denied
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(HelperStartStepName(NextHelperStartStep(c.created, c.error))),
                  Narrow(HelperStartStepName(c.step)))
            << c.created << " " << c.error;
    }
}

// Drives A: (bit 0), C:, D:, E: and Z: present.
constexpr unsigned long kDrives = (1ul << 0) | (1ul << 2) | (1ul << 3) | (1ul << 4) | (1ul << 25);

TEST(RestartHelperSearch, TheSamePathOnEveryOtherDrive) {
    struct Case {
        const char* name;
        const wchar_t* recorded;
        unsigned long drives;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"a disc at a drive's root", L"D:\\setup.exe", kDrives,
         {"A:\\setup.exe", "C:\\setup.exe", "E:\\setup.exe", "Z:\\setup.exe"}},
        {"in a folder, a small letter", L"e:\\Disc\\setup.exe", kDrives,
         {"A:\\Disc\\setup.exe", "C:\\Disc\\setup.exe", "D:\\Disc\\setup.exe", "Z:\\Disc\\setup.exe"}},
        {"the recorded drive gone from the list", L"F:\\setup.exe", (1ul << 2), {"C:\\setup.exe"}},
        {"only the recorded drive", L"D:\\setup.exe", (1ul << 3), {}},
        {"a network path has no drive to change", L"\\\\server\\share\\setup.exe", kDrives, {}},
        {"a drive's current folder is no path", L"D:setup.exe", kDrives, {}},
        {"no path", L"", kDrives, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> paths;
        for (const std::wstring& path : PathsOnOtherDrives(c.recorded, c.drives)) paths.push_back(Narrow(path));
        EXPECT_EQ(paths, c.paths) << c.name;
    }
}

TEST(RestartHelperSearch, OnlyTheRecordsDiscWithTheRecordsProgramIsAccepted) {
    const std::wstring identity(64, L'a');
    Sha256Digest program{};
    program[0] = 1;
    Sha256Digest other{};
    other[0] = 2;
    const std::optional<std::wstring> programText = Sha256Text(program);
    struct Case {
        const char* name;
        std::wstring recordedIdentity;
        std::wstring candidateIdentity;
        std::optional<std::wstring> recordedProgram;
        std::optional<Sha256Digest> candidateProgram;
        CandidateVerdict verdict;
    };
    const Case cases[] = {
        {"same disc, same program", identity, identity, programText, program, CandidateVerdict::SameDisc},
        {"same disc, identity in capitals", identity, std::wstring(64, L'A'), programText, program,
         CandidateVerdict::SameDisc},
        {"an older record keeps no program fingerprint", identity, identity, std::nullopt, other,
         CandidateVerdict::SameDisc},
        {"same disc, another program", identity, identity, programText, other, CandidateVerdict::OtherProgram},
        {"same disc, program unreadable", identity, identity, programText, std::nullopt,
         CandidateVerdict::OtherProgram},
        {"another disc", identity, std::wstring(64, L'b'), programText, program, CandidateVerdict::OtherDisc},
        {"a catalogue that cannot be read", identity, L"", programText, program, CandidateVerdict::OtherDisc},
        {"a record without identity accepts no other drive", L"", identity, programText, program,
         CandidateVerdict::NoIdentityRecorded},
        {"nor one of blanks", L"  ", L"  ", std::nullopt, std::nullopt, CandidateVerdict::NoIdentityRecorded},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(CandidateVerdictName(
                      JudgeCandidate(c.recordedIdentity, c.candidateIdentity, c.recordedProgram, c.candidateProgram))),
                  Narrow(CandidateVerdictName(c.verdict)))
            << c.name;
    }
}

TEST(RestartHelperSearch, AMissingDiscIsAskedForUnlessTheRunWasUnattended) {
    struct Case {
        bool recordedThere;
        bool foundElsewhere;
        bool unattended;
        HelperDiscStep step;
    };
    const Case cases[] = {
        {true, false, false, HelperDiscStep::StartRecorded},
        {true, true, true, HelperDiscStep::StartRecorded},
        {false, true, false, HelperDiscStep::StartFound},
        {false, true, true, HelperDiscStep::StartFound},
        {false, false, false, HelperDiscStep::AskToInsert},
        {false, false, true, HelperDiscStep::WaitForNextLogon},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(HelperDiscStepName(NextHelperDiscStep(c.recordedThere, c.foundElsewhere, c.unattended))),
                  Narrow(HelperDiscStepName(c.step)))
            << c.recordedThere << c.foundElsewhere << c.unattended;
    }
}

TEST(RunNotices, TitlesOfTheWaitingItemsInListOrder) {
    ItemList items;
    for (int number : {4, 7, 12}) {
        items.push_back(std::make_unique<CItem>());
        items.back()->m_nItemNo = number;
        items.back()->m_strTitle = L"Title " + std::to_wstring(number);
    }
    struct Case {
        const wchar_t* list;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {L"", {}},
        {L"12@4", {"Title 12", "Title 4"}},
        {L"7@99", {"Title 7", "Item 99"}},  // a number without an item is still named
    };
    for (const Case& c : cases) {
        std::vector<std::string> titles;
        for (const std::wstring& title : TitlesOfWaitingList(items, c.list)) titles.push_back(Narrow(title));
        EXPECT_EQ(titles, c.titles) << Narrow(c.list);
    }
    const std::wstring text = RestartNotStoredText(TitlesOfWaitingList(items, L"4@12"));
    EXPECT_NE(text.find(L"\n    Title 4\n    Title 12\n"), std::wstring::npos) << Narrow(text);
}

}  // namespace
}  // namespace tavelin
