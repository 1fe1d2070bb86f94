// Detection against the real (Wine) registry through the Win32 adapter: both views in a 64-bit
// prefix, one view in a 32-bit prefix, key and value forms, buffer limits, and the device walk.
// Every key lives under names unique to this process and is removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evaluate/application_detection.h"
#include "evaluate/driver_detection.h"
#include "evaluate/evaluation_passes.h"
#include "evaluate/memory_registry.h"
#include "evaluate/version_compare.h"
#include "platform/handles.h"
#include "platform/registry_view_win.h"
#include "platform/registry_win.h"
#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::RunsOn64BitWindows;

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    std::vector<std::wstring> messages;
};

constexpr REGSAM kView32 = RegistryViewFlag(RegistryView::View32);

// Writes with the access a 32-bit set-up program would use; view64 asks for the 64-bit view.
void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& text, bool view64 = false) {
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                              KEY_WRITE | (view64 ? KEY_WOW64_64KEY : kView32), nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS)
        << "create key";
    if (name.empty() && text.empty()) return;
    ASSERT_EQ(RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}
void AddKey(const std::wstring& path, bool view64 = false) { SetString(path, L"", L"", view64); }

void DeleteTree(const std::wstring& path, REGSAM view) {
    {
        UniqueKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) {
            return;
        }
        std::vector<std::wstring> children;
        wchar_t name[260];
        for (DWORD i = 0; RegEnumKeyW(key.Get(), i, name, 260) == ERROR_SUCCESS; ++i) children.push_back(name);
        for (const std::wstring& child : children) DeleteTree(path + L"\\" + child, view);
    }
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    const auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
    if (deleteKeyEx != nullptr) {
        deleteKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
    } else {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
    }
}

class RealRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring unique = std::to_wstring(GetCurrentProcessId());
        m_software = L"SOFTWARE\\TavelinDetectionTest" + unique;
        m_bus = L"TAVTEST" + unique;
        m_classGuid = L"{7A7E0000-0000-0000-0000-" + std::wstring(12 - unique.size(), L'0') + unique + L"}";
    }
    void TearDown() override {
        DeleteTree(m_software, kView32);
        DeleteTree(m_software, KEY_WOW64_64KEY);
        DeleteTree(L"SYSTEM\\CurrentControlSet\\Enum\\" + m_bus, kView32);
        DeleteTree(L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + m_classGuid, kView32);
    }

    std::wstring Software(const std::wstring& rest) const { return m_software + L"\\" + rest; }
    std::wstring Device(const std::wstring& rest) const { return L"SYSTEM\\CurrentControlSet\\Enum\\" + m_bus + L"\\" + rest; }
    std::wstring ClassKey(const std::wstring& number) const {
        return L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + m_classGuid + L"\\" + number;
    }
    void AddDriver(const std::wstring& number, const std::wstring& version, const std::wstring& date,
                   const std::wstring& provider) {
        SetString(ClassKey(number), L"DriverVersion", version);
        SetString(ClassKey(number), L"DriverDate", date);
        SetString(ClassKey(number), L"ProviderName", provider);
    }

    std::wstring m_software;
    std::wstring m_bus;
    std::wstring m_classGuid;
    Win32Registry m_registry;
};

TEST(RegistryReadAccess, DetectionOpensForReadingOnly) {
    const REGSAM view32 = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;
    EXPECT_EQ(RegistryReadAccess(RegistryView::View32), static_cast<unsigned long>(KEY_READ | view32));
    EXPECT_EQ(RegistryReadAccess(RegistryView::View64), static_cast<unsigned long>(KEY_READ | KEY_WOW64_64KEY));
}

