#include "evaluate/evaluation_sequence.h"

#include "evaluate/evaluation_passes.h"

namespace tavelin {

namespace {

bool IsKnownType(int type) { return type >= ITEM_TYPE_DRIVER && type <= ITEM_TYPE_HOTFIX; }

// The first rule that fails, in the order a reader checks them: the item's kind, its hardware
// (or the visibility rule that overrode it), the OS, the language.
ExclusionRule FirstFailingRule(const CItem& item, const DecisionRecord& decision) {
    if (!IsKnownType(item.m_nType)) return ExclusionRule::UnknownType;
    if (!item.m_bHwFound) {
        const bool hiddenByRule = !decision.visibility.empty() && !decision.visibility.back().visible;
        return hiddenByRule ? ExclusionRule::Hidden : ExclusionRule::Hardware;
    }
    if (!item.m_bOSMatched) return ExclusionRule::OperatingSystem;
    if (!item.m_bLanguageMatched) return ExclusionRule::Language;
    return ExclusionRule::None;
}

}  // namespace

void ConcludeDecisions(const ItemList& items, DecisionBook& decisions) {
    for (const auto& item : items) {
        DecisionRecord& decision = decisions.For(item->m_nItemNo);
        decision.type = item->m_nType;
        decision.offered = item->m_bVersionResult;
        decision.installed = item->m_bInstalled;
        decision.exclusion = FirstFailingRule(*item, decision);
        decision.applies = decision.exclusion == ExclusionRule::None;
        if (!decision.applies) {
            decision.placement = ListPlacement::None;
        } else {
            decision.placement = decision.offered ? ListPlacement::Offered : ListPlacement::InstalledRow;
        }
        decision.checkedByDefault = decision.placement == ListPlacement::Offered;
    }
}

DecisionBook RunEvaluationPasses(ItemList& items, const EvaluationInputs& inputs, EvaluationRun run) {
    DecisionBook decisions;
    // The installed state first: it reads the registry only, and neither pass reads what the other
    // writes. The device library is meanwhile reading the machine's devices on the worker thread
    // the program started when it loaded the library; the first device question waits for that
    // reading, so asked first it would leave the registry reads waiting behind it.
    EvaluateInstalledState(items, inputs.facts, inputs.registry, inputs.switches, inputs.sink, decisions);
    DetectDevicePresence(items, inputs.hardware, decisions);
    if (run == EvaluationRun::Startup) ApplyHardwareRule(items, decisions);
    ApplyOSRule(items, inputs.osDisplayName, decisions);
    ApplyLanguageRule(items, inputs.languageTag, decisions);
    ApplyVisibilityRules(items, decisions);
    ConcludeDecisions(items, decisions);
    return decisions;
}

}  // namespace tavelin
