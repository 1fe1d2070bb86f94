#include "install/installer_result.h"

#include <algorithm>

namespace tavelin {

namespace {

bool Contains(const std::vector<std::uint32_t>& codes, std::uint32_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

InstallerVerdict JudgeInstallerExit(const CItem& item, std::uint32_t exitCode) {
    if (item.m_arrSuccessCodes.empty() && item.m_arrRestartCodes.empty()) return InstallerVerdict::Done;
    if (Contains(item.m_arrRestartCodes, exitCode)) return InstallerVerdict::DoneRestartNeeded;
    const bool success = item.m_arrSuccessCodes.empty() ? exitCode == 0 : Contains(item.m_arrSuccessCodes, exitCode);
    return success ? InstallerVerdict::Done : InstallerVerdict::Failed;
}

}  // namespace tavelin
