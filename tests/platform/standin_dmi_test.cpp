// QVCDDMI.DLL on the (Wine) machine: the record sizes the program asks for, the model from the
// firmware's SMBIOS table, and the registry fallback. With a fake SMBIOS (tests/probe/with-fake-
// smbios.sh) TAVELIN_EXPECTED_SMBIOS_MODEL names the product name the table carries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::LoadedLibrary;
using testing::ScopedBiosProductName;
using testing::StandinDirectory;

std::wstring DmiPath() { return StandinDirectory() + L"\\" + vendor::kDmiLibraryName; }

struct ModelAnswer {
    bool ok = false;
    std::string model;
    std::uint8_t source = 0xFF;
};

ModelAnswer AskModel(const LoadedLibrary& dmi) {
    ModelAnswer answer;
    std::uint8_t source[vendor::kModelSourceRecordSize] = {};
    vendor::SystemInformationRecord record{};
    answer.ok = dmi.Call(vendor::kRequestModelSource, nullptr, 0, source, sizeof(source)) &&
                dmi.Call(vendor::kRequestSystemInformation, nullptr, 0, &record, sizeof(record));
    if (!answer.ok) return answer;
    if (record.productName != nullptr) answer.model = record.productName;
    answer.source = source[0];
    return answer;
}

// Whether the firmware table of this machine names a model: the library then never looks at the
// registry. True on most real computers; false in containers and with a fake table that has none.
bool FirmwareNamesAModel() {
    const ScopedBiosProductName none(L"");
    const LoadedLibrary dmi(DmiPath());
    return AskModel(dmi).source == vendor::kModelSourceSmbios;
}

TEST(StandinDmi, EachRequestNeedsRoomForItsRecord) {
    TAVELIN_REQUIRE_STANDINS();
    const LoadedLibrary dmi(DmiPath());
    ASSERT_NE(dmi.entryPoint, nullptr) << "QVCDDMI.DLL exports QuorvelIoControl";
    struct Case {
        const char* name;
        DWORD request;
        DWORD size;
        bool expected;
    };
    const Case cases[] = {
        {"identify, 35 bytes", vendor::kRequestIdentify, 35, true},
        {"identify, 34 bytes", vendor::kRequestIdentify, 34, false},
        {"model source, 39 bytes", vendor::kRequestModelSource, 39, true},
        {"model source, 38 bytes", vendor::kRequestModelSource, 38, false},
        // 24 bytes from a 32-bit library, 40 from a 64-bit one: the pointers are whole.
        {"system information, its size", vendor::kRequestSystemInformation, vendor::kSystemInformationRecordSize, true},
        {"system information, a byte less", vendor::kRequestSystemInformation,
         vendor::kSystemInformationRecordSize - 1, false},
        {"system information, larger buffer", vendor::kRequestSystemInformation, 64, true},
        {"unknown request", 5, 64, false},
        {"device query is not the DMI library's", vendor::kRequestDevicePresent, 64, false},
    };
    for (const auto& c : cases) {
        std::uint8_t buffer[64] = {};
        DWORD bytesReturned = 0;
        const bool ok = dmi.entryPoint(c.request, nullptr, 0, buffer, c.size, &bytesReturned, nullptr) != FALSE;
        EXPECT_EQ(ok, c.expected) << c.name;
        if (ok) {
            EXPECT_GE(bytesReturned, 24u) << c.name;
            EXPECT_LE(bytesReturned, c.size) << c.name;
        }
    }
    std::uint8_t identify[vendor::kIdentifyRecordSize] = {};
    ASSERT_TRUE(dmi.Call(vendor::kRequestIdentify, nullptr, 0, identify, sizeof(identify)));
    EXPECT_EQ(std::memcmp(identify, vendor::kIdentifySignature, 4), 0);
    vendor::SystemInformationRecord information{};
    ASSERT_TRUE(dmi.Call(vendor::kRequestSystemInformation, nullptr, 0, &information, sizeof(information)));
    EXPECT_EQ(information.recordSize, vendor::kSystemInformationRecordSize) << "the record names its own size";
}

TEST(StandinDmi, ModelFromTheRegistryWhenTheFirmwareTableHasNone) {
    TAVELIN_REQUIRE_STANDINS();
    if (FirmwareNamesAModel()) GTEST_SKIP() << "the firmware names a model here";
    struct Case {
        const wchar_t* registryValue;
        const char* expected;
        std::uint8_t source;
    };
    const Case cases[] = {
        {L"QV-7100 Registry", "QV-7100 Registry", vendor::kModelSourceRegistry},
        {L"", "", vendor::kModelSourceNone},
    };
    for (const auto& c : cases) {
        const ScopedBiosProductName name(c.registryValue);
        const LoadedLibrary dmi(DmiPath());  // loaded afresh: the library reads once per load
        const ModelAnswer answer = AskModel(dmi);
        ASSERT_TRUE(answer.ok) << c.expected;
        EXPECT_EQ(answer.model, c.expected);
        EXPECT_EQ(answer.source, c.source) << c.expected;
    }
}

TEST(StandinDmi, ModelFromTheFirmwareTableBeforeTheRegistry) {
    TAVELIN_REQUIRE_STANDINS();
    const char* expected = std::getenv("TAVELIN_EXPECTED_SMBIOS_MODEL");
    if (expected == nullptr) GTEST_SKIP() << "needs a fake SMBIOS (tests/probe/with-fake-smbios.sh)";
    const ScopedBiosProductName name(L"Not The Firmware Model");
    const LoadedLibrary dmi(DmiPath());
    const ModelAnswer answer = AskModel(dmi);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.model, expected);
    EXPECT_EQ(answer.source, vendor::kModelSourceSmbios);
}

TEST(StandinDmi, AdapterReadsAndCleansTheModel) {
    TAVELIN_REQUIRE_STANDINS();
    if (FirmwareNamesAModel()) GTEST_SKIP() << "the firmware names a model here";
    struct Case {
        const wchar_t* registryValue;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"QV-7100", L"QV-7100"},
        {L"  <QV-7100> 'Pro'\t", L"QV-7100 Pro"},
        {L"A123456789B123456789C123456789D123456789E123456789F123456789G", L"A123456789B123456789C123456789D123456789E123456789F12345678"},
    };
    for (const auto& c : cases) {
        const ScopedBiosProductName name(c.registryValue);
        VendorLibraries libraries;
        ASSERT_TRUE(libraries.Load(testing::StandinDiscRoot(), StandinDirectory() + L"\\NoSystemFolder"));
        std::wstring warning;
        const auto model = libraries.ReadModel([&warning](const std::wstring& text) { warning = text; });
        ASSERT_TRUE(model.has_value()) << testing::Narrow(c.registryValue);
        EXPECT_EQ(*model, c.expected);
        EXPECT_TRUE(warning.empty());
    }
}

}  // namespace
}  // namespace tavelin
