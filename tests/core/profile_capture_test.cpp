// A captured profile gives the simulation what the machine gave the program: the capture runs the
// program's evaluation over a machine, keeps what it read (registry keys in both views, in the
// order the registry lists them, and the device libraries' answers), and a simulation on the
// written profile must decide every item as a simulation on the machine itself does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "authoring/catalogue_reads.h"
#include "authoring/machine_profile.h"
#include "authoring/simulation.h"
#include "narrow_text.h"
#include "temp_ini_file.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

// A folder of its own for one case's disc or profile, removed afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : m_path(fs::temp_directory_path() / ("tavelin_capture_" + name + "_" +
                                              std::to_string(reinterpret_cast<std::uintptr_t>(this)))) {
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }
    void Write(const fs::path& relative, const std::string& bytes) const {
        fs::create_directories((m_path / relative).parent_path());
        std::ofstream(m_path / relative, std::ios::binary) << bytes;
    }

private:
    fs::path m_path;
};

// The machine of `original` captured as the Windows capture does it, written into `folder`: only
// what the evaluation read is kept, and no device list, so presence comes from the answers alone.
fs::path CaptureProfile(const fs::path& disc, MachineProfile& original, const TempFolder& folder) {
    ProfileDevices devices(original);
    const ConfigFile catalogue(disc / "Lib" / "TAVELIN.INI");
    CatalogueReads reads = CaptureCatalogueReads(catalogue, original.facts, original.model, original.registry, devices);
    MachineProfile captured;
    captured.model = original.model;
    captured.facts = original.facts;
    captured.deviceAnswers = reads.deviceAnswers;
    folder.Write("machine.reg", reads.registryExport);
    folder.Write("machine.ini", MachineProfileText(captured, L"machine.reg"));
    return folder.Path() / "machine.ini";
}

std::string ListText(const SimulationResult& result) {
    const std::string text = SimulationText(result);
    return text.substr(text.find("Recommended view:"));
}

void ExpectSameSimulation(const SimulationResult& expected, const SimulationResult& actual) {
    ASSERT_EQ(actual.error, L"");
    EXPECT_EQ(Narrow(actual.refusal), Narrow(expected.refusal));
    ASSERT_EQ(actual.rows.size(), expected.rows.size());
    for (std::size_t i = 0; i < expected.rows.size(); ++i) {
        EXPECT_EQ(Narrow(actual.rows[i].status), Narrow(expected.rows[i].status)) << "Item_" << expected.rows[i].itemNo;
        EXPECT_EQ(Narrow(actual.rows[i].reason), Narrow(expected.rows[i].reason)) << "Item_" << expected.rows[i].itemNo;
    }
    EXPECT_EQ(ListText(actual), ListText(expected));
}

TEST(ProfileCapture, TheWholeDiscDecidesTheSameOnTheCapturedMachine) {
    const fs::path disc = fs::path(TAVELIN_TEST_DATA) / "discs" / "whole";
    const fs::path originalFile = fs::path(TAVELIN_TEST_DATA) / "profiles" / "whole" / "machine.ini";
    MachineProfile original;
    ASSERT_TRUE(LoadMachineProfile(originalFile, original).ok);
    TempFolder folder("whole");
    const fs::path captured = CaptureProfile(disc, original, folder);

    const SimulationResult expected = SimulateDisc(disc, originalFile);
    ASSERT_EQ(expected.error, L"");
    // The disc has installed rows in both views of SOFTWARE and of drivers, so the case is not empty.
    ASSERT_FALSE(expected.advancedList.empty());
    ExpectSameSimulation(expected, SimulateDisc(disc, captured));
}

// Which device key a hardware id reaches is the first, in the registry's order, whose name holds
// the id's pattern. The capture opens the keys in the order the ids are asked, which is not that
// order; the export must keep the registry's.
TEST(ProfileCapture, DeviceKeysKeepTheOrderTheRegistryListsThem) {
    TempFolder disc("order-disc");
    disc.Write("Lib/TAVELIN.INI",
               "[Items]\r\nItem_Quantity=2\r\n"
               "[Item_1]\r\nType=DRIVER\r\nTitle_ENG=Reader A\r\nHW_ID_Quantity=1\r\n"
               "HW_ID_1=PCI\\VEN_1180&DEV_0832&SUBSYS_A\r\nVersion_1=2.0\r\nDate_1=1-1-2009\r\n"
               "[Item_2]\r\nType=DRIVER\r\nTitle_ENG=Reader\r\nHW_ID_Quantity=1\r\n"
               "HW_ID_1=PCI\\VEN_1180&DEV_0832\r\nVersion_1=2.0\r\nDate_1=1-1-2009\r\n");
    MachineProfile machine;
    machine.model = L"TV-1000";
    machine.facts.m_szLanguageCode = L"0409";
    machine.devices = {{L"PCI\\VEN_1180&DEV_0832&SUBSYS_A"}, {L"PCI\\VEN_1180&DEV_0832"}};
    const std::wstring enumPci = L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\";
    const std::wstring classRoot = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{c}\\";
    // The registry lists SUBSYS_B first: the general id reaches B's driver 1.0, the specific one A's 2.0.
    machine.registry.SetValue(enumPci + L"VEN_1180&DEV_0832&SUBSYS_B\\1", L"Driver", L"{c}\\0001");
    machine.registry.SetValue(enumPci + L"VEN_1180&DEV_0832&SUBSYS_A\\1", L"Driver", L"{c}\\0002");
    for (const auto& [instance, version] : {std::pair{L"0001", L"1.0"}, std::pair{L"0002", L"2.0"}}) {
        machine.registry.SetValue(classRoot + instance, L"DriverVersion", version);
        machine.registry.SetValue(classRoot + instance, L"DriverDate", L"1-1-2009");
        machine.registry.SetValue(classRoot + instance, L"ProviderName", L"Maker");
    }
    TempFolder folder("order");
    const fs::path captured = CaptureProfile(disc.Path(), machine, folder);

    const SimulationResult result = SimulateDisc(disc.Path(), captured);
    ASSERT_EQ(result.error, L"");
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(Narrow(result.rows[0].status), "installed") << Narrow(result.rows[0].reason);
    EXPECT_EQ(Narrow(result.rows[1].status), "offered") << Narrow(result.rows[1].reason);
}

