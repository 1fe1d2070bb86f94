// The reasons the whole-disc test cannot show, each from a small disc of its own judged on one
// hand-made machine; and the record's data behind them: which library found a device, where an
// installed version came from, the dependences that changed a check box, the translated texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "config/catalogue.h"
#include "evaluate/decision_text.h"
#include "evaluate/dependence_propagation.h"
#include "evaluate/evaluation_sequence.h"
#include "evaluate/memory_registry.h"
#include "fake_evaluation_inputs.h"
#include "narrow_text.h"
#include "temp_ini_file.h"

namespace tavelin {
namespace {

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kClass = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{c}\\";

// Devices named after what the registry holds for them.
MemoryRegistry MakeMachine() {
    MemoryRegistry r;
    const auto device = [&](const std::wstring& id, const std::wstring& classKey) {
        r.SetValue(kEnum + id + L"&SUBSYS_1\\1", L"Driver", L"{c}\\" + classKey);
    };
    const auto driver = [&](const std::wstring& classKey, const std::wstring& version) {
        r.SetValue(kClass + classKey, L"DriverVersion", version);
        r.SetValue(kClass + classKey, L"DriverDate", L"6-15-2021");
        r.SetValue(kClass + classKey, L"ProviderName", L"Maker");
    };
    device(L"PCI\\VEN_1&DEV_NEWER", L"0001");
    driver(L"0001", L"9.0");
    device(L"PCI\\VEN_1&DEV_CLASSLESS", L"0002");  // its class key is missing
    device(L"PCI\\VEN_1&DEV_ODD", L"0003");
    driver(L"0003", L"1.0");
    r.SetValue(L"SOFTWARE\\Maker\\Tool", L"Version", L"1.5");
    r.SetValue(L"SOFTWARE\\Maker\\Odd", L"Version", L"1.0");
    return r;
}

// Present devices; the USB one is found by the second library.
class TwoLibraries : public HardwareQuery {
public:
    bool IsDevicePresent(const std::wstring& id) override { return FindDevice(id).present; }
    DeviceAnswer FindDevice(const std::wstring& id) override {
        if (id.rfind(L"USB\\", 0) == 0) return {true, L"USB.DLL"};
        if (id.find(L"ABSENT") != std::wstring::npos) return {};
        return {true, L"ENUM.DLL"};
    }
};

const char kDisc[] = R"([OS_Language_Tag]
0409=ENG
[Items]
Item_Quantity=12
[Item_1]
Type=DRIVER
Title_ENG=No driver yet
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_1&DEV_NONE
Version_1=1.0
[Item_2]
Type=DRIVER
Title_ENG=Unreadable
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_1&DEV_CLASSLESS
Version_1=1.0
[Item_3]
Type=DRIVER
Title_ENG=Always
Ignore_Version_Checking=1
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_1&DEV_NEWER
Version_1=1.0
Date_1=1-1-2020
[Item_4]
Type=DRIVER
Title_ENG=Blind
Ignore_HW_Checking=1
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_1&DEV_ABSENT
[Item_5]
Type=RECOMMENDED_APPLICATION
Title_ENG=Tool
Version=2.0
Version_Path=SOFTWARE\Maker\Tool\Version
Dependence=Item_6
[Item_6]
Type=OPTIONAL_APPLICATION
Title_ENG=Runtime
Version=1.0
Version_Path=SOFTWARE\Maker\Runtime\Version
[Item_7]
Type=DRIVER
Title_ENG=Newer installed
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_1&DEV_NEWER
Version_1=8.0
[Item_8]
Type=DRIVER
Title_ENG=Absent
HW_ID_Quantity=2
HW_ID_1=PCI\VEN_1&DEV_ABSENT
HW_ID_2=PCI\VEN_2&DEV_ABSENT
[Item_9]
Type=HOTFIX
Title_ENG=Needs both
HW_ID_Quantity=2
HW_ID_CheckRule=AND
HW_ID_1=USB\VID_1
HW_ID_2=PCI\VEN_3&DEV_ABSENT
Version_Path=SOFTWARE\Updates\KB1
[Item_10]
Type=DRIVER
Title_ENG=Odd version
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_1&DEV_ODD
Version_1=2.0.1
[Item_11]
Type=OPTIONAL_APPLICATION
Title_ENG=Odd tool
Version=X
Version_Path=SOFTWARE\Maker\Odd\Version
[Item_12]
Type=DRIVER
Title_ENG=One absent
HW_ID_Quantity=1
HW_ID_1=PCI\VEN_9&DEV_ABSENT
)";

struct Judged {
    LoadedCatalogue catalogue;
    DecisionBook decisions;
};

Judged Judge() {
    const TempIniFile file(kDisc);
    MachineFacts facts;
    facts.m_szLanguageCode = L"0409";
    Judged judged{LoadCatalogue(file.Config(), facts, L"ANY"), {}};
    MemoryRegistry registry = MakeMachine();
    TwoLibraries hardware;
    RecordingSink sink;
    const std::wstring os;
    judged.decisions = RunEvaluationPasses(
        judged.catalogue.m_pItemList,
        {facts, os, judged.catalogue.m_szLanguageTag, registry, hardware, DiagnosticSwitches{}, sink},
        EvaluationRun::Startup);
    return judged;
}

TEST(DecisionRecord, ReasonPerKind) {
    const Judged judged = Judge();
    const ReasonTexts english;
    const std::map<int, std::wstring> expected = {
        {1, L"Offered: no driver is installed for PCI\\VEN_1&DEV_NONE"},
        {2, L"Offered: the installed driver for PCI\\VEN_1&DEV_CLASSLESS could not be read"},
        {3, L"Offered: the disc installs it whatever is installed (installed 9.0, disc 1.0)"},
        {4, L"Offered: the disc installs this driver without looking for its device"},
        {5, L"Offered: the installed version 1.5 is older than the disc's 2.0"},
        {6, L"Offered: not installed (SOFTWARE\\Maker\\Runtime is not in the registry)"},
        {7, L"Greyed: the installed 9.0 is newer than the disc's 8.0"},
        {8, L"Not offered: no device with any of its 2 hardware ids is present (the first is PCI\\VEN_1&DEV_ABSENT)"},
        {9, L"Not offered: it needs every one of its devices, and PCI\\VEN_3&DEV_ABSENT is not present"},
        {10, L"Offered: the installed driver 1.0 cannot be compared with the disc's 2.0.1"},
        {11, L"Offered: the installed version 1.0 cannot be compared with the disc's X"},
        {12, L"Not offered: no device with PCI\\VEN_9&DEV_ABSENT is present"},
    };
    ASSERT_EQ(judged.decisions.Records().size(), expected.size());
    for (const auto& [number, reason] : expected) {
        EXPECT_EQ(ReasonSummary(*judged.decisions.Find(number), english), reason) << number;
    }
}

// A view's characters read one by one in this file's own code, where the sanitizers see every read
// (the library compares and copies wide texts in code they do not watch).
std::wstring ReadEach(std::wstring_view text) {
    std::wstring read;
    for (const wchar_t c : text) read.push_back(c);
    return read;
}

// The findings' texts are views: a record copied out of its book must still read them once the
// book and the disc's items are gone. The items' texts are overwritten first, so that a finding that
// viewed them instead would read the change.
TEST(DecisionRecord, KeepsItsTextsBeyondTheBookAndTheItems) {
    std::optional<DecisionRecord> kept;
    {
        Judged judged = Judge();
        kept = *judged.decisions.Find(3);
        for (const auto& item : judged.catalogue.m_pItemList) {
            for (CHW_ID& id : item->m_pHwIdList) std::fill(id.m_strHwId.begin(), id.m_strHwId.end(), L'#');
            for (CVersion& version : item->m_pVersionList) {
                std::fill(version.m_strVersion.begin(), version.m_strVersion.end(), L'#');
            }
            for (CDate& date : item->m_pDateList) std::fill(date.m_strDate.begin(), date.m_strDate.end(), L'#');
        }
    }
    ASSERT_EQ(kept->devices.size(), 1u);
    EXPECT_EQ(ReadEach(kept->devices[0].hardwareId), L"PCI\\VEN_1&DEV_NEWER");
    EXPECT_EQ(ReadEach(kept->devices[0].source), L"ENUM.DLL");
    ASSERT_EQ(kept->drivers.size(), 1u);
    EXPECT_EQ(ReadEach(kept->drivers[0].hardwareId), L"PCI\\VEN_1&DEV_NEWER");
    EXPECT_EQ(ReadEach(kept->drivers[0].discVersion), L"1.0");
    EXPECT_EQ(ReadEach(kept->drivers[0].discDate), L"1-1-2020");
    EXPECT_EQ(ReasonSummary(*kept, ReasonTexts{}),
              L"Offered: the disc installs it whatever is installed (installed 9.0, disc 1.0)");
}

// Each pass asks for the records in the disc's order, and the book tries the next record first: a
// copy or a move of a book must find its own records, in any order, never the other book's.
TEST(DecisionBook, EachBookFindsItsOwnRecordsInAnyOrder) {
    DecisionBook book;
    for (const std::int32_t itemNo : {1, 2, 3, 5, 4, 1, 2, 3}) book.For(itemNo).osName += L"x";
    ASSERT_EQ(book.Records().size(), 5u);
    for (const auto& [itemNo, record] : book.Records()) {
        EXPECT_EQ(record.itemNo, itemNo);
        EXPECT_EQ(record.osName, itemNo <= 3 ? L"xx" : L"x") << itemNo;
    }
    book.For(1);
    book.For(2);  // the book now tries record 3 next
    DecisionBook copy = book;
    copy.For(3).osName = L"copy";
    EXPECT_EQ(book.Find(3)->osName, L"xx");
    EXPECT_EQ(copy.Find(3)->osName, L"copy");
    DecisionBook assigned;
    assigned = copy;
    assigned.For(4).osName = L"assigned";
    EXPECT_EQ(copy.Find(4)->osName, L"x");

    copy.For(4);  // copy tries record 5 next
    DecisionBook moved = std::move(copy);
    moved.For(5).osName = L"moved";
    EXPECT_EQ(moved.Find(5)->osName, L"moved");
    DecisionBook movedAgain;
    movedAgain = std::move(moved);
    movedAgain.For(1).osName = L"again";
    EXPECT_EQ(movedAgain.Find(1)->osName, L"again");
    EXPECT_EQ(movedAgain.Find(2)->osName, L"xx");
    EXPECT_EQ(movedAgain.Records().size(), 5u);
}

TEST(DecisionRecord, KeepsWhereEachAnswerCameFrom) {
    const Judged judged = Judge();
    const DecisionRecord& hotfix = *judged.decisions.Find(9);
    ASSERT_EQ(hotfix.devices.size(), 2u);
    EXPECT_EQ(hotfix.devices[0].source, L"USB.DLL");
    EXPECT_TRUE(hotfix.devices[0].present);
    EXPECT_EQ(hotfix.devices[1].source, L"");
    EXPECT_EQ(hotfix.exclusion, ExclusionRule::Hardware);
    EXPECT_EQ(hotfix.placement, ListPlacement::None);

    const DecisionRecord& always = *judged.decisions.Find(3);
    ASSERT_EQ(always.drivers.size(), 1u);
    EXPECT_EQ(always.devices[0].source, L"ENUM.DLL");
    EXPECT_EQ(always.drivers[0].installed->classPath, kClass + L"0001");
    EXPECT_EQ(always.drivers[0].comparison, 3) << "the comparison as made, before the override";
    EXPECT_EQ(always.drivers[0].override, VersionOverride::IgnoreVersionChecking);
    EXPECT_EQ(always.drivers[0].outcome, 2);

    const DecisionRecord& tool = *judged.decisions.Find(5);
    ASSERT_TRUE(tool.application.has_value());
    EXPECT_EQ(tool.application->lookup, ApplicationLookup::VersionValue);
    EXPECT_EQ(tool.application->keyPath, L"SOFTWARE\\Maker\\Tool");
    EXPECT_EQ(tool.application->valueName, L"Version");
    EXPECT_EQ(tool.application->version.installedVersion, L"1.5");

    const std::vector<std::wstring> log = DecisionLogLines(always, L"Always");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], L"Item_3 \"Always\" (driver): offered, checked, in both views. "
                      L"Offered: the disc installs it whatever is installed (installed 9.0, disc 1.0)");
    EXPECT_NE(std::find(log.begin(), log.end(), L"  device PCI\\VEN_1&DEV_NEWER: present (found by ENUM.DLL)"),
              log.end());
}

