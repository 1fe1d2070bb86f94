// The device libraries' answers noted while the evaluation asks them, for a machine profile: the
// profile then answers a simulation exactly as the disc's own libraries answered on the machine,
// whatever those libraries count as a device.
#pragma once

#include <map>
#include <string>

#include "base/hardware_query.h"

namespace tavelin {

class DeviceAnswerCapture : public HardwareQuery {
public:
    explicit DeviceAnswerCapture(HardwareQuery& inner) : m_inner(inner) {}
    bool IsDevicePresent(const std::wstring& hardwareId) override { return FindDevice(hardwareId).present; }
    DeviceAnswer FindDevice(const std::wstring& hardwareId) override {
        DeviceAnswer answer = m_inner.FindDevice(hardwareId);
        m_answers.emplace(hardwareId, answer);
        return answer;
    }
    // By id as asked (the evaluation asks upper-cased ids).
    const std::map<std::wstring, DeviceAnswer>& Answers() const { return m_answers; }

private:
    HardwareQuery& m_inner;
    std::map<std::wstring, DeviceAnswer> m_answers;
};

}  // namespace tavelin
