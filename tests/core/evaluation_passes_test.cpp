#include "evaluate/evaluation_passes.h"
#include "evaluate/evaluation_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "evaluate/memory_registry.h"
#include "evaluate/version_compare.h"
#include "fake_evaluation_inputs.h"

namespace tavelin {
namespace {

struct IdState {
    bool found;
    int compare;
};

std::unique_ptr<CItem> MakeItem(int number, int type, int rule, const std::vector<IdState>& ids = {}) {
    auto item = std::make_unique<CItem>();
    item->m_nItemNo = number;
    item->m_nType = type;
    item->m_nHwIdCheckRule = rule;
    item->m_nHwIdCount = static_cast<int>(ids.size());
    int i = 0;
    for (const IdState& id : ids) {
        ++i;
        item->m_pHwIdList.emplace_back(i, L"PCI\\VEN_" + std::to_wstring(i));
        item->m_pHwIdList.back().m_bFound = id.found;
        if (type == ITEM_TYPE_DRIVER) {
            item->m_pVersionList.emplace_back(i, L"1.0");
            item->m_pVersionList.back().m_nCompare = id.compare;
            item->m_pDateList.emplace_back(i, L"");
        }
    }
    return item;
}

constexpr int kSame = VERSION_STATUS_SAME;
constexpr int kIniNewer = VERSION_STATUS_INI_NEWER;
constexpr int kRegNewer = VERSION_STATUS_REGISTRY_NEWER;
constexpr int kError = VERSION_STATUS_ERROR;

TEST(ApplyHardwareRule, Table) {
    struct Case {
        const char* name;
        int type;
        int rule;
        std::vector<IdState> ids;
        bool ignoreHw;
        bool expectedHwFound;
        bool expectedVersionResult;  // drivers only; others keep their value (set to true beforehand)
    } const cases[] = {
        {"or: present same, absent other", ITEM_TYPE_DRIVER, HWID_RULE_OR, {{true, kSame}, {false, kError}}, false,
         true, false},
        {"or: ignore hw makes absent id count", ITEM_TYPE_DRIVER, HWID_RULE_OR, {{true, kSame}, {false, kError}},
         true, true, true},
        {"or: present older driver", ITEM_TYPE_DRIVER, HWID_RULE_OR, {{false, kSame}, {true, kIniNewer}}, false, true,
         true},
        {"or: present unreadable driver", ITEM_TYPE_DRIVER, HWID_RULE_OR, {{true, kError}}, false, true, true},
        {"or: present newer installed", ITEM_TYPE_DRIVER, HWID_RULE_OR, {{true, kRegNewer}}, false, true, false},
        {"or: absent older driver", ITEM_TYPE_DRIVER, HWID_RULE_OR, {{false, kIniNewer}}, false, false, false},
        {"or: no ids", ITEM_TYPE_DRIVER, HWID_RULE_OR, {}, false, false, false},
        {"or: no ids, ignore hw", ITEM_TYPE_DRIVER, HWID_RULE_OR, {}, true, true, false},
        {"and: all present, newer and older", ITEM_TYPE_DRIVER, HWID_RULE_AND, {{true, kRegNewer}, {true, kIniNewer}},
         false, true, true},
        {"and: all present, same", ITEM_TYPE_DRIVER, HWID_RULE_AND, {{true, kSame}, {true, kRegNewer}}, false, true,
         false},
        {"and: one absent", ITEM_TYPE_DRIVER, HWID_RULE_AND, {{true, kIniNewer}, {false, kIniNewer}}, false, false,
         false},
        {"and: one absent, ignore hw", ITEM_TYPE_DRIVER, HWID_RULE_AND, {{true, kSame}, {false, kIniNewer}}, true,
         true, true},
        {"and: no ids", ITEM_TYPE_DRIVER, HWID_RULE_AND, {}, false, true, false},
        {"app or: one present", ITEM_TYPE_RECOMMENDED_APP, HWID_RULE_OR, {{false, 0}, {true, 0}}, false, true, true},
        {"app or: none present", ITEM_TYPE_OPTIONAL_APP, HWID_RULE_OR, {{false, 0}}, false, false, true},
        {"app without rule needs all", ITEM_TYPE_RECOMMENDED_APP, HWID_RULE_NONE, {{true, 0}, {false, 0}}, false,
         false, true},
        {"app without ids applies", ITEM_TYPE_HOTFIX, HWID_RULE_NONE, {}, false, true, true},
        {"unknown type without ids", ITEM_TYPE_UNKNOWN, HWID_RULE_NONE, {}, false, true, true},
        {"driver without known rule keeps a true version result", ITEM_TYPE_DRIVER, HWID_RULE_NONE,
         {{true, kSame}}, false, true, true},
    };
    for (const Case& c : cases) {
        ItemList items;
        items.push_back(MakeItem(1, c.type, c.rule, c.ids));
        items[0]->m_bIgnoreHwChecking = c.ignoreHw;
        items[0]->m_bVersionResult = true;
        DecisionBook decisions;
        ApplyHardwareRule(items, decisions);
        EXPECT_EQ(items[0]->m_bHwFound, c.expectedHwFound) << c.name;
        EXPECT_EQ(items[0]->m_bVersionResult, c.expectedVersionResult) << c.name;
    }
}

TEST(ApplyHardwareRule, DriverWithoutKnownRuleKeepsVersionResult) {
    ItemList items;
    items.push_back(MakeItem(1, ITEM_TYPE_DRIVER, HWID_RULE_NONE, {{true, kIniNewer}}));
    DecisionBook decisions;
    ApplyHardwareRule(items, decisions);
    EXPECT_TRUE(items[0]->m_bHwFound);
    EXPECT_FALSE(items[0]->m_bVersionResult);
}

TEST(ApplyOSRule, Table) {
    struct Case {
        const char* name;
        const wchar_t* osVersion;
        const wchar_t* displayName;
        bool expected;
    } const cases[] = {
        {"empty matches every system", L"", L"WinXP", true},
        {"blanks match every system", L"  \t ", L"WinXP", true},
        {"second entry in other case", L"Vista, winxp", L"WINXP", true},
        {"single entry", L"WinXP", L"WinXP", true},
        {"not listed", L"Vista,Win7", L"WinXP", false},
        {"single entry keeps its blanks", L" WinXP", L"WinXP", false},
        {"empty display name never in a list", L"Vista,Win7", L"", false},
        {"trailing comma gives an empty entry", L"Vista, ", L"", true},
    };
    for (const Case& c : cases) {
        ItemList items;
        items.push_back(MakeItem(1, ITEM_TYPE_DRIVER, HWID_RULE_OR));
        items[0]->m_strOSVersion = c.osVersion;
        DecisionBook decisions;
        ApplyOSRule(items, c.displayName, decisions);
        EXPECT_EQ(items[0]->m_bOSMatched, c.expected) << c.name;
    }
}

TEST(ApplyLanguageRule, Table) {
    struct Case {
        const char* name;
        std::vector<std::wstring> languages;
        const wchar_t* tag;
        bool expected;
    } const cases[] = {
        {"no languages matches every tag", {}, L"JPN", true},
        {"listed in other case", {L"ENG", L"jpn"}, L"JPN", true},
        {"not listed", {L"ENG"}, L"JPN", false},
        {"unmapped language", {L"ENG"}, L"", false},
    };
    for (const Case& c : cases) {
        ItemList items;
        items.push_back(MakeItem(1, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_NONE));
        int index = 0;
        for (const std::wstring& language : c.languages) items[0]->m_pLanguageList.emplace_back(index++, language);
        DecisionBook decisions;
        ApplyLanguageRule(items, c.tag, decisions);
        EXPECT_EQ(items[0]->m_bLanguageMatched, c.expected) << c.name;
    }
}

// Items 10 (installed), 11 (to install), 12 (absent) and the item under test, number 1.
TEST(ApplyVisibilityRules, Table) {
    using List = std::vector<std::uint32_t>;
    struct Group {
        List list;
        const wchar_t* rule;
    };
    struct Case {
        const char* name;
        bool initialHwFound;
        Group visibleIfExist, invisibleIfExist, visibleIfNotExist, invisibleIfNotExist;
        bool expected;
    } const cases[] = {
        {"no groups keep the flag", false, {}, {}, {}, {}, false},
        {"visible if exist, or, one present", false, {{12, 10}, L"OR"}, {}, {}, {}, true},
        {"visible if exist, or, counts a to-install item", false, {{11}, L"or"}, {}, {}, {}, true},
        {"visible if exist, or, none present", false, {{12}, L"OR"}, {}, {}, {}, false},
        {"visible if exist, and, one absent", false, {{10, 12}, L"AND"}, {}, {}, {}, false},
        {"visible if exist, and, all present", false, {{10, 11}, L"And"}, {}, {}, {}, true},
        {"unknown numbers are ignored", false, {{10, 99}, L"AND"}, {}, {}, {}, true},
        {"zero from a skipped entry names no item", false, {{0, 10}, L"AND"}, {}, {}, {}, true},
        {"unknown rule text has no effect", false, {{10}, L"XOR"}, {}, {}, {}, false},
        {"invisible if exist, or", true, {}, {{10}, L"OR"}, {}, {}, false},
        {"invisible if exist, and, one absent", true, {}, {{10, 12}, L"AND"}, {}, {}, true},
        {"visible if not exist, or, one absent", false, {}, {}, {{10, 12}, L"OR"}, {}, true},
        {"visible if not exist, and, one present", false, {}, {}, {{12, 10}, L"AND"}, {}, false},
        {"invisible if not exist, or, one absent", true, {}, {}, {}, {{12}, L"OR"}, false},
        {"invisible if not exist, and, all present", true, {}, {}, {}, {{10, 11}, L"AND"}, true},
        {"later group wins", false, {{10}, L"OR"}, {}, {}, {{12}, L"OR"}, false},
        {"earlier group stands when the later does not hold", false, {{10}, L"OR"}, {}, {}, {{10}, L"OR"}, true},
        {"visible after invisible", true, {}, {{10}, L"OR"}, {{12}, L"OR"}, {}, true},
    };
    for (const Case& c : cases) {
        ItemList items;
        items.push_back(MakeItem(1, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_NONE));
        items.push_back(MakeItem(10, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_NONE));
        items.push_back(MakeItem(11, ITEM_TYPE_DRIVER, HWID_RULE_OR));
        items.push_back(MakeItem(12, ITEM_TYPE_HOTFIX, HWID_RULE_NONE));
        items[1]->m_bInstalled = true;
        items[2]->m_bVersionResult = true;
        CItem& item = *items[0];
        item.m_bHwFound = c.initialHwFound;
        item.m_arrVisibleIfExist = c.visibleIfExist.list;
        item.m_strVisibleIfExistRule = c.visibleIfExist.rule ? c.visibleIfExist.rule : L"";
        item.m_arrInvisibleIfExist = c.invisibleIfExist.list;
        item.m_strInvisibleIfExistRule = c.invisibleIfExist.rule ? c.invisibleIfExist.rule : L"";
        item.m_arrVisibleIfNotExist = c.visibleIfNotExist.list;
        item.m_strVisibleIfNotExistRule = c.visibleIfNotExist.rule ? c.visibleIfNotExist.rule : L"";
        item.m_arrInvisibleIfNotExist = c.invisibleIfNotExist.list;
        item.m_strInvisibleIfNotExistRule = c.invisibleIfNotExist.rule ? c.invisibleIfNotExist.rule : L"";
        DecisionBook decisions;
        ApplyVisibilityRules(items, decisions);
        EXPECT_EQ(item.m_bHwFound, c.expected) << c.name;
    }
}

TEST(DetectDevicePresence, AsksForDriverIdsAndAppIdsWhenCounted) {
    ItemList items;
    items.push_back(MakeItem(1, ITEM_TYPE_DRIVER, HWID_RULE_OR, {{false, 0}, {false, 0}}));
    items.push_back(MakeItem(2, ITEM_TYPE_RECOMMENDED_APP, HWID_RULE_OR, {{false, 0}}));
    items.push_back(MakeItem(3, ITEM_TYPE_HOTFIX, HWID_RULE_NONE));
    items.push_back(MakeItem(4, ITEM_TYPE_UNKNOWN, HWID_RULE_NONE, {{false, 0}}));
    // A count of 0 means no checks even if ids were read.
    items.push_back(MakeItem(5, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_NONE, {{false, 0}}));
    items[4]->m_nHwIdCount = 0;
    for (auto& item : items) item->m_bHwFound = false;

    FixedHardware hardware({L"PCI\\VEN_2", L"PCI\\VEN_1"});
    DecisionBook decisions;
    DetectDevicePresence(items, hardware, decisions);
    EXPECT_EQ(hardware.asked, (std::vector<std::wstring>{L"PCI\\VEN_1", L"PCI\\VEN_2"})) << "the repeated id is asked once";
    EXPECT_TRUE(items[0]->m_pHwIdList[0].m_bFound);
    EXPECT_TRUE(items[0]->m_pHwIdList[1].m_bFound);
    EXPECT_TRUE(items[1]->m_pHwIdList[0].m_bFound);
    EXPECT_FALSE(items[1]->m_bHwFound) << "an app with ids is judged by the hardware rule";
    EXPECT_TRUE(items[2]->m_bHwFound) << "an app without ids applies";
    EXPECT_FALSE(items[3]->m_bHwFound) << "unknown types are left alone";
    EXPECT_TRUE(items[4]->m_bHwFound);
    EXPECT_FALSE(items[4]->m_pHwIdList[0].m_bFound);
}

// Each question walks every device of the machine; an id repeated across records and items, or an
// id missing from the file (an empty text), is asked once and every record gets the one answer.
TEST(DetectDevicePresence, AsksOncePerDistinctId) {
    ItemList items;
    auto driver = MakeItem(1, ITEM_TYPE_DRIVER, HWID_RULE_OR);
    driver->m_pHwIdList = {CHW_ID(1, L"PCI\\A"), CHW_ID(2, L""), CHW_ID(3, L"PCI\\A"), CHW_ID(4, L"")};
    items.push_back(std::move(driver));
    auto app = MakeItem(2, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_AND);
    app->m_nHwIdCount = 3;
    app->m_pHwIdList = {CHW_ID(1, L""), CHW_ID(2, L"PCI\\B"), CHW_ID(3, L"PCI\\A")};
    items.push_back(std::move(app));

    FixedHardware hardware({L"PCI\\A"});
    DecisionBook decisions;
    DetectDevicePresence(items, hardware, decisions);
    EXPECT_EQ(hardware.asked, (std::vector<std::wstring>{L"PCI\\A", L"", L"PCI\\B"}));
    const std::vector<bool> driverFound = {true, false, true, false};
    const std::vector<bool> appFound = {false, false, true};
    for (std::size_t i = 0; i < driverFound.size(); ++i) {
        EXPECT_EQ(items[0]->m_pHwIdList[i].m_bFound, driverFound[i]) << "driver record " << i + 1;
    }
    for (std::size_t i = 0; i < appFound.size(); ++i) {
        EXPECT_EQ(items[1]->m_pHwIdList[i].m_bFound, appFound[i]) << "application record " << i + 1;
    }
}

TEST(EvaluateInstalledState, DispatchesByTypeAndReportsWrongTypes) {
    MemoryRegistry registry;
    registry.SetValue(L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_1\\3&0", L"Driver", L"{C}\\0000");
    registry.SetValue(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000", L"DriverVersion", L"1.0");
    registry.SetValue(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000", L"DriverDate", L"1-1-2005");
    registry.SetValue(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000", L"ProviderName", L"Maker");
    registry.SetValue(L"SOFTWARE\\App", L"Version", L"3.0");
    registry.AddKey(L"SOFTWARE\\Fix", RegistryView::View64);

    ItemList items;
    items.push_back(MakeItem(7, ITEM_TYPE_UNKNOWN, HWID_RULE_NONE));
    auto driver = MakeItem(8, ITEM_TYPE_DRIVER, HWID_RULE_OR);
    driver->m_pHwIdList = {CHW_ID(1, L"PCI\\VEN_1&DEV_1"), CHW_ID(2, L"PCI\\VEN_9"), CHW_ID(3, L"PCI\\VEN_1")};
    driver->m_pVersionList = {CVersion(1, L"1.0"), CVersion(2, L"1.0"), CVersion(3, L"0.9")};
    driver->m_pDateList = {CDate(1, L"1-2-2005"), CDate(2, L"")};  // shortest list ends the walk
    driver->m_pVersionList[2].m_nCompare = 42;
    items.push_back(std::move(driver));
    auto app = MakeItem(9, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_NONE);
    app->m_strVersionPath = L"SOFTWARE\\App\\Version";
    app->m_pVersionList = {CVersion(1, L"3.0")};
    items.push_back(std::move(app));
    auto hotfix = MakeItem(10, ITEM_TYPE_HOTFIX, HWID_RULE_NONE);
    hotfix->m_strVersionPath = L"SOFTWARE\\Fix";
    hotfix->m_pVersionList = {CVersion(1, L"5.0")};
    items.push_back(std::move(hotfix));
    items.push_back(MakeItem(11, 9, HWID_RULE_NONE));

    MachineFacts facts;
    facts.m_b64Bit = true;
    RecordingSink sink;
    DecisionBook decisions;
    EvaluateInstalledState(items, facts, registry, DiagnosticSwitches{}, sink, decisions);

    EXPECT_EQ(sink.messages, (std::vector<std::wstring>{L"#2 : Wrong item type, #item : 1",
                                                        L"#2 : Wrong item type, #item : 5"}));
    const CItem& d = *items[1];
    EXPECT_EQ(d.m_pVersionList[0].m_nCompare, VERSION_STATUS_INI_NEWER);
    EXPECT_EQ(d.m_pVersionList[1].m_nCompare, VERSION_STATUS_ERROR);
    EXPECT_EQ(d.m_pVersionList[2].m_nCompare, 42) << "past the shortest list nothing is compared";
    EXPECT_TRUE(d.m_bInstalled);
    EXPECT_TRUE(items[2]->m_bInstalled);
    EXPECT_FALSE(items[2]->m_bVersionResult);
    EXPECT_TRUE(items[3]->m_bInstalled) << "hotfix found in the 64-bit view";
    EXPECT_FALSE(items[3]->m_bVersionResult);
}

// Notes what the evaluation reads, in order, in one list shared by the registry and the devices.
class NotingRegistry : public Registry {
public:
    NotingRegistry(Registry& inner, std::vector<std::string>& events) : m_inner(inner), m_events(events) {}
    std::unique_ptr<RegistryKey> OpenKey(const std::wstring& path, RegistryView view) override {
        m_events.push_back("registry");
        return m_inner.OpenKey(path, view);
    }

private:
    Registry& m_inner;
    std::vector<std::string>& m_events;
};

class NotingHardware : public FixedHardware {
public:
    NotingHardware(std::set<std::wstring> present, std::vector<std::string>& events)
        : FixedHardware(std::move(present)), m_events(events) {}
    bool IsDevicePresent(const std::wstring& hardwareId) override {
        m_events.push_back("device");
        return FixedHardware::IsDevicePresent(hardwareId);
    }

private:
    std::vector<std::string>& m_events;
};

// The device library starts reading the machine's devices on a worker thread as soon as it is
// loaded; the evaluation's first device question waits for that reading. The installed state is
// read beside it only when every registry read of the evaluation comes before the first device
// question, at startup and at a re-scan alike, with the same findings.
TEST(RunEvaluationPasses, ReadsTheInstalledStateBeforeAskingAboutDevices) {
    for (EvaluationRun run : {EvaluationRun::Startup, EvaluationRun::Rescan}) {
        const char* name = run == EvaluationRun::Startup ? "startup" : "re-scan";
        MemoryRegistry memory;
        const std::wstring classKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000";
        memory.SetValue(L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1\\3&0", L"Driver", L"{C}\\0000");
        memory.SetValue(classKey, L"DriverVersion", L"1.0");
        memory.SetValue(classKey, L"DriverDate", L"1-1-2005");
        memory.SetValue(classKey, L"ProviderName", L"Maker");
        memory.SetValue(L"SOFTWARE\\App", L"Version", L"3.0");
        ItemList items;
        items.push_back(MakeItem(1, ITEM_TYPE_DRIVER, HWID_RULE_OR, {{false, 0}, {false, 0}}));
        items[0]->m_pVersionList = {CVersion(1, L"2.0"), CVersion(2, L"2.0")};
        items[0]->m_pDateList = {CDate(1, L"1-1-2006"), CDate(2, L"1-1-2006")};
        items.push_back(MakeItem(2, ITEM_TYPE_OPTIONAL_APP, HWID_RULE_OR, {{false, 0}}));
        items[1]->m_strVersionPath = L"SOFTWARE\\App\\Version";
        items[1]->m_pVersionList = {CVersion(1, L"2.0")};

        std::vector<std::string> events;
        NotingRegistry registry(memory, events);
        NotingHardware hardware({L"PCI\\VEN_1"}, events);
        RecordingSink sink;
        const MachineFacts facts;
        const std::wstring os = L"WinXP";
        const std::wstring tag = L"ENG";
        RunEvaluationPasses(items, {facts, os, tag, registry, hardware, DiagnosticSwitches{}, sink}, run);

        const auto firstQuestion = std::find(events.begin(), events.end(), "device");
        ASSERT_NE(firstQuestion, events.end()) << name;
        EXPECT_NE(firstQuestion, events.begin()) << name << ": the registry is read too";
        EXPECT_EQ(std::find(firstQuestion, events.end(), "registry"), events.end())
            << name << ": a registry read after a device question";
        EXPECT_EQ(hardware.asked, (std::vector<std::wstring>{L"PCI\\VEN_1", L"PCI\\VEN_2"})) << name;
        EXPECT_EQ(items[0]->m_pVersionList[0].m_nCompare, kIniNewer) << name;
        EXPECT_TRUE(items[0]->m_pHwIdList[0].m_bFound) << name;
        EXPECT_FALSE(items[0]->m_pHwIdList[1].m_bFound) << name;
        EXPECT_TRUE(items[1]->m_bInstalled) << name;
        EXPECT_TRUE(items[1]->m_pHwIdList[0].m_bFound) << name;
    }
}

TEST(RunEvaluationPasses, RescanLeavesTheHardwareRuleOut) {
    for (EvaluationRun run : {EvaluationRun::Startup, EvaluationRun::Rescan}) {
        ItemList items;
        items.push_back(MakeItem(1, ITEM_TYPE_DRIVER, HWID_RULE_OR, {{false, 0}}));
        items[0]->m_pHwIdList[0].m_strHwId = L"PCI\\VEN_1";
        MemoryRegistry registry;
        FixedHardware hardware;
        RecordingSink sink;
        const MachineFacts facts;
        const std::wstring os = L"WinXP";
        const std::wstring tag = L"ENG";
        RunEvaluationPasses(items, {facts, os, tag, registry, hardware, DiagnosticSwitches{}, sink}, run);
        const bool startup = run == EvaluationRun::Startup;
        EXPECT_EQ(items[0]->m_bHwFound, !startup) << (startup ? "startup" : "rescan");
        EXPECT_EQ(items[0]->m_bVersionResult, false) << (startup ? "startup" : "rescan");
        EXPECT_TRUE(items[0]->m_bOSMatched);
        EXPECT_TRUE(items[0]->m_bLanguageMatched);
    }
}

}  // namespace
}  // namespace tavelin