// The 32-bit view is where a 32-bit program keeps its keys on 64-bit Windows (Wow6432Node), for the
// 64-bit program as much as for the 32-bit one: either finds what the other wrote.
TEST_F(RealRegistry, The32BitViewIsWhereA32BitProgramKeepsItsKeys) {
    if (!RunsOn64BitWindows()) GTEST_SKIP() << "needs a 64-bit prefix";
    SetString(Software(L"Shared"), L"Version", L"1.0");
    UniqueKey redirected;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Wow6432Node\\" + Software(L"Shared").substr(9)).c_str(), 0,
                            KEY_READ | KEY_WOW64_64KEY, redirected.Receive()),
              ERROR_SUCCESS);
    EXPECT_TRUE(m_registry.OpenKey(Software(L"Shared"), RegistryView::View32));
    EXPECT_FALSE(m_registry.OpenKey(Software(L"Shared"), RegistryView::View64));
}

TEST_F(RealRegistry, ApplicationOnlyInThe64BitViewIsFoundOnTheSecondAttempt) {
    if (!RunsOn64BitWindows()) GTEST_SKIP() << "needs a 64-bit prefix";
    SetString(Software(L"App64"), L"Version", L"2.0", true);
    ASSERT_FALSE(m_registry.OpenKey(Software(L"App64"), RegistryView::View32)) << "the 32-bit view must not see it";

    struct Case {
        const char* name;
        int type;
        std::wstring path;
        const wchar_t* iniVersion;
        std::vector<std::wstring> expected;
    } const cases[] = {
        {"value form", ITEM_TYPE_RECOMMENDED_APP, Software(L"App64\\Version"), L"2.0",
         {L"Version status : Application VersionPath found in 64 OS registry", L"Version Status : Same"}},
        {"without disc version", ITEM_TYPE_OPTIONAL_APP, Software(L"App64"), L"",
         {L"Version status : Application VersionPath found in 64 OS registry(without version in ini file)"}},
        {"hotfix", ITEM_TYPE_HOTFIX, Software(L"App64"), L"",
         {L"Version status : Hotfix VersionPath found in 64bit OS registry"}},
    };
    for (const Case& c : cases) {
        CItem item;
        ApplicationFinding finding;
        item.m_nType = c.type;
        RecordingSink sink;
        DiagnosticSwitches switches;
        switches.m_bShowErrorMessage = switches.m_bShowItemVersionStatus = true;
        DetectInstalledApplication(switches, sink, true, item, c.path, c.iniVersion, m_registry, finding);
        EXPECT_TRUE(item.m_bInstalled) << c.name;
        EXPECT_FALSE(item.m_bVersionResult) << c.name;
        EXPECT_EQ(sink.messages, c.expected) << c.name;
    }
}

// Counts the opens of the adapter, to show there is no second attempt on 32-bit Windows.
class CountingRegistry : public Registry {
public:
    explicit CountingRegistry(Registry& inner) : m_inner(inner) {}
    std::unique_ptr<RegistryKey> OpenKey(const std::wstring& path, RegistryView view) override {
        views.push_back(view);
        return m_inner.OpenKey(path, view);
    }
    std::vector<RegistryView> views;

private:
    Registry& m_inner;
};

TEST_F(RealRegistry, ThirtyTwoBitWindowsHasNoSecondAttempt) {
    const bool is64 = RunsOn64BitWindows();
    CountingRegistry counting(m_registry);
    CItem item;
    ApplicationFinding finding;
    item.m_nType = ITEM_TYPE_OPTIONAL_APP;
    RecordingSink sink;
    DiagnosticSwitches switches;
    switches.m_bShowErrorMessage = true;
    DetectInstalledApplication(switches, sink, is64, item, Software(L"Missing\\Version"), L"1.0", counting, finding);
    EXPECT_FALSE(item.m_bInstalled);
    EXPECT_TRUE(item.m_bVersionResult);
    if (is64) {
        EXPECT_EQ(counting.views, (std::vector<RegistryView>{RegistryView::View32, RegistryView::View64}));
        EXPECT_EQ(sink.messages, std::vector<std::wstring>{L"Error : Failed to open VersionPath in 32 and 64 bit registry"});
    } else {
        EXPECT_EQ(counting.views, std::vector<RegistryView>{RegistryView::View32});
        EXPECT_EQ(sink.messages, std::vector<std::wstring>{L"Error : Failed to open VersionPath in 32 bit registry"});
    }
}

