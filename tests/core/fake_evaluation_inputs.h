// Test doubles for the evaluation's outside world: a message sink that records what would have
// been shown, and a device query answering from a fixed set of hardware ids.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/hardware_query.h"
#include "config/diagnostics.h"

namespace tavelin {

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    std::vector<std::wstring> messages;
};

class FixedHardware : public HardwareQuery {
public:
    FixedHardware() = default;
    explicit FixedHardware(std::set<std::wstring> present) : m_present(std::move(present)) {}
    bool IsDevicePresent(const std::wstring& hardwareId) override {
        asked.push_back(hardwareId);
        return m_present.count(hardwareId) > 0;
    }
    std::vector<std::wstring> asked;

private:
    std::set<std::wstring> m_present;
};

inline DiagnosticSwitches AllDiagnostics() {
    DiagnosticSwitches switches;
    switches.m_bShowErrorMessage = true;
    switches.m_bShowItemVersionStatus = true;
    return switches;
}

}  // namespace tavelin