class Rows : public CheckRows {
public:
    int GetRowCheck(int row) override { return checks[row]; }
    void SetRowCheck(int row, int state) override { checks[row] = state; }
    std::map<int, int> checks;
};

TEST(DecisionRecord, DependencesGiveTheSecondLine) {
    Judged judged = Judge();
    ItemList& items = judged.catalogue.m_pItemList;
    CItem& tool = **std::find_if(items.begin(), items.end(), [](const auto& item) { return item->m_nItemNo == 5; });
    CItem& runtime = **std::find_if(items.begin(), items.end(), [](const auto& item) { return item->m_nItemNo == 6; });
    tool.m_nListRow = 0;
    runtime.m_nListRow = 1;
    Rows rows;
    const ReasonTexts english;

    rows.checks = {{0, 1}, {1, 0}};
    RecordDependences(ApplyDependences(items, rows, 0), judged.decisions);
    EXPECT_EQ(rows.checks[1], 1);
    EXPECT_EQ(ReasonSummary(*judged.decisions.Find(6), english),
              L"Offered: not installed (SOFTWARE\\Maker\\Runtime is not in the registry)\n"
              L"Checked because \"Tool\" needs it");

    rows.checks = {{0, 1}, {1, 0}};
    RecordDependences(ApplyDependences(items, rows, 1), judged.decisions);
    EXPECT_EQ(rows.checks[0], 0);
    EXPECT_EQ(ReasonSummary(*judged.decisions.Find(5), english),
              L"Offered: the installed version 1.5 is older than the disc's 2.0\n"
              L"Cleared because it needs \"Runtime\"");
    EXPECT_EQ(judged.decisions.Find(6)->dependences.size(), 1u) << "the runtime's own click changed nothing of it";
}

