// Whether one device instance is present: whether the running system has a node for it in its
// device tree, as the configuration manager keeps it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace tavelin {

class DeviceNodePresence {
public:
    // Loads cfgmgr32.dll (and setupapi.dll, for systems whose configuration manager cannot answer)
    // by their full paths in the system folder: a program run from a disc must not pick up copies
    // lying beside it.
    DeviceNodePresence();
    DeviceNodePresence(const DeviceNodePresence&) = delete;
    DeviceNodePresence& operator=(const DeviceNodePresence&) = delete;

    // `instanceId` as the Enum tree names it ("PCI\VEN_..\3&2143..."). On Windows the configuration
    // manager locates the node only while the device is present (CM_LOCATE_DEVNODE_NORMAL): an
    // instance the registry still records for a device that was removed is absent.
    bool IsPresent(const std::wstring& instanceId) const;

    // False when the configuration manager cannot locate even the root of the device tree, which
    // always exists on Windows: a system that implements only SetupAPI's listing (Wine 8, where
    // CM_Locate_DevNodeW fails for every node). IsPresent then answers as SetupAPI does: an
    // instance is present when SetupAPI opens it as a device.
    bool ManagerAnswers() const { return m_managerAnswers; }

private:
    using LocateFunction = DWORD(WINAPI*)(DWORD* node, wchar_t* instanceId, ULONG flags);
    using CreateListFunction = void*(WINAPI*)(const GUID*, HWND);
    using OpenInfoFunction = BOOL(WINAPI*)(void* list, const wchar_t* instanceId, HWND, DWORD flags, void* data);
    using DestroyListFunction = BOOL(WINAPI*)(void* list);

    class DeviceInfoList;
    bool OpensAsSetupApiDevice(const std::wstring& instanceId) const;

    UniqueModule m_configManager;
    UniqueModule m_setupApi;
    LocateFunction m_locate = nullptr;
    CreateListFunction m_createList = nullptr;
    OpenInfoFunction m_openInfo = nullptr;
    DestroyListFunction m_destroyList = nullptr;
    bool m_managerAnswers = false;
};

}  // namespace tavelin
