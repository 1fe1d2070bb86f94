#include "probe/device_node_presence_win.h"

#include <setupapi.h>

#include <vector>

#include "probe/entry_point_win.h"

namespace tavelin {
namespace {

constexpr DWORD kConfigManagerSuccess = 0;      // CR_SUCCESS
constexpr ULONG kLocatePresentNodesOnly = 0;    // CM_LOCATE_DEVNODE_NORMAL

UniqueModule LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return UniqueModule();
    return UniqueModule(LoadLibraryW((std::wstring(folder) + L"\\" + name).c_str()));
}

}  // namespace

// A SetupAPI device list, destroyed through the library that made it.
class DeviceNodePresence::DeviceInfoList {
public:
    DeviceInfoList(void* list, DestroyListFunction destroy) : m_list(list), m_destroy(destroy) {}
    ~DeviceInfoList() {
        if (Valid()) m_destroy(m_list);
    }
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;
    bool Valid() const { return m_list != nullptr && m_list != INVALID_HANDLE_VALUE; }
    void* Get() const { return m_list; }

private:
    void* m_list;
    DestroyListFunction m_destroy;
};

DeviceNodePresence::DeviceNodePresence()
    : m_configManager(LoadSystemLibrary(L"cfgmgr32.dll")), m_setupApi(LoadSystemLibrary(L"setupapi.dll")) {
    m_locate = FindEntryPoint<LocateFunction>(m_configManager.Get(), "CM_Locate_DevNodeW");
    m_createList = FindEntryPoint<CreateListFunction>(m_setupApi.Get(), "SetupDiCreateDeviceInfoList");
    m_openInfo = FindEntryPoint<OpenInfoFunction>(m_setupApi.Get(), "SetupDiOpenDeviceInfoW");
    m_destroyList = FindEntryPoint<DestroyListFunction>(m_setupApi.Get(), "SetupDiDestroyDeviceInfoList");
    DWORD root = 0;
    m_managerAnswers = m_locate != nullptr && m_locate(&root, nullptr, kLocatePresentNodesOnly) == kConfigManagerSuccess;
}

bool DeviceNodePresence::IsPresent(const std::wstring& instanceId) const {
    if (instanceId.empty()) return false;  // an empty id would locate the root
    if (!m_managerAnswers) return OpensAsSetupApiDevice(instanceId);
    std::vector<wchar_t> id(instanceId.begin(), instanceId.end());
    id.push_back(L'\0');
    DWORD node = 0;
    return m_locate(&node, id.data(), kLocatePresentNodesOnly) == kConfigManagerSuccess;
}

bool DeviceNodePresence::OpensAsSetupApiDevice(const std::wstring& instanceId) const {
    if (m_createList == nullptr || m_openInfo == nullptr || m_destroyList == nullptr) return false;
    // A list of its own for each instance: SetupAPI compares every device it opens with those
    // already in the list, and one open in an empty list costs the same every time.
    const DeviceInfoList list(m_createList(nullptr, nullptr), m_destroyList);
    if (!list.Valid()) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    return m_openInfo(list.Get(), instanceId.c_str(), nullptr, 0, &device) != FALSE;
}

}  // namespace tavelin