// The in-memory registry of the core tests must open exactly the path spellings that the real one
// opens, or the core tests judge paths that the program never finds.
TEST_F(RealRegistry, MemoryRegistryOpensThePathSpellingsTheRegistryOpens) {
    AddKey(Software(L"Maker\\Tool"));
    MemoryRegistry memory;
    memory.AddKey(Software(L"Maker\\Tool"));
    struct Case {
        const char* name;
        std::wstring path;
    } const cases[] = {
        {"plain", Software(L"Maker\\Tool")},
        {"trailing separator", Software(L"Maker\\Tool\\")},
        {"doubled separator", m_software + L"\\\\Maker\\Tool"},
        {"leading separator", L"\\" + Software(L"Maker\\Tool")},
        {"other letter case", Software(L"MAKER\\tool")},
        {"missing", Software(L"Maker\\Other")},
    };
    for (const Case& c : cases) {
        const bool real = m_registry.OpenKey(c.path, RegistryView::View32) != nullptr;
        EXPECT_EQ(memory.OpenKey(c.path, RegistryView::View32) != nullptr, real) << c.name;
    }
}

TEST_F(RealRegistry, KeyAndValueFormsAndTheValueBuffer) {
    SetString(Software(L"Player"), L"Version", L"2.0");
    SetString(Software(L"Fits"), L"Version", L"1." + std::wstring(37, L'0'));     // 39 characters: 80 bytes
    SetString(Software(L"TooLong"), L"Version", L"1." + std::wstring(38, L'0'));  // 40 characters: 82 bytes
    for (const wchar_t* name : {L"1.0", L"2.0", L"Common"}) AddKey(Software(std::wstring(L"Suite\\") + name));
    for (const wchar_t* name : {L"2.0", L"3.0", L"Common"}) AddKey(Software(std::wstring(L"Newer\\") + name));
    struct Case {
        const char* name;
        std::wstring path;
        const wchar_t* iniVersion;
        bool installed;
        bool install;
    } const cases[] = {
        {"value same", Software(L"Player\\Version"), L"2.0", true, false},
        {"value older", Software(L"Player\\Version"), L"2.1", true, true},
        {"value missing", Software(L"Player\\Other"), L"1.0", true, true},
        {"value of 39 characters", Software(L"Fits\\Version"), L"1.0", true, false},
        {"value of 40 characters fails", Software(L"TooLong\\Version"), L"1.0", true, true},
        {"key form, an older version", Software(L"Suite\\"), L"2.0", true, true},
        {"key form, same then newer", Software(L"Newer\\"), L"2.0", true, false},
        {"key missing", Software(L"Nothing\\"), L"2.0", false, true},
    };
    for (const Case& c : cases) {
        CItem item;
        ApplicationFinding finding;
        item.m_nType = ITEM_TYPE_RECOMMENDED_APP;
        RecordingSink sink;
        DetectInstalledApplication(DiagnosticSwitches{}, sink, RunsOn64BitWindows(), item, c.path, c.iniVersion,
                                   m_registry, finding);
        EXPECT_EQ(item.m_bInstalled, c.installed) << c.name;
        EXPECT_EQ(item.m_bVersionResult, c.install) << c.name;
    }
}

