#include "evaluate/driver_detection.h"

#include <gtest/gtest.h>

#include "evaluate/memory_registry.h"
#include "evaluate/version_compare.h"
#include "fake_evaluation_inputs.h"

namespace tavelin {
namespace {

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kClass = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";
const std::wstring kClassGuid = L"{4d36e97d-e325-11ce-bfc1-08002be10318}\\";

void AddInstance(MemoryRegistry& registry, const std::wstring& device, const std::wstring& instance,
                 const std::wstring& driver) {
    registry.SetValue(kEnum + device + L"\\" + instance, L"Driver", driver);
}

void AddClass(MemoryRegistry& registry, const std::wstring& number, const std::wstring& version,
              const std::wstring& date, const std::wstring& provider) {
    const std::wstring path = kClass + kClassGuid + number;
    registry.SetValue(path, L"DriverVersion", version);
    registry.SetValue(path, L"DriverDate", date);
    registry.SetValue(path, L"ProviderName", provider);
}

// One machine with a device for every way the walk can go; keys enumerate in the order added.
MemoryRegistry MakeMachine() {
    MemoryRegistry r;
    AddInstance(r, L"PCI\\VEN_1000&DEV_0001&SUBSYS_A", L"4&1", kClassGuid + L"0001");
    AddInstance(r, L"PCI\\VEN_1000&DEV_0002&SUBSYS_A", L"4&2", kClassGuid + L"0002");
    AddInstance(r, L"PCI\\VEN_1000&DEV_0002&SUBSYS_A", L"4&3", kClassGuid + L"0003");  // later instance
    AddInstance(r, L"PCI\\VEN_1000&DEV_0002&SUBSYS_B", L"4&4", kClassGuid + L"0003");  // later device
    r.AddKey(kEnum + L"PCI\\VEN_1000&DEV_0003");                                       // no instance
    r.AddKey(kEnum + L"PCI\\VEN_1000&DEV_0004\\4&5");                                  // no Driver value
    AddInstance(r, L"PCI\\VEN_1000&DEV_0005", L"4&6", kClassGuid + L"0099");          // no class key
    AddInstance(r, L"PCI\\VEN_1000&DEV_0006", L"4&7", kClassGuid + L"0006");
    AddInstance(r, L"PCI\\VEN_1000&DEV_0007", L"4&8", kClassGuid + L"0007");
    AddInstance(r, L"PCI\\VEN_1000&DEV_0008", L"4&9", kClassGuid + L"0008");
    AddInstance(r, L"PCI\\VEN_1000&DEV_0009", L"4&A", kClassGuid + L"0009");
    AddInstance(r, L"PCI\\VEN_1000&DEV_000A", L"4&B", kClassGuid + L"000A");
    AddInstance(r, L"PCI\\VEN_1000&DEV_000B", L"4&C", kClassGuid + L"000B");
    AddInstance(r, L"PCI\\VEN_1000&DEV_000C", L"4&D", std::wstring(130, L'C'));  // one over 260 bytes
    AddInstance(r, L"PCI\\VEN_1000&DEV_000D", L"4&E", std::wstring(129, L'D'));  // fits exactly
    AddInstance(r, L"PCI\\ven_1000&dev_000e", L"4&F", kClassGuid + L"0001");  // lower case
    AddInstance(r, L"USB\\VID_174F&PID_A311", L"6&282a889d&0&0000", kClassGuid + L"0001");

    AddClass(r, L"0001", L" 2.0.0.0 ", L"6-21-2006", L"Maker");
    AddClass(r, L"0002", L"1.0", L"1-1-2004", L"Maker");
    AddClass(r, L"0003", L"9.9", L"1-1-2009", L"Maker");
    r.SetValue(kClass + kClassGuid + L"0006", L"DriverDate", L"1-1-2006");
    r.SetValue(kClass + kClassGuid + L"0006", L"ProviderName", L"Maker");
    r.SetValue(kClass + kClassGuid + L"0007", L"DriverVersion", L"1.0");
    r.SetValue(kClass + kClassGuid + L"0007", L"ProviderName", L"Maker");
    r.SetValue(kClass + kClassGuid + L"0008", L"DriverVersion", L"1.0");
    r.SetValue(kClass + kClassGuid + L"0008", L"DriverDate", L"1-1-2006");
    AddClass(r, L"0009", L"   ", L"1-1-2006", L"Maker");
    AddClass(r, L"000A", L"5.0", L"1-1-2005", L"mIcRoSoFt");
    AddClass(r, L"000B", L"2.0", L"", L"Maker");
    return r;
}

struct DriverCase {
    const char* name;
    const wchar_t* hardwareId;
    const wchar_t* iniVersion;
    const wchar_t* iniDate;
    bool ignoreVersionChecking;
    bool microsoftDriver;
    int expectedStatus;
    bool expectedInstalled;
    std::vector<std::wstring> expectedMessages;
};

const std::wstring kSame = L"Version status : Same";
const std::wstring kIniNewer = L"Version status : Ini newer";
const std::wstring kRegistryNewer = L"Version status : Registry newer";
const std::wstring kError = L"Version status : Error";
const std::wstring kIgnored = L"Version status : Ini newer (because of IsIgnoreVersionChecking = true)";
const std::wstring kMicrosoft = L"Version status : Ini newer (because of Driver ProviderName = Microsoft)";

std::vector<DriverCase> DriverCases() {
    return {
        {"same version and date", L"PCI\\VEN_1000&DEV_0001", L"2.0.0.0", L"6-21-2006", false, false,
         VERSION_STATUS_SAME, true, {kSame}},
        {"doubled backslash finds the same device", L"PCI\\\\VEN_1000&DEV_0001", L"2.0.0.1", L"", false, false,
         VERSION_STATUS_INI_NEWER, true, {kIniNewer}},
        {"installed newer by date", L"PCI\\VEN_1000&DEV_0001", L"2.0.0.0", L"6-20-2006", false, false,
         VERSION_STATUS_REGISTRY_NEWER, true, {kRegistryNewer}},
        {"enumerator missing names its key", L"ACPI\\PNP0A08", L"1.0", L"", false, false, VERSION_STATUS_ERROR,
         false, {L"Error : Failed to open SYSTEM\\CurrentControlSet\\Enum\\ACPI"}},
        {"no device key contains the pattern", L"PCI\\VEN_2000&DEV_0001", L"1.0", L"", false, false,
         VERSION_STATUS_ERROR, false, {L"Not found HW_ID in registry"}},
        {"first matching device and its first instance decide", L"PCI\\VEN_1000&DEV_0002", L"1.5", L"", false,
         false, VERSION_STATUS_INI_NEWER, true, {kIniNewer}},
        {"device without instance names the device key", L"PCI\\VEN_1000&DEV_0003", L"1.0", L"", false, false,
         VERSION_STATUS_ERROR, false,
         {L"Error : Failed to open SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1000&DEV_0003\\"}},
        {"instance without Driver value", L"PCI\\VEN_1000&DEV_0004", L"1.0", L"", false, false,
         VERSION_STATUS_ERROR, false, {L"Error : Failed to get Class GUID(Driver)"}},
        {"missing class key names it", L"PCI\\VEN_1000&DEV_0005", L"1.0", L"", false, false, VERSION_STATUS_ERROR,
         false, {L"Error : Failed to open " + kClass + kClassGuid + L"0099"}},
        {"no DriverVersion", L"PCI\\VEN_1000&DEV_0006", L"1.0", L"", false, false, VERSION_STATUS_ERROR, false,
         {L"Error : Failed to get DriverVersion"}},
        {"no DriverDate", L"PCI\\VEN_1000&DEV_0007", L"1.0", L"", false, false, VERSION_STATUS_ERROR, false,
         {L"Error : Failed to get DriverDate"}},
        {"no ProviderName", L"PCI\\VEN_1000&DEV_0008", L"1.0", L"", false, false, VERSION_STATUS_ERROR, false,
         {L"Error : Failed to get ProviderName"}},
        {"blank DriverVersion", L"PCI\\VEN_1000&DEV_0009", L"1.0", L"", false, false, VERSION_STATUS_ERROR, false,
         {L"Error : DriverVersion is null, maybe user uninstalled"}},
        {"Microsoft provider replaced even when newer", L"PCI\\VEN_1000&DEV_000A", L"4.0", L"", false, false,
         VERSION_STATUS_INI_NEWER, true, {kRegistryNewer, kMicrosoft}},
        {"Microsoft provider replaced even when same", L"PCI\\VEN_1000&DEV_000A", L"5.0", L"1-1-2005", false,
         false, VERSION_STATUS_INI_NEWER, true, {kSame, kMicrosoft}},
        {"item that is the Microsoft driver", L"PCI\\VEN_1000&DEV_000A", L"4.0", L"", false, true,
         VERSION_STATUS_REGISTRY_NEWER, true, {kRegistryNewer}},
        {"ignore version turns error into ini newer", L"PCI\\VEN_1000&DEV_0001", L"2.0", L"", true, false,
         VERSION_STATUS_INI_NEWER, true, {kError, kIgnored}},
        {"ignore version turns registry newer into ini newer", L"PCI\\VEN_1000&DEV_0001", L"1.0.0.0", L"", true,
         false, VERSION_STATUS_INI_NEWER, true, {kRegistryNewer, kIgnored}},
        {"ignore version keeps same", L"PCI\\VEN_1000&DEV_0001", L"2.0.0.0", L"6-21-2006", true, false,
         VERSION_STATUS_SAME, true, {kSame}},
        {"ignore version does not mend a failed lookup", L"PCI\\VEN_2000&DEV_0001", L"1.0", L"", true, false,
         VERSION_STATUS_ERROR, false, {L"Not found HW_ID in registry"}},
        {"both rules: ignore then Microsoft", L"PCI\\VEN_1000&DEV_000A", L"4.0", L"", true, false,
         VERSION_STATUS_INI_NEWER, true, {kRegistryNewer, kIgnored, kMicrosoft}},
        {"empty installed date compares versions only", L"PCI\\VEN_1000&DEV_000B", L"2.0", L"9-9-2009", false,
         false, VERSION_STATUS_SAME, true, {kSame}},
        {"Driver value over 260 bytes fails", L"PCI\\VEN_1000&DEV_000C", L"1.0", L"", false, false,
         VERSION_STATUS_ERROR, false, {L"Error : Failed to get Class GUID(Driver)"}},
        {"Driver value of 260 bytes is read", L"PCI\\VEN_1000&DEV_000D", L"1.0", L"", false, false,
         VERSION_STATUS_ERROR, false, {L"Error : Failed to open " + kClass + std::wstring(129, L'D')}},
        {"device names match upper-cased", L"PCI\\VEN_1000&DEV_000E", L"2.0.0.0", L"6-21-2006", false, false,
         VERSION_STATUS_SAME, true, {kSame}},
        {"USB device", L"USB\\VID_174F&PID_A311", L"2.0.0.0", L"6-21-2006", false, false, VERSION_STATUS_SAME, true, {kSame}},
    };
}

CItem DriverItemOf(const DriverCase& c) {
    CItem item;
    item.m_nType = ITEM_TYPE_DRIVER;
    item.m_bIgnoreVersionChecking = c.ignoreVersionChecking;
    item.m_bMicrosoftDriver = c.microsoftDriver;
    return item;
}

TEST(DetectInstalledDriver, Table) {
    MemoryRegistry registry = MakeMachine();
    DriverKeyCache drivers(registry);
    for (const DriverCase& c : DriverCases()) {
        CItem item = DriverItemOf(c);
        DriverFinding finding;
        RecordingSink sink;
        const int status =
            DetectInstalledDriver(AllDiagnostics(), sink, item, c.iniVersion, c.iniDate, c.hardwareId, drivers, finding);
        EXPECT_EQ(status, c.expectedStatus) << c.name;
        EXPECT_EQ(item.m_bInstalled, c.expectedInstalled) << c.name;
        EXPECT_EQ(sink.messages, c.expectedMessages) << c.name;
        // The record says the same as the result, and compares only what was read.
        EXPECT_EQ(finding.outcome, status) << c.name;
        EXPECT_EQ(finding.hardwareId, c.hardwareId) << c.name;
        EXPECT_EQ(finding.compared, item.m_bInstalled) << c.name;
    }
}

// Each switch shows its own kind of message and nothing of the other: the version statuses under
// ShowItemVersionStatus, the lookup failures under ShowErrorMessage.
TEST(DetectInstalledDriver, EachSwitchShowsOnlyItsOwnMessages) {
    MemoryRegistry registry = MakeMachine();
    DriverKeyCache drivers(registry);
    const auto isStatus = [](const std::wstring& text) { return text.rfind(L"Version status :", 0) == 0; };
    for (const bool statusSwitch : {true, false}) {
        DiagnosticSwitches switches;
        switches.m_bShowItemVersionStatus = statusSwitch;
        switches.m_bShowErrorMessage = !statusSwitch;
        const char* which = statusSwitch ? "ShowItemVersionStatus alone" : "ShowErrorMessage alone";
        for (const DriverCase& c : DriverCases()) {
            CItem item = DriverItemOf(c);
            DriverFinding finding;
            RecordingSink sink;
            DetectInstalledDriver(switches, sink, item, c.iniVersion, c.iniDate, c.hardwareId, drivers, finding);
            std::vector<std::wstring> expected;
            for (const std::wstring& text : c.expectedMessages) {
                if (isStatus(text) == statusSwitch) expected.push_back(text);
            }
            EXPECT_EQ(sink.messages, expected) << which << ": " << c.name;
        }
    }
}

TEST(DetectInstalledDriver, SilentWithoutSwitchesAndKeepsInstalledOnFailure) {
    MemoryRegistry registry = MakeMachine();
    DriverKeyCache drivers(registry);
    RecordingSink sink;
    int failures = 0;
    for (const DriverCase& c : DriverCases()) {
        // An earlier hardware id of the same item already found the driver installed.
        CItem item = DriverItemOf(c);
        DriverFinding finding;
        item.m_bInstalled = true;
        DetectInstalledDriver(DiagnosticSwitches{}, sink, item, c.iniVersion, c.iniDate, c.hardwareId, drivers, finding);
        if (!c.expectedInstalled) {
            ++failures;
            EXPECT_TRUE(item.m_bInstalled) << c.name << ": a failed lookup cleared the flag";
        }
    }
    EXPECT_GT(failures, 5);
    EXPECT_TRUE(sink.messages.empty());
}

// The cache must answer exactly as the walk from scratch does, announced or not, in any order.
TEST(DriverKeyCache, AnswersAsTheUncachedWalk) {
    MemoryRegistry registry = MakeMachine();
    std::vector<std::wstring> ids;
    for (const DriverCase& c : DriverCases()) ids.push_back(c.hardwareId);
    ids.push_back(L"PCI\\V");                 // empty pattern: the first device key
    ids.push_back(L"PCI");                    // no backslash: enumerator empty, pattern from the third character
    ids.push_back(L"\\\\PCI");                // empty enumerator: the Enum key itself
    ids.push_back(L"PCI\\VEN_1000&DEV_0002&SUBSYS_B");
    // Not announced; every other id announced; announced in two rounds, the second after a
    // lookup and in reverse order, so that lookups come both in and out of the announced order.
    enum class Announce { None, EveryOther, TwoRounds };
    for (Announce announce : {Announce::None, Announce::EveryOther, Announce::TwoRounds}) {
        DriverKeyCache drivers(registry);
        if (announce == Announce::EveryOther) {
            for (std::size_t i = 0; i < ids.size(); i += 2) drivers.Expect(ids[i]);
        }
        if (announce == Announce::TwoRounds) {
            for (std::size_t i = 0; i < ids.size() / 2; ++i) drivers.Expect(ids[i]);
            drivers.Lookup(ids.front());
            for (std::size_t i = ids.size(); i-- > ids.size() / 2;) drivers.Expect(ids[i]);
        }
        for (const std::wstring& id : ids) {
            const InstalledDriverRecord& cached = *drivers.Lookup(id);
            const InstalledDriverRecord direct = ReadInstalledDriver(registry, id);
            const std::string label =
                "announce mode " + std::to_string(static_cast<int>(announce)) + ", id " + std::to_string(&id - ids.data());
            EXPECT_EQ(cached.failure, direct.failure) << label;
            EXPECT_EQ(cached.failedPath, direct.failedPath) << label;
            EXPECT_EQ(cached.version, direct.version) << label;
            EXPECT_EQ(cached.date, direct.date) << label;
            EXPECT_EQ(cached.provider, direct.provider) << label;
        }
    }
}

TEST(DriverKeyCache, EnumeratesEachEnumeratorOnce) {
    MemoryRegistry registry = MakeMachine();
    DriverKeyCache drivers(registry);
    for (int round = 0; round < 3; ++round) drivers.Lookup(L"PCI\\VEN_1000&DEV_0001");
    drivers.Lookup(L"PCI\\VEN_1000&DEV_000E");  // same class key through another device
    const std::size_t opensAfterPci = registry.OpenCount();
    const std::size_t enumsAfterPci = registry.EnumCount();
    drivers.Lookup(L"PCI\\VEN_1000&DEV_0001");
    drivers.Lookup(L"PCI\\VEN_1000&DEV_000E");
    drivers.Lookup(L"PCI\\VEN_2000&DEV_0001");
    EXPECT_EQ(registry.OpenCount(), opensAfterPci);
    EXPECT_EQ(registry.EnumCount(), enumsAfterPci);
    // enumerator, two devices, two instances, one class key
    EXPECT_EQ(opensAfterPci, 6u);
}

// Two devices with one class key share its record, which outlives the cache (the decision
// records keep it).
TEST(DriverKeyCache, DevicesOfOneClassKeyShareARecordThatOutlivesTheCache) {
    MemoryRegistry registry = MakeMachine();
    std::shared_ptr<const InstalledDriverRecord> kept;
    {
        DriverKeyCache drivers(registry);
        kept = drivers.Lookup(L"PCI\\VEN_1000&DEV_0001");
        EXPECT_EQ(kept, drivers.Lookup(L"PCI\\VEN_1000&DEV_000E"));
        EXPECT_NE(kept, drivers.Lookup(L"PCI\\VEN_2000&DEV_0001"));
    }
    EXPECT_EQ(kept->version, ReadInstalledDriver(registry, L"PCI\\VEN_1000&DEV_0001").version);
    EXPECT_FALSE(kept->version.empty());
}

TEST(SplitHardwareId, Table) {
    struct Case {
        const wchar_t* id;
        const wchar_t* enumerator;
        const wchar_t* pattern;
    } const cases[] = {
        {L"PCI\\VEN_8086&DEV_27D8", L"PCI", L"EN_8086&DEV_27D8"},
        {L"PCI\\\\VEN_8086&DEV_27D8", L"PCI", L"VEN_8086&DEV_27D8"},
        {L"ACPI", L"", L"PI"},
        {L"PCI\\", L"PCI", L""},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        const HardwareIdParts parts = SplitHardwareId(c.id);
        EXPECT_EQ(parts.enumerator, c.enumerator) << testing::PrintToString(std::wstring(c.id));
        EXPECT_EQ(parts.pattern, c.pattern) << testing::PrintToString(std::wstring(c.id));
    }
}

}  // namespace
}  // namespace tavelin