// The Windows version and edition stand for the OS key; an edition the version lacks is an error
// that names the ones it has.
TEST(MachineProfile, WindowsVersionAndEditionGiveTheOsKey) {
    struct Case {
        const char* lines;
        const char* key;    // expected OS key
        const char* error;  // expected start of the error, or null
    };
    const Case cases[] = {
        {"Windows=6.0\nEdition=home_premium\n", "WNT_6.0_HOME_PREMIUM", nullptr},
        {"Windows=6.0\n", "WNT_6.0", nullptr},
        {"Windows=5.2\nEdition=XP64\n", "WNT_5.2_XP64", nullptr},
        {"Windows=5.2\nEdition=2003R2\n", "WNT_5.2_2003R2", nullptr},
        {"Windows=5.1\nEdition=MCE\n", "WNT_5.1_MCE", nullptr},
        {"Windows=6.1\nEdition=Ultimate\n", "", nullptr},  // Windows 7 has no key, as in the program
        {"OS_Key=WNT_5.1_XP\nWindows=6.0\nEdition=STARTER\n", "WNT_5.1_XP", nullptr},
        {"Windows=5.1\n", "", "Edition= is not an edition of Windows 5.1 (XP, TABLET, MCE, STARTER)"},
        {"Windows=6.0\nEdition=Vista\n", "", "Edition=Vista is not an edition of Windows 6.0"},
        {"Windows=Vista\n", "", "Windows=Vista is not a version"},
    };
    for (const Case& c : cases) {
        TempIniFile file(std::string("[Machine]\nModel=TV-1000\n") + c.lines);
        MachineProfile profile;
        const ProfileLoad load = LoadMachineProfile(file.Path(), profile);
        if (c.error == nullptr) {
            EXPECT_TRUE(load.ok) << c.lines << Narrow(load.error);
            EXPECT_EQ(Narrow(profile.facts.m_szOSKey), c.key) << c.lines;
        } else {
            EXPECT_FALSE(load.ok) << c.lines;
            EXPECT_EQ(Narrow(load.error).rfind(c.error, 0), 0u) << c.lines << " gave " << Narrow(load.error);
        }
    }
}

// The libraries' recorded answers decide over the device list; without one the list answers as
// the ENUM library does.
TEST(MachineProfile, RecordedDeviceAnswersWinOverTheDeviceList) {
    TempIniFile file(
        "[Machine]\nModel=TV-1000\n[Devices]\nDevice_1=PCI\\VEN_1&DEV_1, PCI\\CC_0600\nDevice_2=USB\\VID_1&PID_2\n"
        "[Device_Answers]\npci\\ven_1&dev_1=absent\nUSB\\VID_1&PID_2=QVCDUSB.DLL\nACPI\\PNP0A08=present\n");
    MachineProfile profile;
    ASSERT_TRUE(LoadMachineProfile(file.Path(), profile).ok);
    ProfileDevices devices(profile);
    struct Case {
        const wchar_t* id;
        bool present;
        const char* source;
    };
    const Case cases[] = {
        {L"PCI\\VEN_1&DEV_1", false, ""},             // the library said absent, though listed
        {L"USB\\VID_1&PID_2", true, "QVCDUSB.DLL"},   // as recorded
        {L"ACPI\\PNP0A08", true, ""},                 // present, the library unnamed
        {L"pci\\cc_0600", true, "QVCDENUM.DLL"},      // from the list, any case
        {L"PCI\\VEN_2&DEV_2", false, ""},
    };
    for (const Case& c : cases) {
        const DeviceAnswer answer = devices.FindDevice(c.id);
        EXPECT_EQ(answer.present, c.present) << Narrow(c.id);
        EXPECT_EQ(Narrow(answer.source), c.source) << Narrow(c.id);
    }
}

}  // namespace
}  // namespace tavelin
