#include "install/restore_point.h"

#include "config/text.h"

namespace tavelin {

namespace {

// System Restore's RESTOREPOINTINFOW holds 256 characters with the terminator.
constexpr std::size_t kMaxDescriptionLength = 255;

bool ChangesTheSystem(const CItem& item) {
    return item.m_nType == ITEM_TYPE_DRIVER || item.m_nType == ITEM_TYPE_HOTFIX;
}

}  // namespace

std::wstring RestorePointDescription(const std::wstring& discTitle) {
    return (L"Tavelin: before installing drivers from " + discTitle).substr(0, kMaxDescriptionLength);
}

bool DiscAllowsRestorePoint(const ConfigFile& config) {
    const std::wstring value = config.ReadIniValue(L"Driver_CD", L"Restore_Point");
    return TrimWhiteSpace(value) != L"0";
}

RestorePointOff RestorePointOffReason(const RestorePointPolicy& policy) {
    if (policy.noRestorePointSwitch) return RestorePointOff::Switch;
    if (!policy.discAllows) return RestorePointOff::Disc;
    if (policy.resumedRun) return RestorePointOff::Resumed;
    return RestorePointOff::None;
}

void RestorePointStep::BeforeItem(const CItem& item) {
    if (m_done || !ChangesTheSystem(item)) return;
    m_done = true;
    const std::wstring before = L"Restore point before Item " + DecimalText(item.m_nItemNo) + L": ";
    switch (RestorePointOffReason(m_policy)) {
        case RestorePointOff::Switch:
            m_log.Write(before + L"not made, /norestorepoint");
            return;
        case RestorePointOff::Disc:
            m_log.Write(before + L"not made, the disc says Restore_Point=0");
            return;
        case RestorePointOff::Resumed:
            m_log.Write(before + L"not made, this run goes on after a restart and its point was made before it");
            return;
        case RestorePointOff::None:
            break;
    }
    const std::wstring description = RestorePointDescription(m_discTitle);
    m_log.Write(before + L"asking System Restore for \"" + description + L"\"");
    m_log.Write(L"Restore point: " + RestorePointResultText(m_service.Create(description)));
}

std::wstring RestorePointResultText(const RestorePointResult& result) {
    const std::wstring status = L" (status " + DecimalText(result.status) + L")";
    switch (result.answer) {
        case RestorePointAnswer::Created:
            return L"made, sequence number " + DecimalText(result.sequence) +
                   (result.mayKeepRecent ? L" (this Windows makes no new point within 24 hours of the last one and "
                                           L"answers the same: the point made then is the way back)"
                                         : L"");
        case RestorePointAnswer::Unavailable:
            return L"not made, System Restore is missing on this Windows or does not work on it; the run goes on";
        case RestorePointAnswer::ProtectionOff:
            return L"not made, System Protection is off" + status + L"; the run goes on";
        case RestorePointAnswer::Failed:
            break;
    }
    return L"not made, System Restore failed" + status + L"; the run goes on";
}

}  // namespace tavelin
