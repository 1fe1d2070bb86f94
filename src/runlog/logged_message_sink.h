// The program's message sink with the run log in front: every text the user is shown (the
// diagnostic switches' boxes, warnings, refusals) is in the log too, whether or not anyone reads
// the box.
#pragma once

#include <string>

#include "config/diagnostics.h"
#include "runlog/run_log.h"

namespace tavelin {

class LoggedMessageSink : public MessageSink {
public:
    LoggedMessageSink(RunLog& log, MessageSink& shown) : m_log(log), m_shown(shown) {}
    void ShowMessage(const std::wstring& text) override {
        m_log.Write(L"Message: " + text);
        m_shown.ShowMessage(text);
    }

private:
    RunLog& m_log;
    MessageSink& m_shown;
};

}  // namespace tavelin
