#include "install/disc_presence.h"

#include "config/text.h"

namespace tavelin {

const wchar_t* DiscStateName(DiscState state) {
    switch (state) {
        case DiscState::There: return L"There";
        case DiscState::Missing: return L"Missing";
        case DiscState::OtherDisc: return L"OtherDisc";
    }
    return L"?";
}

DiscState DiscStateOf(bool rootIsFolder, const std::wstring& runIdentity, const std::wstring& identityNow) {
    if (!rootIsFolder) return DiscState::Missing;
    if (runIdentity.empty() || EqualsNoCase(TrimWhiteSpace(runIdentity), TrimWhiteSpace(identityNow))) {
        return DiscState::There;
    }
    return DiscState::OtherDisc;
}

const wchar_t* DiscStepName(DiscStep step) {
    switch (step) {
        case DiscStep::GoOn: return L"GoOn";
        case DiscStep::AskToInsert: return L"AskToInsert";
        case DiscStep::StopRun: return L"StopRun";
    }
    return L"?";
}

DiscStep NextDiscStep(DiscState state, bool canAsk) {
    if (state == DiscState::There) return DiscStep::GoOn;
    return canAsk ? DiscStep::AskToInsert : DiscStep::StopRun;
}

namespace {

std::wstring Why(DiscState state) {
    return state == DiscState::OtherDisc ? L"the drive holds another disc (its catalogue is not the run's)"
                                         : L"the folder the program was started from is not there";
}

}  // namespace

bool WaitForDisc(DiscWatch& watch, InsertDiscQuestion* question, RunLog& log, const std::wstring& what) {
    bool asked = false;
    for (;;) {
        const DiscState state = watch.Check();
        switch (NextDiscStep(state, question != nullptr)) {
            case DiscStep::GoOn:
                if (asked) log.Write(what + L": the disc is back, the run goes on");
                return true;
            case DiscStep::StopRun:
                log.Write(what + L" not started: " + Why(state) +
                          L"; an unattended run asks nobody, so the run stops");
                return false;
            case DiscStep::AskToInsert:
                break;
        }
        log.Write(what + L" waits for the disc: " + Why(state) + L"; asking to insert it");
        asked = true;
        if (question->AskToInsertDisc() == InsertDiscAnswer::Cancel) {
            log.Write(what + L" not started: the user cancelled instead of inserting the disc; the run stops");
            return false;
        }
        log.Write(L"Answer: Retry");
    }
}

}  // namespace tavelin
