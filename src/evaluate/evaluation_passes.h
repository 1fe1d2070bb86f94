// The passes that judge each item of a freshly loaded catalogue against this machine. Each reads
// the catalogue and the machine (facts, registry, device query), writes only result flags, and
// notes in the item's decision record what it found. evaluation_sequence.h runs them in order.
#pragma once

#include <string>

#include "base/hardware_query.h"
#include "base/machine_facts.h"
#include "config/catalogue.h"
#include "config/diagnostics.h"
#include "evaluate/decision_record.h"
#include "evaluate/registry.h"

namespace tavelin {

// CHW_ID::m_bFound of drivers and of other items' hardware ids; m_bHwFound = true for applications
// and hotfixes without hardware ids. The hardware query is asked once per distinct id.
void DetectDevicePresence(ItemList& items, HardwareQuery& hardware, DecisionBook& decisions);

// CVersion::m_nCompare of each driver hardware id, m_bInstalled, and m_bVersionResult of
// applications and hotfixes. Items of unknown type get "#2 : Wrong item type, #item : %d" with
// their position from 1, whatever the switches.
void EvaluateInstalledState(ItemList& items, const MachineFacts& facts, Registry& registry,
                            const DiagnosticSwitches& switches, MessageSink& sink, DecisionBook& decisions);

// m_bHwFound of every item from its hardware ids and check rule; m_bVersionResult of drivers.
void ApplyHardwareRule(ItemList& items, DecisionBook& decisions);

// m_bOSMatched: "OS_Version" is empty or names osDisplayName.
void ApplyOSRule(ItemList& items, const std::wstring& osDisplayName, DecisionBook& decisions);

// m_bLanguageMatched: "Language_ID" is empty or names languageTag.
void ApplyLanguageRule(ItemList& items, const std::wstring& languageTag, DecisionBook& decisions);

// m_bHwFound from the four visibility groups, each overriding the one before.
void ApplyVisibilityRules(ItemList& items, DecisionBook& decisions);

}  // namespace tavelin
