// The run's fingerprints in the restart record (HKLM\SOFTWARE\Tavelin, the 32-bit view, beside the
// waiting list).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "install/run_fingerprints.h"

namespace tavelin {

// The running program and the catalogue at `cataloguePath` as they are now.
RunFingerprints TakeRunFingerprints(const std::wstring& cataloguePath);

// Into the open record key: each fingerprint as 64 hexadecimal digits (REG_SZ); one that could not
// be taken is removed, so that an older run's value never stands for this one.
bool WriteRunFingerprints(HKEY recordKey, const RunFingerprints& fingerprints);

// The stored value of that name; nothing when the record or the value is missing.
std::optional<std::wstring> ReadRecordedFingerprint(const wchar_t* valueName);

}  // namespace tavelin
