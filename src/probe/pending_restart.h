// Whether Windows already waits for a restart when the program starts: work an earlier installer,
// servicing or Windows Update left for the next start of Windows. A driver installed now may not
// take effect until then, so the run says so and an unattended run reports a needed restart.
#pragma once

#include <string>

namespace tavelin {

// Where Windows keeps each sign. The servicing and update keys live in the 64-bit view on 64-bit
// Windows: they are read there by both programs.
constexpr wchar_t kSessionManagerKeyPath[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kFileRenameOperationsValueName[] = L"PendingFileRenameOperations";
constexpr wchar_t kFileRenameOperations2ValueName[] = L"PendingFileRenameOperations2";
constexpr wchar_t kServicingRebootPendingKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending";
constexpr wchar_t kUpdateRebootRequiredKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired";

struct PendingRestartSigns {
    bool fileRenameOperations = false;  // files to be replaced or deleted at the next start
    bool servicingRebootPending = false;
    bool updateRebootRequired = false;

    bool Any() const { return fileRenameOperations || servicingRebootPending || updateRebootRequired; }
};

// For the log: "no", or "yes (file rename operations, servicing)".
std::wstring PendingRestartText(const PendingRestartSigns& signs);

// Whether a value's data, REG_MULTI_SZ as it is stored, holds any file name: a value of nulls only
// is what Windows leaves behind once the renames were done.
bool MultiStringHoldsText(const std::wstring& data);

}  // namespace tavelin
