// The adapter's load and unload on a disc folder of its own: the driver copy, the library records,
// the language library and a DMI library without its entry point.
#include "probe/vendor_libraries_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "standin_test_support.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::Narrow;
using testing::StandinDirectory;

std::string FileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// <temp>\tavelin-vendor-N\{Lib, System\DRIVERS}, with copies of the built libraries.
class TemporaryDisc {
public:
    TemporaryDisc() {
        static std::atomic<int> counter{0};
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_root = fs::path(temp) / (L"tavelin-vendor-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(counter++));
        fs::create_directories(Lib());
        fs::create_directories(System() / L"DRIVERS");
        std::ofstream(Lib() / vendor::kDriverFileName, std::ios::binary) << "driver from the disc";
    }
    ~TemporaryDisc() {
        SetCurrentDirectoryW(fs::temp_directory_path().c_str());  // a current folder cannot be removed
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    TemporaryDisc(const TemporaryDisc&) = delete;
    TemporaryDisc& operator=(const TemporaryDisc&) = delete;

    void CopyLibrary(const std::wstring& builtName, const std::wstring& discName,
                     const std::wstring& from = StandinDirectory()) const {
        CopyFileW((from + L"\\" + builtName).c_str(), (Lib() / discName).c_str(), FALSE);
    }
    void CopyQueryLibraries(const std::wstring& from = StandinDirectory()) const {
        for (const wchar_t* name : {vendor::kDmiLibraryName, vendor::kEnumLibraryName, vendor::kUsbLibraryName}) {
            CopyLibrary(name, name, from);
        }
    }
    void WriteScript(const std::string& script) const {
        std::ofstream(Lib() / L"DOUBLES.TXT", std::ios::binary) << script;
        std::error_code ignored;
        fs::remove(Lib() / L"QUERIES.LOG", ignored);
    }
    // The calls the doubles saw, one per line joined with " | ".
    std::string Queries() const {
        std::string joined;
        {
            std::ifstream in(Lib() / L"QUERIES.LOG", std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                joined += (joined.empty() ? "" : " | ") + line;
            }
        }  // closed before the delete: an open file cannot be deleted
        std::error_code ignored;
        fs::remove(Lib() / L"QUERIES.LOG", ignored);
        return joined;
    }

    std::wstring Root() const { return m_root.wstring(); }
    fs::path Lib() const { return m_root / L"Lib"; }
    fs::path System() const { return m_root / L"System"; }
    fs::path CopiedDriver() const { return System() / L"DRIVERS" / vendor::kDriverFileName; }

private:
    fs::path m_root;
};

std::wstring CurrentDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    std::wstring path = buffer;
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

TEST(VendorLibraries, LoadCopiesTheDriverAndUnloadDeletesIt) {
    TAVELIN_REQUIRE_STANDINS();
    TemporaryDisc disc;
    disc.CopyQueryLibraries();
    // A read-only driver on the disc (as on a CD) must still give a copy that can be deleted.
    SetFileAttributesW((disc.Lib() / vendor::kDriverFileName).c_str(), FILE_ATTRIBUTE_READONLY);

    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
    EXPECT_EQ(Narrow(CurrentDirectory()), Narrow(disc.Root())) << "the disc root is current again";
    ASSERT_TRUE(fs::exists(disc.CopiedDriver()));
    EXPECT_EQ(FileContent(disc.CopiedDriver()), "driver from the disc");
    const DWORD attributes = GetFileAttributesW(disc.CopiedDriver().c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_ARCHIVE, 0u);
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);

    struct Expected {
        VendorLibraries::Library library;
        const wchar_t* fileName;
    };
    for (const auto& e : {Expected{VendorLibraries::kDmi, vendor::kDmiLibraryName},
                          Expected{VendorLibraries::kEnum, vendor::kEnumLibraryName},
                          Expected{VendorLibraries::kUsb, vendor::kUsbLibraryName}}) {
        const VendorLibraryRecord& record = libraries.Record(e.library);
        EXPECT_TRUE(record.module.Valid()) << Narrow(e.fileName);
        EXPECT_NE(record.entryPoint, nullptr) << Narrow(e.fileName);
        EXPECT_EQ(Narrow(record.fileName), Narrow(e.fileName));
    }

    libraries.Unload();
    EXPECT_FALSE(fs::exists(disc.CopiedDriver())) << "unload deletes the copied driver";
    for (const auto library : {VendorLibraries::kDmi, VendorLibraries::kEnum, VendorLibraries::kUsb}) {
        EXPECT_FALSE(libraries.Record(library).module.Valid()) << library;
        EXPECT_TRUE(libraries.Record(library).fileName.empty()) << library;
    }
    libraries.Unload();  // the quit path and the destruction both unload
    VendorLibraries neverLoaded;
    neverLoaded.Unload();
}

// A file of the driver's name that this start did not copy (another program's, or one a copy of
// this program still running uses) is not this start's to delete.
TEST(VendorLibraries, DriverAlreadyThereIsKeptAndNotDeleted) {
    TAVELIN_REQUIRE_STANDINS();
    TemporaryDisc disc;
    disc.CopyQueryLibraries();
    std::ofstream(disc.CopiedDriver(), std::ios::binary) << "left by an earlier run";

    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
    EXPECT_EQ(FileContent(disc.CopiedDriver()), "left by an earlier run");
    libraries.Unload();
    EXPECT_EQ(FileContent(disc.CopiedDriver()), "left by an earlier run");
    fs::remove(disc.CopiedDriver());
}

TEST(VendorLibraries, LoadFailsUnlessAllThreeLoad) {
    TAVELIN_REQUIRE_STANDINS();
    for (const wchar_t* missing : {vendor::kDmiLibraryName, vendor::kEnumLibraryName, vendor::kUsbLibraryName}) {
        TemporaryDisc disc;
        disc.CopyQueryLibraries();
        fs::remove(disc.Lib() / missing);
        VendorLibraries libraries;
        EXPECT_FALSE(libraries.Load(disc.Root(), disc.System().wstring())) << "without " << Narrow(missing);
        EXPECT_EQ(Narrow(CurrentDirectory()), Narrow(disc.Root())) << "without " << Narrow(missing);
        libraries.Unload();
        EXPECT_FALSE(fs::exists(disc.CopiedDriver())) << "without " << Narrow(missing);
    }
}

TEST(VendorLibraries, LanguageLibraryIsNamedAfterTheLanguageCode) {
    TAVELIN_REQUIRE_STANDINS();
    TemporaryDisc disc;
    disc.CopyLibrary(L"0411.DLL", L"0411.DLL");
    disc.CopyLibrary(L"0407.DLL", L"0407.DLL");
    struct Case {
        const wchar_t* code;
        bool loads;
        UINT textId;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"0411", true, 106, L"\u958B\u59CB"},  // "Start" in Japanese
        {L"0407", true, 107, L"Alle ausw\u00E4hlen"},
        {L"0409", false, 0, L""},
    };
    for (const auto& c : cases) {
        VendorLibraries libraries;
        EXPECT_EQ(libraries.LoadLanguageLibrary(disc.Root(), c.code), c.loads) << Narrow(c.code);
        EXPECT_EQ(libraries.LanguageModule() != nullptr, c.loads) << Narrow(c.code);
        if (!c.loads) continue;
        wchar_t text[128] = {};
        LoadStringW(libraries.LanguageModule(), c.textId, text, 128);
        EXPECT_EQ(std::wstring(text), c.text) << Narrow(c.code);
        libraries.Unload();
        EXPECT_EQ(libraries.LanguageModule(), nullptr);
    }
}

