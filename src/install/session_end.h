// The end of the Windows session (logoff, shutdown, a restart someone else asked for) while a run
// goes on. The dialog hears of it (WM_QUERYENDSESSION, then WM_ENDSESSION) and tells the run,
// which starts no further installer once the session is ending: the restart record, written
// before each installer, already holds the item being installed and the checked items below it,
// so the next start after the interruption resumes them.
#pragma once

#include <cstdint>
#include <string>

namespace tavelin {

enum class SessionEnd {
    None,     // nothing asked, or the end was called off (WM_ENDSESSION with FALSE)
    Asked,    // WM_QUERYENDSESSION answered: the session may end at any moment
    Ending,   // WM_ENDSESSION with TRUE: the session ends; the program may be ended at any moment
};
const wchar_t* SessionEndName(SessionEnd state);

enum class BetweenItems {
    Go,    // the next item begins
    Hold,  // wait: the session may end, and an installer started now would be cut off
    Stop,  // the run ends here; the record keeps the rest
};
const wchar_t* BetweenItemsName(BetweenItems step);

// Windows follows every WM_QUERYENDSESSION answered yes with WM_ENDSESSION, which ends the hold
// one way or the other; the bound only keeps a lost message from holding the run for ever. A
// shutdown waiting on another program's question can take minutes.
constexpr std::uint64_t kSessionEndHoldLimitMs = 10ull * 60 * 1000;

// What Windows is told while an installer runs: the reason the program would rather the session did
// not end now, shown where Windows lists the programs a shutdown waits for.
class ShutdownReason {
public:
    virtual ~ShutdownReason() = default;
    virtual void Set(const std::wstring& reason) = 0;
    virtual void Clear() = 0;
};

// What the run does before its next item, after holding `heldMs` for this end of the session.
BetweenItems BetweenItemsStep(SessionEnd state, std::uint64_t heldMs);

}  // namespace tavelin
