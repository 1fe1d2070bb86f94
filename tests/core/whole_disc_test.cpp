// A whole disc judged on one hand-made machine: the loader and every pass together. The expected
// flags are worked out by hand from the rules, item by item, in the comments of the table.
#include <gtest/gtest.h>

#include <map>

#include "config/catalogue.h"
#include "evaluate/decision_text.h"
#include "evaluate/evaluation_sequence.h"
#include "evaluate/memory_registry.h"
#include "evaluate/version_compare.h"
#include "fake_evaluation_inputs.h"

namespace tavelin {
namespace {

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kClass = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";
const std::wstring kSystem = L"{4d36e97d-e325-11ce-bfc1-08002be10318}";
const std::wstring kMedia = L"{4d36e96c-e325-11ce-bfc1-08002be10318}";

void AddDriver(MemoryRegistry& r, const std::wstring& classKey, const std::wstring& version,
               const std::wstring& date, const std::wstring& provider) {
    r.SetValue(kClass + classKey, L"DriverVersion", version);
    r.SetValue(kClass + classKey, L"DriverDate", date);
    r.SetValue(kClass + classKey, L"ProviderName", provider);
}

MemoryRegistry MakeMachine() {
    MemoryRegistry r;
    r.SetValue(kEnum + L"PCI\\VEN_8086&DEV_27D8&SUBSYS_11111111&REV_02\\3&21436425&0&F8", L"Driver",
               kSystem + L"\\0000");
    AddDriver(r, kSystem + L"\\0000", L"8.0.0.1", L"1-1-2007", L"Maker");
    r.SetValue(kEnum + L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0888&SUBSYS_10250001&REV_1000\\4&1&0&0001", L"Driver",
               kMedia + L"\\0000");
    AddDriver(r, kMedia + L"\\0000", L"6.0.1.4900", L"1-1-2008", L"Maker");
    r.SetValue(kEnum + L"PCI\\VEN_1180&DEV_0832&SUBSYS_1\\4&A", L"Driver", kSystem + L"\\0001");
    AddDriver(r, kSystem + L"\\0001", L"3.0", L"1-1-2009", L"Maker");
    r.SetValue(kEnum + L"PCI\\VEN_1180&DEV_0822&SUBSYS_1\\4&B", L"Driver", kSystem + L"\\0002");
    AddDriver(r, kSystem + L"\\0002", L"2.0", L"1-1-2008", L"Microsoft");
    r.SetValue(L"SOFTWARE\\Maker\\Player", L"Version", L"10.5");
    r.AddKey(L"SOFTWARE\\Maker\\Photo\\2.0", RegistryView::View64);
    r.AddKey(L"SOFTWARE\\Maker\\Photo\\3.0", RegistryView::View64);
    r.AddKey(L"SOFTWARE\\Maker\\Updater");
    return r;
}

struct Expected {
    int number;
    int type;
    bool hwFound;
    bool versionResult;
    bool installed;
    bool osMatched;
    bool languageMatched;
    std::vector<int> compares;  // drivers: m_nCompare per hardware id
};

// The whole disc loaded and judged on the machine above.
struct JudgedDisc {
    LoadedCatalogue catalogue;
    DecisionBook decisions;
    std::vector<std::wstring> messages;
};

JudgedDisc JudgeWholeDisc() {
    const ConfigFile config(std::string(TAVELIN_TEST_DATA) + "/discs/whole/Lib/TAVELIN.INI");
    MachineFacts facts;
    facts.m_szOSKey = L"WNT_6.0_HOME_PREMIUM";
    facts.m_b64Bit = true;
    facts.m_szLanguageCode = L"0409";
    JudgedDisc judged{LoadCatalogue(config, facts, L"TV-1000"), {}, {}};
    LoadedCatalogue& catalogue = judged.catalogue;
    MemoryRegistry registry = MakeMachine();
    FixedHardware hardware({L"PCI\\VEN_8086&DEV_27D8", L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0888",
                            L"PCI\\VEN_1180&DEV_0832", L"PCI\\VEN_1180&DEV_0822"});
    RecordingSink sink;
    judged.decisions = RunEvaluationPasses(catalogue.m_pItemList,
                                           {facts, catalogue.m_szOSDisplayName, catalogue.m_szLanguageTag, registry,
                                            hardware, DiagnosticSwitches{}, sink},
                                           EvaluationRun::Startup);
    judged.messages = sink.messages;
    return judged;
}

TEST(WholeDisc, FlagsPerItem) {
    const JudgedDisc judged = JudgeWholeDisc();
    const LoadedCatalogue& catalogue = judged.catalogue;
    EXPECT_EQ(catalogue.m_szLanguageTag, L"ENG");
    EXPECT_EQ(catalogue.m_szOSDisplayName, L"Vista Home Premium");
    EXPECT_EQ(catalogue.m_nDiscWaitTime, 30);
    EXPECT_EQ(catalogue.m_nItemQuantity, 12);

    const Expected expected[] = {
        // OR: id 1 present and Same, id 2 absent (not in the registry: Error) -> shown, nothing to install.
        {1, ITEM_TYPE_DRIVER, true, false, true, true, true, {VERSION_STATUS_SAME, VERSION_STATUS_ERROR}},
        // 6.0.1.5000 against 6.0.1.4900 -> Ini newer, present -> install.
        {2, ITEM_TYPE_DRIVER, true, true, true, true, true, {VERSION_STATUS_INI_NEWER}},
        // Items 3 (other model) and 4 (32-bit only) are not loaded.
        // AND: both present; 2.0 against 3.0 Registry newer; Same but by Microsoft -> Ini newer -> install.
        {5, ITEM_TYPE_DRIVER, true, true, true, true, true, {VERSION_STATUS_REGISTRY_NEWER, VERSION_STATUS_INI_NEWER}},
        // 11.0 against 10.5 -> install; OS list names neither Vista.
        {6, ITEM_TYPE_RECOMMENDED_APP, true, true, true, false, true, {}},
        // Found in the 64-bit view: 2.0 Same, 3.0 Registry newer -> no install; OS matches in other case; JPN only.
        {7, ITEM_TYPE_OPTIONAL_APP, true, false, true, true, false, {}},
        // Hotfix key missing -> install; hidden because item 1 is installed.
        {8, ITEM_TYPE_HOTFIX, false, true, false, true, true, {}},
        // Unknown type: flags stay initial apart from the rules every item gets.
        {9, ITEM_TYPE_UNKNOWN, true, false, false, true, true, {}},
        // Key found without a disc version -> installed, no install; OR over an absent device hides it,
        // then AND over item 8 (to install) and the unknown item 11 shows it again.
        {10, ITEM_TYPE_OPTIONAL_APP, true, false, true, true, true, {}},
        // Item 11 has no section; item 12 has no English title.
    };
    ASSERT_EQ(catalogue.m_pItemList.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        const CItem& item = *catalogue.m_pItemList[i];
        const std::string label = "item " + std::to_string(e.number);
        ASSERT_EQ(item.m_nItemNo, e.number) << label;
        EXPECT_EQ(item.m_nType, e.type) << label;
        EXPECT_EQ(item.m_bHwFound, e.hwFound) << label;
        EXPECT_EQ(item.m_bVersionResult, e.versionResult) << label;
        EXPECT_EQ(item.m_bInstalled, e.installed) << label;
        EXPECT_EQ(item.m_bOSMatched, e.osMatched) << label;
        EXPECT_EQ(item.m_bLanguageMatched, e.languageMatched) << label;
        if (e.type == ITEM_TYPE_DRIVER) {
            std::vector<int> compares;
            for (const CVersion& version : item.m_pVersionList) compares.push_back(version.m_nCompare);
            EXPECT_EQ(compares, e.compares) << label;
        }
    }
    EXPECT_EQ(judged.messages, std::vector<std::wstring>{L"#2 : Wrong item type, #item : 7"});
}

// The reason each item of the disc gets, one per way an item can be judged; the records behind
// them are made beside the flags above, which stay as they were.
TEST(WholeDisc, ReasonPerItem) {
    const JudgedDisc judged = JudgeWholeDisc();
    const ReasonTexts english;
    const std::map<int, std::wstring> expected = {
        {1, L"Greyed: installed, same version as on the disc"},
        {2, L"Offered: the installed driver 6.0.1.4900 (2008-01-01) is older than the disc's 6.0.1.5000 (2008-03-03)"},
        {5, L"Offered: the installed driver 2.0 came with Windows; the disc's 2.0 replaces it"},
        {6, L"Not offered: meant for Windows XP, Windows 7, not for Vista Home Premium"},
        {7, L"Not offered: meant for the languages JPN, not for ENG"},
        {8, L"Not offered: hidden by the disc's rule Invisible_If_Item_Exist (Item_1)"},
        {9, L"Not offered: the disc gives it a type this program does not know"},
        {10, L"Greyed: installed (SOFTWARE\\Maker\\Updater is in the registry)\n"
             L"Shown by the disc's rule Visible_If_Item_Exist (Item_8 AND Item_11)"},
    };
    ASSERT_EQ(judged.decisions.Records().size(), expected.size());
    for (const auto& [number, reason] : expected) {
        const DecisionRecord* decision = judged.decisions.Find(number);
        ASSERT_NE(decision, nullptr) << number;
        EXPECT_EQ(ReasonSummary(*decision, english), reason) << number;
    }

    const std::map<int, std::wstring> dropped = {
        {3, L"Not offered: meant for the models TV-2000"},
        {4, L"Not offered: meant for 32BIT Windows"},
        {11, L"Not offered: it has no title in this language or in English"},
        {12, L"Not offered: it has no title in this language or in English"},
    };
    ASSERT_EQ(judged.catalogue.m_droppedItems.size(), dropped.size());
    for (const DroppedItem& item : judged.catalogue.m_droppedItems) {
        EXPECT_EQ(DroppedItemReason(item, english), dropped.at(item.itemNo)) << item.itemNo;
    }

    // The placement each outcome gives, and the findings behind the driver with two devices.
    const DecisionRecord& chipset = *judged.decisions.Find(1);
    EXPECT_EQ(chipset.placement, ListPlacement::InstalledRow);
    EXPECT_FALSE(chipset.checkedByDefault);
    ASSERT_EQ(chipset.drivers.size(), 2u);
    EXPECT_EQ(chipset.drivers[0].installed->classPath, kClass + kSystem + L"\\0000");
    EXPECT_EQ(chipset.drivers[1].Failure(), DriverLookupFailure::NoMatchingDevice);
    EXPECT_EQ(judged.decisions.Find(2)->placement, ListPlacement::Offered);
    EXPECT_TRUE(judged.decisions.Find(2)->checkedByDefault);
    EXPECT_EQ(judged.decisions.Find(6)->placement, ListPlacement::None);
    const DecisionRecord& photo = *judged.decisions.Find(7);
    ASSERT_TRUE(photo.application.has_value());
    EXPECT_EQ(photo.application->view, RegistryView::View64);
    EXPECT_EQ(photo.application->version.installedVersion, L"3.0") << "the last subkey compared decides";
}

}  // namespace
}  // namespace tavelin
