// The disc's device library against the SetupAPI listing of the present devices it replaced: the
// library reads the Enum tree once and asks about presence only for the instances a queried id
// names. On the machines the program tests build, every id some instance records, and ids that
// no device has, must get the answer the listing gives.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "driver/narrow_text.h"
#include "driver/program_driver.h"
#include "driver/test_machines.h"
#include "driver/test_registry.h"
#include "platform/handles.h"
#include "probe/enum_device_ids_win.h"
#include "probe/entry_point_win.h"
#include "probe/present_devices_win.h"
#include "probe/vendor_protocol.h"

namespace tavelin::testing {
namespace {

using QueryFunction = BOOL(WINAPI*)(DWORD, void*, DWORD, void*, DWORD, DWORD*, void*);

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Every hardware and compatible id of the devices SetupAPI lists as present, upper-cased: what the
// libraries answered before.
std::set<std::wstring> IdsSetupApiLists() {
    std::set<std::wstring> ids;
    for (const std::vector<std::wstring>& device : ListPresentDevices()) {
        for (const std::wstring& id : device) ids.insert(Upper(id));
    }
    return ids;
}

class DeviceLibrary {
public:
    explicit DeviceLibrary(const std::wstring& name)
        : m_module(LoadLibraryW((PathFromEnvironment("TAVELIN_DISC_DIR") + L"\\Lib\\" + name).c_str())),
          m_query(FindEntryPoint<QueryFunction>(m_module.Get(), vendor::kEntryPointName)) {}
    bool Loaded() const { return m_query != nullptr; }
    bool AskWide(std::wstring id) const {
        DWORD returned = 0;
        return m_query(vendor::kRequestDevicePresent, id.data(), static_cast<DWORD>(id.size()), nullptr, 0, &returned,
                       nullptr) != FALSE;
    }
    bool AskAnsi(const std::wstring& id) const {
        char buffer[vendor::kUsbIdBufferSize] = {};
        WideCharToMultiByte(CP_ACP, 0, id.c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
        DWORD returned = 0;
        return m_query(vendor::kRequestDevicePresent, buffer, sizeof(buffer), nullptr, 0, &returned, nullptr) != FALSE;
    }

private:
    UniqueModule m_module;
    QueryFunction m_query;
};

const wchar_t kTestClass[] = L"{7d9c3f0a-5a1b-4c39-9a0e-2d5f7d1c0e11}";
// A camera with hardware and compatible ids.
const wchar_t kCameraIds[] = L"USB\\VID_5A5A&PID_C0DE&REV_0100\0USB\\VID_5A5A&PID_C0DE";
const wchar_t kCameraCompatibleIds[] = L"USB\\Class_0e&SubClass_01\0USB\\Class_0e";
// What a removed device leaves in the Enum tree without being a device SetupAPI lists: its ids,
// no class. One id it shares with the camera, which is present.
const wchar_t kLeftoverIds[] = L"TAVPCI\\VEN_5A5A&DEV_0DE1\0USB\\Class_0e";

TEST(DeviceWalk, AnswersAsTheSetupApiListingOnTheTestMachines) {
    AddInstalledDisplayAdapter();
    AddDemoDevices();
    AddListMachine();
    AddDevice(L"USB\\VID_5A5A&PID_C0DE", L"5&1A2B3C4D&0&1", kTestClass, kCameraIds);
    SetRegistryString(L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_5A5A&PID_C0DE\\5&1A2B3C4D&0&1", L"CompatibleIDs",
                      std::wstring(kCameraCompatibleIds, sizeof(kCameraCompatibleIds) / sizeof(wchar_t) - 1) + L'\0',
                      REG_MULTI_SZ);
    SetRegistryString(L"SYSTEM\\CurrentControlSet\\Enum\\TAVPCI\\VEN_5A5A&DEV_0DE1\\3&0&0&10", L"HardwareID",
                      std::wstring(kLeftoverIds, sizeof(kLeftoverIds) / sizeof(wchar_t) - 1) + L'\0', REG_MULTI_SZ);

    const std::set<std::wstring> listed = IdsSetupApiLists();
    // The ids asked: all the tree records (whatever the library reads), all SetupAPI lists (whatever
    // it might miss), and ids that nothing records.
    std::set<std::wstring> asked(listed.begin(), listed.end());
    for (const DeviceInstanceIds& instance : ReadEnumDeviceIds()) asked.insert(instance.ids.begin(), instance.ids.end());
    for (const wchar_t* absent : {L"TAVPCI\\VEN_8086", L"TAVPCI\\VEN_8086&DEV_27A0&SUBSYS", L"USB\\VID_5A5A&PID_0000",
                                  L"PCI\\CC_0300\u00AD"}) {
        asked.insert(absent);
    }

    const DeviceLibrary enumeration(vendor::kEnumLibraryName);
    const DeviceLibrary usb(vendor::kUsbLibraryName);
    ASSERT_TRUE(enumeration.Loaded());
    ASSERT_TRUE(usb.Loaded());
    int present = 0;
    for (const std::wstring& id : asked) {
        const bool expected = listed.count(Upper(id)) != 0;
        present += expected ? 1 : 0;
        EXPECT_EQ(enumeration.AskWide(id), expected) << "QVCDENUM " << Narrow(id);
        // Both cases of each id: the libraries ignore case, as the listing's answers were compared.
        EXPECT_EQ(enumeration.AskWide(Upper(id)), expected) << "QVCDENUM " << Narrow(Upper(id));
        if (Upper(id).rfind(L"USB\\", 0) == 0) {
            EXPECT_EQ(usb.AskAnsi(id), expected) << "QVCDUSB " << Narrow(id);
        }
    }
    // The machines' own devices are among the answers, present and absent.
    EXPECT_GT(present, 5);
    EXPECT_GE(asked.size() - present, 5u);  // the four made-up ids and the leftover's own
    EXPECT_TRUE(enumeration.AskWide(L"tavpci\\ven_8086&dev_27a2"));  // the display adapter
    EXPECT_TRUE(enumeration.AskWide(L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0862"));  // the demo's sound chip
    EXPECT_TRUE(usb.AskAnsi(L"USB\\CLASS_0E"));  // the camera's compatible id
    EXPECT_FALSE(enumeration.AskWide(L"TAVPCI\\VEN_5A5A&DEV_0DE1")) << "recorded, but no device";
}

}  // namespace
}  // namespace tavelin::testing
