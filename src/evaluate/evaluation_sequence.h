// The evaluation of a freshly loaded catalogue: the passes in the order they depend on one another,
// and the decision record of every item, concluded from what they found.
#pragma once

#include <string>

#include "base/hardware_query.h"
#include "base/machine_facts.h"
#include "config/catalogue.h"
#include "config/diagnostics.h"
#include "evaluate/decision_record.h"
#include "evaluate/registry.h"

namespace tavelin {

struct EvaluationInputs {
    const MachineFacts& facts;
    const std::wstring& osDisplayName;  // LoadedCatalogue::m_szOSDisplayName
    const std::wstring& languageTag;    // LoadedCatalogue::m_szLanguageTag
    Registry& registry;
    HardwareQuery& hardware;
    const DiagnosticSwitches& switches;
    MessageSink& sink;
};

// Startup runs all six passes; a re-scan after an installation runs them without the hardware
// rule, so hardware flags keep their initial values there.
enum class EvaluationRun { Startup, Rescan };

// Runs the passes and returns every item's decision record, its outcome concluded.
DecisionBook RunEvaluationPasses(ItemList& items, const EvaluationInputs& inputs, EvaluationRun run);

// Fills the outcome of each item's record from its flags as the passes left them: whether it
// applies, the rule that excluded it, and where the list first places it.
void ConcludeDecisions(const ItemList& items, DecisionBook& decisions);

}  // namespace tavelin