TEST_F(RealRegistry, DriverWalk) {
    // Windows enumerates subkeys in name order: SUBSYS_A and instance 1&A come first.
    SetString(Device(L"VEN_1&DEV_2&SUBSYS_A\\1&A"), L"Driver", m_classGuid + L"\\0000");
    SetString(Device(L"VEN_1&DEV_2&SUBSYS_A\\2&B"), L"Driver", m_classGuid + L"\\0001");
    SetString(Device(L"VEN_1&DEV_2&SUBSYS_B\\1&C"), L"Driver", m_classGuid + L"\\0001");
    SetString(Device(L"VEN_1&DEV_3\\1&D"), L"Driver", m_classGuid + L"\\0002");
    SetString(Device(L"VEN_1&DEV_4\\1&E"), L"Driver", std::wstring(130, L'X'));          // 262 bytes
    SetString(Device(L"VEN_1&DEV_5\\1&F"), L"Driver", m_classGuid + L"\\0099");         // no class key
    SetString(Device(L"VEN_1&DEV_6\\1&G"), L"Driver", m_classGuid + L"\\" + std::wstring(90, L'9'));  // 258 bytes
    AddDriver(L"0000", L"2.0.0.0", L"6-21-2006", L"Maker");
    AddDriver(L"0001", L"9.0.0.0", L"1-1-2009", L"Maker");
    AddDriver(L"0002", L"5.0", L"1-1-2005", L"MICROSOFT");

    const std::wstring bus = m_bus;
    struct Case {
        const char* name;
        std::wstring hardwareId;
        const wchar_t* iniVersion;
        const wchar_t* iniDate;
        bool ignoreVersion;
        int expected;
        std::wstring message;
    } const cases[] = {
        {"first device and first instance", bus + L"\\VEN_1&DEV_2", L"2.0.0.0", L"6-21-2006", false, VERSION_STATUS_SAME,
         L"Version status : Same"},
        {"Microsoft provider", bus + L"\\\\VEN_1&DEV_3", L"4.0", L"", false, VERSION_STATUS_INI_NEWER,
         L"Version status : Ini newer (because of Driver ProviderName = Microsoft)"},
        {"ignore version", bus + L"\\VEN_1&DEV_2", L"1.0.0.0", L"", true, VERSION_STATUS_INI_NEWER,
         L"Version status : Ini newer (because of IsIgnoreVersionChecking = true)"},
        {"Driver value over the buffer", bus + L"\\VEN_1&DEV_4", L"1.0", L"", false, VERSION_STATUS_ERROR,
         L"Error : Failed to get Class GUID(Driver)"},
        {"missing class key named", bus + L"\\VEN_1&DEV_5", L"1.0", L"", false, VERSION_STATUS_ERROR,
         L"Error : Failed to open " + ClassKey(L"0099")},
        {"Driver value within the buffer", bus + L"\\VEN_1&DEV_6", L"1.0", L"", false, VERSION_STATUS_ERROR,
         L"Error : Failed to open " + ClassKey(std::wstring(90, L'9'))},
        {"no such device", bus + L"\\VEN_9", L"1.0", L"", false, VERSION_STATUS_ERROR, L"Not found HW_ID in registry"},
        {"no such enumerator", L"TAVNONE\\VEN_9", L"1.0", L"", false, VERSION_STATUS_ERROR,
         L"Error : Failed to open SYSTEM\\CurrentControlSet\\Enum\\TAVNONE"},
    };
    DiagnosticSwitches switches;
    switches.m_bShowErrorMessage = switches.m_bShowItemVersionStatus = true;
    DriverKeyCache drivers(m_registry);
    for (const Case& c : cases) {
        CItem item;
        DriverFinding finding;
        item.m_nType = ITEM_TYPE_DRIVER;
        item.m_bIgnoreVersionChecking = c.ignoreVersion;
        RecordingSink sink;
        EXPECT_EQ(DetectInstalledDriver(switches, sink, item, c.iniVersion, c.iniDate, c.hardwareId, drivers, finding), c.expected)
            << c.name;
        ASSERT_FALSE(sink.messages.empty()) << c.name;
        EXPECT_EQ(sink.messages.back(), c.message) << c.name;
        const InstalledDriverRecord direct = ReadInstalledDriver(m_registry, c.hardwareId);
        const InstalledDriverRecord& cached = *drivers.Lookup(c.hardwareId);
        EXPECT_EQ(direct.failure, cached.failure) << c.name;
        EXPECT_EQ(direct.version, cached.version) << c.name;
    }
}

}  // namespace
}  // namespace tavelin