TEST(ReasonTexts, TranslationsReplaceTemplatesAndEmptyOnesKeepEnglish) {
    ReasonTexts texts;
    texts.Set(ReasonText::GreyedNewer, L"Grisé : %1 installé, %2 sur le disque, 100 %%");
    texts.Set(ReasonText::GreyedSame, L"");
    DecisionRecord record;
    record.applies = true;
    record.application = ApplicationFinding{};
    record.application->found = true;
    record.application->compared = true;
    record.application->version = {L"1.0", L"", L"2.0", L"", 3};
    EXPECT_EQ(ReasonSummary(record, texts), L"Grisé : 2.0 installé, 1.0 sur le disque, 100 %");
    record.application->version.status = 1;
    EXPECT_EQ(ReasonSummary(record, texts), L"Greyed: installed, same version as on the disc");
    record.application->version.installedVersion.clear();
    record.application->version.status = 0;
    record.offered = true;
    EXPECT_EQ(ReasonSummary(record, texts), L"Offered: the installed version unknown cannot be compared with the disc's 1.0")
        << "an empty value is named, never left as a gap";
}

TEST(ReasonTexts, FillTemplateAndReadableDate) {
    EXPECT_EQ(FillTemplate(L"%2 and %1, %3%", {L"a", L"b"}), L"b and a, %");
    EXPECT_EQ(FillTemplate(L"%%1 %x", {L"a"}), L"%1 %x");
    const std::pair<std::wstring, std::wstring> dates[] = {
        {L"3-1-2019", L"2019-03-01"}, {L"12-31-2020", L"2020-12-31"}, {L"2019-03-01", L"2019-03-01"},
        {L"1-1-19", L"1-1-19"},       {L"", L""},                     {L"a-b-2019", L"a-b-2019"},
    };
    for (const auto& [stored, shown] : dates) EXPECT_EQ(ReadableDate(stored), shown) << Narrow(stored);
}

}  // namespace
}  // namespace tavelin
