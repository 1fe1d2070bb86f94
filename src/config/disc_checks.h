// Whether the disc fits this machine: its title in the user's language, and the "Driver_CD" checks
// of the model, the 32/64-bit system and the operating system, run before the catalogue loads.
#pragma once

#include <string>

#include "base/machine_facts.h"
#include "config/config_file.h"
#include "config/diagnostics.h"

namespace tavelin {

// The window title: "Title_<tag>" (or "Title_ENG" without a tag), falling back to "Title_Eng".
// Empty when the disc defines neither; the caller sets the caption to it either way.
std::wstring ReadDiscTitle(const ConfigFile& config, const std::wstring& languageCode);

struct ModelCheck {
    bool allowed = false;
    std::wstring machineModel;  // m_strMachineModel: the model name trimmed and upper-cased
};

// Allowed when "Model" is empty or one of its entries equals the model, ignoring case.
ModelCheck CheckMachineModel(const ConfigFile& config, const std::wstring& modelName);

struct OsCheck {
    std::wstring errorText;      // empty when the system is allowed; otherwise the refusal to show
    std::wstring osDisplayName;  // m_szOSDisplayName, at most kMaxOsDisplayNameLength characters
};

inline constexpr std::size_t kMaxOsDisplayNameLength = 259;

// Checks "System_Type" against the bitness and "OS_VERSION" against the display name of the OS key.
// `suitableOsText` is user-interface text 127. Under "ShowErrorMessage" a refusal first reports
// "Wrong system" and/or "Wrong OS" to `messages`.
OsCheck CheckOperatingSystem(const ConfigFile& config, const MachineFacts& facts, bool showErrorMessage,
                             const std::wstring& suitableOsText, MessageSink& messages);

}  // namespace tavelin
