#include "install/run_fingerprints_win.h"

#include <vector>

#include "install/restart_record.h"
#include "platform/handles.h"
#include "platform/held_file_win.h"
#include "platform/program_path_win.h"
#include "platform/registry_view_win.h"

namespace tavelin {
namespace {

bool WriteOne(HKEY key, const wchar_t* name, const std::optional<Sha256Digest>& digest) {
    if (!digest) {
        const LONG deleted = RegDeleteValueW(key, name);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring text = Sha256Text(*digest);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

RunFingerprints TakeRunFingerprints(const std::wstring& cataloguePath) {
    return RunFingerprints{FileSha256(RunningProgramPath()), FileSha256(cataloguePath)};
}

bool WriteRunFingerprints(HKEY recordKey, const RunFingerprints& fingerprints) {
    const bool program = WriteOne(recordKey, kProgramFingerprintValueName, fingerprints.program);
    const bool catalogue = WriteOne(recordKey, kCatalogueFingerprintValueName, fingerprints.catalogue);
    return program && catalogue;
}

std::optional<std::wstring> ReadRecordedFingerprint(const wchar_t* valueName) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRestartRecordKeyPath, 0,
                      KEY_QUERY_VALUE | RegistryViewFlag(RegistryView::View32), key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // 64 digits and a null; anything much larger is no digest and is judged as one that differs.
    constexpr DWORD kMaxBytes = 256;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ || size > kMaxBytes) return std::wstring();
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    return std::wstring(buffer.data());
}

}  // namespace tavelin
