#include "authoring/machine_capture_win.h"

#include <windows.h>

#include "authoring/catalogue_reads.h"
#include "platform/registry_win.h"
#include "platform/system_folder_win.h"
#include "platform/text_encoding_win.h"
#include "probe/os_facts_win.h"
#include "probe/present_devices_win.h"
#include "probe/vendor_libraries_win.h"

namespace tavelin {

namespace {

void CaptureWindows(MachineProfile& profile) {
    const OsFacts facts = GatherOsFacts();
    profile.facts = BuildMachineFacts(facts);
    if (!facts.versionQueryOk) return;
    profile.windowsVersion = std::to_wstring(facts.majorVersion) + L"." + std::to_wstring(facts.minorVersion);
    profile.edition = OsEdition(facts);
}

}  // namespace

MachineCapture CaptureMachine(const std::wstring& discRoot) {
    MachineCapture capture;
    CaptureWindows(capture.profile);
    for (auto& ids : ListPresentDevices()) capture.profile.devices.push_back(std::move(ids));

    VendorLibraries libraries;
    if (!libraries.Load(discRoot, SystemFolderOfThe32BitProgram())) {
        capture.problems.push_back(L"the device libraries in " + discRoot + L"\\Lib did not all load");
    }
    const std::optional<std::wstring> model =
        libraries.ReadModel([&capture](const std::wstring& text) { capture.problems.push_back(text); });
    if (model) {
        capture.profile.model = *model;
    } else {
        capture.problems.push_back(L"the model could not be read through " + std::wstring(vendor::kDmiLibraryName));
    }
    const ConfigFile catalogue(std::filesystem::path(discRoot + L"\\Lib\\TAVELIN.INI"), DecodeAnsiCodePage);
    Win32Registry registry;
    CatalogueReads reads =
        CaptureCatalogueReads(catalogue, capture.profile.facts, capture.profile.model, registry, libraries);
    capture.registryExport = std::move(reads.registryExport);
    capture.profile.deviceAnswers = std::move(reads.deviceAnswers);
    libraries.Unload();
    return capture;
}

}  // namespace tavelin
