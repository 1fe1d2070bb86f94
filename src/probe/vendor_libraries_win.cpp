#include "probe/vendor_libraries_win.h"

#include <cstring>

#include "config/text.h"
#include "platform/dll_search_win.h"
#include "probe/entry_point_win.h"
#include "probe/vendor_protocol.h"

namespace tavelin {
namespace {

constexpr DWORD kArchiveAttribute = 0x20;
constexpr std::size_t kModelNameCapacity = 59;

std::wstring LibFolder(const std::wstring& discRoot) { return discRoot + L"\\Lib\\"; }

std::wstring AnsiToWide(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), length);
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

// The BIOS strings may carry characters that would break the INI comparison and the message boxes.
std::wstring CleanModelName(std::wstring name) {
    if (name.size() > kModelNameCapacity) name.resize(kModelNameCapacity);
    std::wstring kept;
    for (wchar_t c : name) {
        if (c != L'\'' && c != L'<' && c != L'>') kept += c;
    }
    return TrimWhiteSpace(kept);
}

bool Ask(QuorvelIoControlFunction entryPoint, DWORD request, void* input, DWORD inputSize, void* output,
         DWORD outputSize) {
    DWORD bytesReturned = 0;
    return entryPoint(request, input, inputSize, output, outputSize, &bytesReturned, nullptr) != FALSE;
}

}  // namespace

bool VendorLibraries::LoadInto(Library library, const std::wstring& libFolder, const std::wstring& fileName) {
    VendorLibraryRecord& record = m_libraries[library];
    record.fileName = fileName.substr(0, VendorLibraryRecord::kMaxFileNameLength);
    record.module.Reset(LoadLibraryBesideItsDependencies(libFolder + record.fileName));
    record.entryPoint = FindEntryPoint<QuorvelIoControlFunction>(record.module.Get(), vendor::kEntryPointName);
    return record.module.Valid();
}

bool VendorLibraries::Load(const std::wstring& discRoot, const std::wstring& systemDir) {
    const std::wstring libFolder = LibFolder(discRoot);
    // The DMI library finds its kernel driver and any helper files relative to the current folder.
    SetCurrentDirectoryW(libFolder.c_str());

    // Fail-if-exists: a file of that name already there stays, and is not this start's to delete
    // (another program's driver, or another copy of this program still using it); only a copy this
    // start made is deleted at unload.
    const std::wstring driverPath = systemDir + L"\\DRIVERS\\" + vendor::kDriverFileName;
    if (CopyFileW((libFolder + vendor::kDriverFileName).c_str(), driverPath.c_str(), TRUE)) {
        m_copiedDriverPath = driverPath;
        SetFileAttributesW(m_copiedDriverPath.c_str(), kArchiveAttribute);
    }

    const bool dmi = LoadInto(kDmi, libFolder, vendor::kDmiLibraryName);
    const bool enumeration = LoadInto(kEnum, libFolder, vendor::kEnumLibraryName);
    const bool usb = LoadInto(kUsb, libFolder, vendor::kUsbLibraryName);

    SetCurrentDirectoryW(discRoot.c_str());
    return dmi && enumeration && usb;
}

bool VendorLibraries::LoadLanguageLibrary(const std::wstring& discRoot, const std::wstring& languageCode) {
    // Only its texts are read (LoadStringW reads them from a mapped data file too), so none of its
    // code ever runs in this elevated process.
    VendorLibraryRecord& record = m_libraries[kLanguage];
    record.fileName = (languageCode + L".DLL").substr(0, VendorLibraryRecord::kMaxFileNameLength);
    record.module.Reset(LoadResourceOnlyLibrary(LibFolder(discRoot) + record.fileName));
    record.entryPoint = nullptr;
    return record.module.Valid();
}

std::optional<std::wstring> VendorLibraries::ReadModel(const WarningSink& warn) {
    const auto entryPoint =
        FindEntryPoint<QuorvelIoControlFunction>(m_libraries[kDmi].module.Get(), vendor::kEntryPointName);
    if (entryPoint == nullptr) {
        if (warn) warn(kInvalidFunctionMessage);
        return std::nullopt;
    }
    m_identifyRecord.fill(0);
    m_modelSourceRecord.fill(0);
    m_systemInformationRecord = {};
    static_assert(sizeof(m_identifyRecord) == vendor::kIdentifyRecordSize);
    static_assert(sizeof(m_modelSourceRecord) == vendor::kModelSourceRecordSize);
    static_assert(sizeof(m_systemInformationRecord) == vendor::kSystemInformationRecordSize);
    if (!Ask(entryPoint, vendor::kRequestIdentify, nullptr, 0, m_identifyRecord.data(), vendor::kIdentifyRecordSize) ||
        !Ask(entryPoint, vendor::kRequestModelSource, nullptr, 0, m_modelSourceRecord.data(),
             vendor::kModelSourceRecordSize) ||
        !Ask(entryPoint, vendor::kRequestSystemInformation, nullptr, 0, &m_systemInformationRecord,
             vendor::kSystemInformationRecordSize)) {
        return std::nullopt;
    }
    // A library that answers without a name gives an empty model rather than a crash.
    const char* model = m_systemInformationRecord.productName;
    if (model == nullptr) return std::wstring();
    return CleanModelName(AnsiToWide(model));
}

bool VendorLibraries::IsDevicePresent(const std::wstring& hardwareId) {
    return FindDevice(hardwareId).present;
}

void VendorLibraries::StartDeviceListing() {
    m_deviceListing.Start(
        FindEntryPoint<QuorvelIoControlFunction>(m_libraries[kEnum].module.Get(), vendor::kEntryPointName));
}

DeviceAnswer VendorLibraries::FindDevice(const std::wstring& hardwareId) {
    m_deviceListing.Wait();
    const auto enumEntryPoint =
        FindEntryPoint<QuorvelIoControlFunction>(m_libraries[kEnum].module.Get(), vendor::kEntryPointName);
    if (enumEntryPoint != nullptr &&
        Ask(enumEntryPoint, vendor::kRequestDevicePresent, const_cast<wchar_t*>(hardwareId.c_str()),
            static_cast<DWORD>(hardwareId.size()), nullptr, 0)) {
        return {true, m_libraries[kEnum].fileName};
    }
    const auto usbEntryPoint =
        FindEntryPoint<QuorvelIoControlFunction>(m_libraries[kUsb].module.Get(), vendor::kEntryPointName);
    if (usbEntryPoint == nullptr) return {};
    char ansiId[vendor::kUsbIdBufferSize] = {};
    WideCharToMultiByte(CP_ACP, 0, hardwareId.c_str(), -1, ansiId, sizeof(ansiId), nullptr, nullptr);
    ansiId[sizeof(ansiId) - 1] = '\0';  // an over-long id is cut, never left unterminated
    if (!Ask(usbEntryPoint, vendor::kRequestDevicePresent, ansiId, sizeof(ansiId), nullptr, 0)) return {};
    return {true, m_libraries[kUsb].fileName};
}

void VendorLibraries::Unload() {
    for (VendorLibraryRecord& record : m_libraries) {
        record.entryPoint = nullptr;
        record.module.Reset();
        record.fileName.clear();
    }
    if (!m_copiedDriverPath.empty()) {
        DeleteFileW(m_copiedDriverPath.c_str());
        m_copiedDriverPath.clear();
    }
}

}  // namespace tavelin
