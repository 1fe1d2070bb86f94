// QVCDENUM.DLL and QVCDUSB.DLL on the (Wine) machine, against devices the test puts into the
// registry's Enum tree, and the adapter asking them in turn.
#include <gtest/gtest.h>

#include <string>

#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::LoadedLibrary;
using testing::Narrow;
using testing::ScopedDevice;
using testing::StandinDirectory;

bool AskEnum(const LoadedLibrary& library, const std::wstring& id) {
    return library.Call(vendor::kRequestDevicePresent, const_cast<wchar_t*>(id.c_str()),
                        static_cast<DWORD>(id.size()), nullptr, 0) != FALSE;
}

bool AskUsb(const LoadedLibrary& library, const std::wstring& id) {
    char buffer[vendor::kUsbIdBufferSize] = {};
    WideCharToMultiByte(CP_ACP, 0, id.c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
    return library.Call(vendor::kRequestDevicePresent, buffer, sizeof(buffer), nullptr, 0) != FALSE;
}

class StandinDevices : public ::testing::Test {
protected:
    // A graphics chip and a USB camera, each with hardware and compatible ids.
    ScopedDevice m_pciDevice{L"PCI", L"VEN_5A5A&DEV_0C01&SUBSYS_00011AB2&REV_02",
                             {L"PCI\\VEN_5A5A&DEV_0C01&SUBSYS_00011AB2&REV_02", L"PCI\\VEN_5A5A&DEV_0C01"},
                             {L"PCI\\VEN_5A5A&CC_030000", L"PCI\\CC_0300"}};
    ScopedDevice m_usbDevice{L"USB", L"VID_5A5A&PID_C0DE",
                             {L"USB\\VID_5A5A&PID_C0DE&REV_0100", L"USB\\VID_5A5A&PID_C0DE"},
                             {L"USB\\Class_0e&SubClass_01", L"USB\\Class_0e"}};
};

struct PresenceCase {
    const wchar_t* id;
    bool byEnum;
    bool byUsb;
};

const PresenceCase kPresenceCases[] = {
    {L"PCI\\VEN_5A5A&DEV_0C01", true, false},  // not a USB id: QVCDUSB does not answer it
    {L"pci\\ven_5a5a&dev_0c01&subsys_00011ab2&rev_02", true, false},
    {L"PCI\\CC_0300", true, false},  // compatible id
    {L"PCI\\Ven_5a5a&Cc_030000", true, false},
    {L"USB\\VID_5A5A&PID_C0DE", true, true},
    {L"usb\\vid_5a5a&pid_c0de&rev_0100", true, true},
    {L"USB\\CLASS_0E", true, true},  // compatible id, other case
    {L"PCI\\VEN_5A5A", false, false},  // a prefix of an id is not a match
    {L"PCI\\VEN_5A5A&DEV_0C01&SUBSYS", false, false},
    {L"USB\\VID_5A5A&PID_0000", false, false},
    {L"", false, false},
    // Characters without sort weight still make another id.
    {L"PCI\\CC_0300\u00AD", false, false},
    {L"PCI\\CC_03\uFEFF00", false, false},
    {L"USB\\CLASS_0E\u00AD", false, false},
};

TEST_F(StandinDevices, AnswerByHardwareAndCompatibleIdsInAnyCase) {
    TAVELIN_REQUIRE_STANDINS();
    const LoadedLibrary enumeration(StandinDirectory() + L"\\" + vendor::kEnumLibraryName);
    const LoadedLibrary usb(StandinDirectory() + L"\\" + vendor::kUsbLibraryName);
    ASSERT_NE(enumeration.entryPoint, nullptr);
    ASSERT_NE(usb.entryPoint, nullptr);
    for (const auto& c : kPresenceCases) {
        EXPECT_EQ(AskEnum(enumeration, c.id), c.byEnum) << "QVCDENUM " << Narrow(c.id);
        EXPECT_EQ(AskUsb(usb, c.id), c.byUsb) << "QVCDUSB " << Narrow(c.id);
    }
}

TEST_F(StandinDevices, EnumLibraryReadsOnlyTheGivenNumberOfCharacters) {
    TAVELIN_REQUIRE_STANDINS();
    const LoadedLibrary enumeration(StandinDirectory() + L"\\" + vendor::kEnumLibraryName);
    const std::wstring longer = L"PCI\\CC_0300XYZ";
    EXPECT_TRUE(enumeration.Call(vendor::kRequestDevicePresent, const_cast<wchar_t*>(longer.c_str()), 11, nullptr, 0));
    EXPECT_FALSE(enumeration.Call(vendor::kRequestDevicePresent, const_cast<wchar_t*>(longer.c_str()), 14, nullptr, 0));
}

// The libraries answer from a snapshot of the devices; a device that appears later (a bus driver's
// children after an installation) is seen once the queries have paused, as before a re-scan.
TEST_F(StandinDevices, ADeviceThatAppearsIsSeenAfterAPause) {
    TAVELIN_REQUIRE_STANDINS();
    const LoadedLibrary enumeration(StandinDirectory() + L"\\" + vendor::kEnumLibraryName);
    const LoadedLibrary usb(StandinDirectory() + L"\\" + vendor::kUsbLibraryName);
    const std::wstring pciId = L"PCI\\VEN_5A5A&DEV_0C02";
    const std::wstring usbId = L"USB\\VID_5A5A&PID_C0DF";
    ASSERT_FALSE(AskEnum(enumeration, pciId));
    ASSERT_FALSE(AskUsb(usb, usbId));
    const ScopedDevice pci{L"PCI", L"VEN_5A5A&DEV_0C02", {pciId}, {}};
    const ScopedDevice camera{L"USB", L"VID_5A5A&PID_C0DF", {usbId}, {}};
    Sleep(2500);
    EXPECT_TRUE(AskEnum(enumeration, pciId));
    EXPECT_TRUE(AskUsb(usb, usbId));
}

TEST_F(StandinDevices, AdapterAsksBothLibraries) {
    TAVELIN_REQUIRE_STANDINS();
    VendorLibraries libraries;
    ASSERT_TRUE(libraries.Load(testing::StandinDiscRoot(), StandinDirectory() + L"\\NoSystemFolder"));
    for (const auto& c : kPresenceCases) {
        EXPECT_EQ(libraries.IsDevicePresent(c.id), c.byEnum || c.byUsb) << Narrow(c.id);
    }
    libraries.Unload();
    EXPECT_FALSE(libraries.IsDevicePresent(L"PCI\\CC_0300")) << "no libraries, no devices";
}

}  // namespace
}  // namespace tavelin
