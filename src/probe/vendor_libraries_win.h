// The maker's hardware-query libraries and the disc's language library, loaded from the disc's
// Lib folder: the model read at startup and device presence for the evaluation passes.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/hardware_query.h"
#include "platform/handles.h"
#include "probe/device_query_warm_up_win.h"
#include "probe/vendor_protocol.h"

namespace tavelin {

struct VendorLibraryRecord {
    static constexpr std::size_t kMaxFileNameLength = 19;

    UniqueModule module;
    QuorvelIoControlFunction entryPoint = nullptr;
    std::wstring fileName;  // at most kMaxFileNameLength characters
};

class VendorLibraries final : public HardwareQuery {
public:
    enum Library : std::size_t { kDmi, kEnum, kUsb, kLanguage, kLibraryCount };

    // Shows a warning to the user; the model read uses it when the DMI library lacks its entry point.
    using WarningSink = std::function<void(const std::wstring& text)>;

    VendorLibraries() = default;
    ~VendorLibraries() override { Unload(); }
    VendorLibraries(const VendorLibraries&) = delete;
    VendorLibraries& operator=(const VendorLibraries&) = delete;

    // Copies the kernel driver into <systemDir>\DRIVERS and loads the three query libraries from
    // <discRoot>\Lib by full path, their dependencies from Lib. True only when all three loaded. Leaves discRoot the current directory.
    bool Load(const std::wstring& discRoot, const std::wstring& systemDir);

    // Sends the ENUM library one query on a worker thread, so that its listing of the machine's
    // devices runs beside the rest of the start; the first device query waits for it.
    void StartDeviceListing();

    // <discRoot>\Lib\<languageCode>.DLL, mapped as a data file (its texts only); true when it loaded.
    bool LoadLanguageLibrary(const std::wstring& discRoot, const std::wstring& languageCode);

    // The machine's model name as the DMI library reports it, cleaned of ' < > and trimmed; nothing
    // when a request fails or the entry point is missing (then `warn` is told first).
    std::optional<std::wstring> ReadModel(const WarningSink& warn);

    // Asks the ENUM library, then the USB library. The entry points are looked up at every query.
    bool IsDevicePresent(const std::wstring& hardwareId) override;
    // The same, naming the library (its file name) that found the device.
    DeviceAnswer FindDevice(const std::wstring& hardwareId) override;

    // Frees all four libraries (an early query still under way keeps its library until it ends) and
    // deletes the copied driver. Safe when nothing is loaded, and twice.
    void Unload();

    HMODULE LanguageModule() const { return m_libraries[kLanguage].module.Get(); }
    const VendorLibraryRecord& Record(Library library) const { return m_libraries[library]; }

    static constexpr const wchar_t* kInvalidFunctionMessage = L"GetDMIInfo: QVCDMI.DLL Function is invalid";

private:
    bool LoadInto(Library library, const std::wstring& libFolder, const std::wstring& fileName);

    std::array<VendorLibraryRecord, kLibraryCount> m_libraries;
    DeviceQueryWarmUp m_deviceListing;  // waited for before every query
    std::wstring m_copiedDriverPath;  // deleted by Unload; empty when there is nothing to delete
    // The model query's records; the model pointer points into memory the DMI library owns.
    std::array<std::uint8_t, 35> m_identifyRecord{};
    std::array<std::uint8_t, 39> m_modelSourceRecord{};
    vendor::SystemInformationRecord m_systemInformationRecord{};
};

}  // namespace tavelin
