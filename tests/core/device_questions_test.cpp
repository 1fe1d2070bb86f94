// The hardware ids asked ahead of the evaluation, and the order of its passes that lets the
// installed state be read while those answers are fetched.
#include "evaluate/device_questions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "evaluate/evaluation_passes.h"
#include "evaluate/evaluation_sequence.h"
#include "evaluate/memory_registry.h"
#include "evaluate/version_compare.h"
#include "fake_evaluation_inputs.h"

namespace tavelin {
namespace {

constexpr int kIdsAsRead = -1;  // the item's count of ids is the number of ids it holds

struct ItemShape {
    int type;
    int count;
    std::vector<std::wstring> ids;
};

ItemList MakeItems(const std::vector<ItemShape>& shapes) {
    ItemList items;
    int number = 0;
    for (const ItemShape& shape : shapes) {
        auto item = std::make_unique<CItem>();
        item->m_nItemNo = ++number;
        item->m_nType = shape.type;
        item->m_nHwIdCheckRule = HWID_RULE_OR;
        item->m_nHwIdCount = shape.count == kIdsAsRead ? static_cast<int>(shape.ids.size()) : shape.count;
        int index = 0;
        for (const std::wstring& id : shape.ids) item->m_pHwIdList.emplace_back(++index, id);
        items.push_back(std::move(item));
    }
    return items;
}

// The list asked ahead must be exactly what the presence pass asks, in its order: an id missing
// from it would be asked on the dialog's thread after all, one too many would cost a question.
TEST(DeviceQuestions, AreTheDistinctIdsThePresencePassAsksInItsOrder) {
    struct Case {
        const char* name;
        std::vector<ItemShape> items;
        std::vector<std::wstring> questions;
    };
    const Case cases[] = {
        {"a driver's ids, in their order", {{ITEM_TYPE_DRIVER, kIdsAsRead, {L"PCI\\B", L"PCI\\A"}}}, {L"PCI\\B", L"PCI\\A"}},
        {"an id repeated across records and items is asked where first met",
         {{ITEM_TYPE_DRIVER, kIdsAsRead, {L"PCI\\A", L"PCI\\B", L"PCI\\A"}},
          {ITEM_TYPE_OPTIONAL_APP, kIdsAsRead, {L"PCI\\B", L"PCI\\C"}}},
         {L"PCI\\A", L"PCI\\B", L"PCI\\C"}},
        {"ids missing from the file are one empty question",
         {{ITEM_TYPE_DRIVER, kIdsAsRead, {L"", L"PCI\\A", L""}}}, {L"", L"PCI\\A"}},
        {"applications and hotfixes that count ids",
         {{ITEM_TYPE_RECOMMENDED_APP, kIdsAsRead, {L"USB\\A"}}, {ITEM_TYPE_OPTIONAL_APP, kIdsAsRead, {L"USB\\B"}},
          {ITEM_TYPE_HOTFIX, kIdsAsRead, {L"ACPI\\C"}}},
         {L"USB\\A", L"USB\\B", L"ACPI\\C"}},
        {"an application or hotfix counting no ids asks nothing, whatever ids were read",
         {{ITEM_TYPE_RECOMMENDED_APP, 0, {L"USB\\A"}}, {ITEM_TYPE_HOTFIX, 0, {L"ACPI\\C"}}}, {}},
        {"an item of no known kind asks nothing",
         {{ITEM_TYPE_UNKNOWN, kIdsAsRead, {L"PCI\\A"}}, {9, kIdsAsRead, {L"PCI\\B"}}}, {}},
        {"a driver counting no ids still asks the ids read",
         {{ITEM_TYPE_DRIVER, 0, {L"PCI\\A"}}}, {L"PCI\\A"}},
    };
    for (const Case& c : cases) {
        ItemList items = MakeItems(c.items);
        EXPECT_EQ(DeviceQuestions(items), c.questions) << c.name;
        FixedHardware hardware;
        DecisionBook decisions;
        DetectDevicePresence(items, hardware, decisions);
        EXPECT_EQ(hardware.asked, c.questions) << c.name << ": the presence pass";
    }
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

// The program asks the device libraries on a worker thread while the dialog's thread reads the
// installed state: that overlaps only when every registry read of the evaluation comes before
// its first device question, at startup and at a re-scan alike.
TEST(RunEvaluationPasses, ReadsTheInstalledStateBeforeAskingAboutDevices) {
    for (EvaluationRun run : {EvaluationRun::Startup, EvaluationRun::Rescan}) {
        MemoryRegistry memory;
        memory.SetValue(L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_1\\3&0", L"Driver", L"{C}\\0000");
        memory.SetValue(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000", L"DriverVersion", L"1.0");
        memory.SetValue(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000", L"DriverDate", L"1-1-2005");
        memory.SetValue(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{C}\\0000", L"ProviderName", L"Maker");
        memory.SetValue(L"SOFTWARE\\App", L"Version", L"3.0");
        ItemList items = MakeItems({{ITEM_TYPE_DRIVER, kIdsAsRead, {L"PCI\\VEN_1&DEV_1", L"PCI\\VEN_2"}},
                                    {ITEM_TYPE_OPTIONAL_APP, kIdsAsRead, {L"PCI\\VEN_1&DEV_1"}},
                                    {ITEM_TYPE_HOTFIX, 0, {}}});
        for (auto& item : items) item->m_pVersionList = {CVersion(1, L"2.0")};
        items[0]->m_pVersionList.emplace_back(2, L"2.0");
        items[0]->m_pDateList = {CDate(1, L"1-1-2006"), CDate(2, L"1-1-2006")};
        items[1]->m_strVersionPath = items[2]->m_strVersionPath = L"SOFTWARE\\App\\Version";

        std::vector<std::string> events;
        NotingRegistry registry(memory, events);
        NotingHardware hardware({L"PCI\\VEN_1&DEV_1"}, events);
        RecordingSink sink;
        const MachineFacts facts;
        const std::wstring os = L"WinXP";
        const std::wstring tag = L"ENG";
        const DecisionBook decisions =
            RunEvaluationPasses(items, {facts, os, tag, registry, hardware, DiagnosticSwitches{}, sink}, run);

        const char* name = run == EvaluationRun::Startup ? "startup" : "re-scan";
        const auto firstQuestion = std::find(events.begin(), events.end(), "device");
        ASSERT_NE(firstQuestion, events.end()) << name;
        EXPECT_NE(firstQuestion, events.begin()) << name << ": the registry is read too";
        EXPECT_EQ(std::find(firstQuestion, events.end(), "registry"), events.end())
            << name << ": a registry read after a device question";
        EXPECT_EQ(hardware.asked, DeviceQuestions(items)) << name;
        EXPECT_EQ(items[0]->m_pVersionList[0].m_nCompare, VERSION_STATUS_INI_NEWER) << name;
        EXPECT_TRUE(items[0]->m_pHwIdList[0].m_bFound) << name;
        EXPECT_FALSE(items[0]->m_pHwIdList[1].m_bFound) << name;
        EXPECT_TRUE(items[1]->m_bInstalled) << name;
        EXPECT_EQ(decisions.Records().size(), 3u) << name;
    }
}

}  // namespace
}  // namespace tavelin