TEST(VendorLibraries, LibrariesWithoutTheEntryPointAnswerNothing) {
    TAVELIN_REQUIRE_STANDINS();
    TemporaryDisc disc;
    // A resource-only DLL loads but exports nothing.
    for (const wchar_t* name : {vendor::kDmiLibraryName, vendor::kEnumLibraryName, vendor::kUsbLibraryName}) {
        disc.CopyLibrary(L"0411.DLL", name);
    }
    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
    std::wstring warning;
    int warnings = 0;
    const auto model = libraries.ReadModel([&](const std::wstring& text) {
        warning = text;
        ++warnings;
    });
    EXPECT_FALSE(model.has_value());
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(Narrow(warning), "GetDMIInfo: QVCDMI.DLL Function is invalid");
    EXPECT_FALSE(libraries.IsDevicePresent(L"PCI\\CC_0300"));
}

#define TAVELIN_REQUIRE_DOUBLES()                    \
    if (testing::DoublesDirectory().empty())         \
    GTEST_SKIP() << "set TAVELIN_DOUBLES_DIR to the folder with the built test doubles"

TEST(VendorLibrariesWithDoubles, ModelReadAsksTwoSixFourAndStopsAtTheFirstFailure) {
    TAVELIN_REQUIRE_DOUBLES();
    struct Case {
        const char* failing;
        bool read;
        const char* queries;
    };
    const Case cases[] = {
        {"", true, "DMI 2 | DMI 6 | DMI 4"},
        {"2", false, "DMI 2"},
        {"6", false, "DMI 2 | DMI 6"},
        {"4", false, "DMI 2 | DMI 6 | DMI 4"},
    };
    for (const auto& c : cases) {
        TemporaryDisc disc;
        disc.CopyQueryLibraries(testing::DoublesDirectory());
        disc.WriteScript(std::string("model=  <QV-9'1> \r\nfail=") + c.failing + "\r\n");
        VendorLibraries libraries;
        ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
        const auto model = libraries.ReadModel([](const std::wstring&) {});
        EXPECT_EQ(model.has_value(), c.read) << "failing request " << c.failing;
        if (model) {
            EXPECT_EQ(Narrow(*model), "QV-91");
        }
        EXPECT_EQ(disc.Queries(), c.queries) << "failing request " << c.failing;
    }
}

