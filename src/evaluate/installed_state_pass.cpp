// The passes that ask the machine: which devices are present, and what is installed.
#include <algorithm>
#include <vector>

#include "config/text.h"
#include "evaluate/application_detection.h"
#include "evaluate/driver_detection.h"
#include "evaluate/evaluation_passes.h"
#include "evaluate/text_index.h"

namespace tavelin {

namespace {

bool HasHardwareIdChecks(const CItem& item) {
    switch (item.m_nType) {
    case ITEM_TYPE_DRIVER: return true;
    case ITEM_TYPE_RECOMMENDED_APP:
    case ITEM_TYPE_OPTIONAL_APP:
    case ITEM_TYPE_HOTFIX: return item.m_nHwIdCount > 0;
    default: return false;
    }
}

bool IsApplicationOrHotfix(int type) {
    return type == ITEM_TYPE_RECOMMENDED_APP || type == ITEM_TYPE_OPTIONAL_APP || type == ITEM_TYPE_HOTFIX;
}

}  // namespace

void DetectDevicePresence(ItemList& items, HardwareQuery& hardware, DecisionBook& decisions) {
    // Each question makes the device libraries walk every device of the machine, and the answer
    // cannot change within one evaluation: every distinct id is asked once, however many items or
    // records repeat it (ids missing from the file all read as the same empty text).
    // The answers are numbered by the items' own id texts, which outlive this pass.
    std::size_t ids = 0;
    for (const auto& item : items) ids += item->m_pHwIdList.size();
    TextIndex asked(ids);
    std::vector<DeviceAnswer> answers;
    answers.reserve(ids);
    const auto answerFor = [&](const std::wstring& hardwareId) -> const DeviceAnswer& {
        const TextIndex::Entry entry = asked.Insert(hardwareId);
        if (entry.added) answers.push_back(hardware.FindDevice(hardwareId));
        return answers[entry.number];
    };
    for (auto& item : items) {
        if (HasHardwareIdChecks(*item)) {
            std::vector<DeviceFinding>& findings = decisions.For(item->m_nItemNo).devices;
            findings.clear();
            findings.reserve(item->m_pHwIdList.size());
            for (CHW_ID& id : item->m_pHwIdList) {
                const DeviceAnswer& answer = answerFor(id.m_strHwId);
                id.m_bFound = answer.present;
                findings.push_back({decisions.Keep(id.m_strHwId), answer.present, decisions.Keep(answer.source)});
            }
        } else if (IsApplicationOrHotfix(item->m_nType)) {
            item->m_bHwFound = true;
        }
    }
}

void EvaluateInstalledState(ItemList& items, const MachineFacts& facts, Registry& registry,
                            const DiagnosticSwitches& switches, MessageSink& sink, DecisionBook& decisions) {
    // One cache per evaluation: the registry is read as it is now, and a re-scan after an
    // installation starts afresh.
    DriverKeyCache drivers(registry);
    for (const auto& item : items) {
        if (item->m_nType != ITEM_TYPE_DRIVER) continue;
        for (const CHW_ID& id : item->m_pHwIdList) drivers.Expect(id.m_strHwId);
    }

    int position = 0;
    for (auto& item : items) {
        ++position;
        DecisionRecord& decision = decisions.For(item->m_nItemNo);
        decision.drivers.clear();
        decision.application.reset();
        switch (item->m_nType) {
        case ITEM_TYPE_DRIVER: {
            const std::size_t count = std::min({item->m_pHwIdList.size(), item->m_pVersionList.size(),
                                                item->m_pDateList.size()});
            decision.drivers.reserve(count);
            for (std::size_t i = 0; i < count; ++i) {
                CVersion& version = item->m_pVersionList[i];
                DriverFinding& finding = decision.drivers.emplace_back();
                version.m_nCompare = DetectInstalledDriver(switches, sink, *item, version.m_strVersion,
                                                           item->m_pDateList[i].m_strDate,
                                                           item->m_pHwIdList[i].m_strHwId, drivers, finding);
                finding.hardwareId = decisions.Keep(finding.hardwareId);
                finding.discVersion = decisions.Keep(finding.discVersion);
                finding.discDate = decisions.Keep(finding.discDate);
            }
            break;
        }
        case ITEM_TYPE_RECOMMENDED_APP:
        case ITEM_TYPE_OPTIONAL_APP: {
            const std::wstring version =
                item->m_pVersionList.empty() ? std::wstring() : item->m_pVersionList.front().m_strVersion;
            DetectInstalledApplication(switches, sink, facts.m_b64Bit, *item, item->m_strVersionPath, version,
                                       registry, decision.application.emplace());
            break;
        }
        case ITEM_TYPE_HOTFIX:
            DetectInstalledApplication(switches, sink, facts.m_b64Bit, *item, item->m_strVersionPath, L"",
                                       registry, decision.application.emplace());
            break;
        default:
            sink.ShowMessage(L"#2 : Wrong item type, #item : " + DecimalText(position));
            break;
        }
    }
}

}  // namespace tavelin
