// The maker's hardware-query libraries and the disc's language library, loaded from the disc's
// Lib folder: the model read at startup and device presence for the evaluation passes.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/hardware_query.h"
#include "platform/handles.h"
#include "config/text.h"
#include "probe/device_question_thread_win.h"
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

    // Asks the ENUM and USB libraries about every one of `ids` on the worker thread (after the early
    // query), while the caller goes on; FindDevice then answers those ids from what was fetched. The
    // answers serve one evaluation: ForgetAnswersAhead drops them, and a later evaluation (a
    // re-scan after an installation, when devices may have changed) asks the libraries afresh.
    void AskAhead(std::vector<std::wstring> ids);
    void ForgetAnswersAhead();

    // <discRoot>\Lib\<languageCode>.DLL, mapped as a data file (its texts only); true when it loaded.
    bool LoadLanguageLibrary(const std::wstring& discRoot, const std::wstring& languageCode);

    // The machine's model name as the DMI library reports it, cleaned of ' < > and trimmed; nothing
    // when a request fails or the entry point is missing (then `warn` is told first).
    std::optional<std::wstring> ReadModel(const WarningSink& warn);

    // Asks the ENUM library, then the USB library, unless the answer was fetched ahead. The entry
    // points are looked up at every query. Waits first for the worker thread's questions.
    bool IsDevicePresent(const std::wstring& hardwareId) override;
    // The same, naming the library (its file name) that found the device.
    DeviceAnswer FindDevice(const std::wstring& hardwareId) override;

    // Frees all four libraries and deletes the copied driver. Questions still under way on the worker
    // thread stop after the current one, which keeps its libraries until it ends; answers fetched
    // ahead are dropped. Safe when nothing is loaded, and twice.
    void Unload();

    HMODULE LanguageModule() const { return m_libraries[kLanguage].module.Get(); }
    const VendorLibraryRecord& Record(Library library) const { return m_libraries[library]; }

    static constexpr const wchar_t* kInvalidFunctionMessage = L"GetDMIInfo: QVCDMI.DLL Function is invalid";

private:
    bool LoadInto(Library library, const std::wstring& libFolder, const std::wstring& fileName);
    QuorvelIoControlFunction DeviceEntryPoint(Library library) const;
    DeviceAnswer AnswerFoundBy(DeviceFoundBy foundBy) const;
    void CollectAnswersAhead();

    std::array<VendorLibraryRecord, kLibraryCount> m_libraries;
    DeviceQuestionThread m_deviceQuestions;  // waited for before every query
    bool m_answersAheadAsked = false;        // the worker's answers are to be kept when it ends
    std::unordered_map<std::wstring, DeviceFoundBy, TextHash> m_answersAhead;
    std::wstring m_copiedDriverPath;  // deleted by Unload; empty when there is nothing to delete
    // The model query's records; the model pointer points into memory the DMI library owns.
    std::array<std::uint8_t, 35> m_identifyRecord{};
    std::array<std::uint8_t, 39> m_modelSourceRecord{};
    vendor::SystemInformationRecord m_systemInformationRecord{};
};

}  // namespace tavelin