TEST(VendorLibrariesWithDoubles, DevicePresenceAsksEnumThenUsb) {
    TAVELIN_REQUIRE_DOUBLES();
    TemporaryDisc disc;
    disc.CopyQueryLibraries(testing::DoublesDirectory());
    disc.WriteScript("enum=PCI\\VEN_1&DEV_2\r\nusb=USB\\VID_3&PID_4\r\n");
    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
    struct Case {
        const wchar_t* id;
        bool present;
        const char* queries;
    };
    const Case cases[] = {
        {L"PCI\\VEN_1&DEV_2", true, "ENUM PCI\\VEN_1&DEV_2"},
        {L"USB\\VID_3&PID_4", true, "ENUM USB\\VID_3&PID_4 | USB USB\\VID_3&PID_4"},
        {L"ACPI\\QVC0001", false, "ENUM ACPI\\QVC0001 | USB ACPI\\QVC0001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(libraries.IsDevicePresent(c.id), c.present) << Narrow(c.id);
        EXPECT_EQ(disc.Queries(), c.queries) << Narrow(c.id);
    }
}

TEST(VendorLibrariesWithDoubles, TheEarlyDeviceListingRunsBesideTheCallerAndTheFirstQueryWaitsForIt) {
    TAVELIN_REQUIRE_DOUBLES();
    TemporaryDisc disc;
    disc.CopyQueryLibraries(testing::DoublesDirectory());
    disc.WriteScript("enum=PCI\\VEN_1&DEV_2\r\nenum_ms=600\r\n");
    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
    const DWORD before = GetTickCount();
    libraries.StartDeviceListing();
    EXPECT_LT(GetTickCount() - before, 300u) << "the listing must not hold up the start";
    // The library is never asked twice at once: the query starts after the early one answered.
    EXPECT_TRUE(libraries.IsDevicePresent(L"PCI\\VEN_1&DEV_2"));
    EXPECT_EQ(disc.Queries(),
              "ENUM TAVELIN\\NO-SUCH-DEVICE | ENUM TAVELIN\\NO-SUCH-DEVICE answered | ENUM PCI\\VEN_1&DEV_2 | "
              "ENUM PCI\\VEN_1&DEV_2 answered");

    // Unloading does not wait for a listing under way, which keeps its library until it answers.
    libraries.StartDeviceListing();
    const DWORD unloading = GetTickCount();
    libraries.Unload();
    EXPECT_LT(GetTickCount() - unloading, 300u) << "a window closed right after the start closes at once";
    Sleep(1500);
    EXPECT_EQ(disc.Queries(), "ENUM TAVELIN\\NO-SUCH-DEVICE | ENUM TAVELIN\\NO-SUCH-DEVICE answered");
}

TEST(VendorLibrariesWithDoubles, DmiLibraryWithoutEntryPointWarns) {
    TAVELIN_REQUIRE_DOUBLES();
    TemporaryDisc disc;
    disc.CopyQueryLibraries(testing::DoublesDirectory());
    disc.CopyLibrary(vendor::kDmiLibraryName, vendor::kDmiLibraryName, testing::DoublesDirectory() + L"\\noentry");
    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(disc.Root(), disc.System().wstring()));
    std::wstring warning;
    EXPECT_FALSE(libraries.ReadModel([&warning](const std::wstring& text) { warning = text; }).has_value());
    EXPECT_EQ(Narrow(warning), "GetDMIInfo: QVCDMI.DLL Function is invalid");
}

}  // namespace
}  // namespace tavelin
