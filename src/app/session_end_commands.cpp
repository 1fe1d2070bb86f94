// The end of the Windows session (logoff, shutdown, a restart asked for by an installer, Windows
// Update or anyone else) while a run goes on. The restart record is current at every moment of a
// run (written before each installer starts), so nothing needs writing here: the run only has to
// start no further installer once the session may end, and the next start resumes the rest, the
// item the end cut off included. A quiet run's window is hidden but is a top-level window all the
// same, so unattended runs hear of the end of the session here too.
#include <windows.h>

#include "app/tavelin_dlg.h"

namespace {

std::wstring ReasonsText(LPARAM reasons) {
    std::wstring text;
    if ((reasons & ENDSESSION_LOGOFF) != 0) text += L", logoff";
    if ((reasons & ENDSESSION_CRITICAL) != 0) text += L", forced";
    if ((reasons & ENDSESSION_CLOSEAPP) != 0) text += L", to replace files in use";
    return text;
}

}  // namespace

// The answer is always yes, even while an installer runs. A driver installer that restarts Windows
// by itself at its end is the commonest reason for the question during a run: a no would cancel
// its restart (silently, on XP) and leave the driver unfinished. A forced end (a critical shutdown,
// the power button, Windows Update's deadline) cannot be refused anyway, so the record, not a
// refusal, is what keeps the run; the interrupted item runs again at the next start. And an
// unattended run must not hold up the restart its deployment tool asked for. While an installer
// runs, the window gives Windows the reason (ShutdownBlockReasonCreate, set by the run), which
// Windows shows where it lists the programs a shutdown waits for, so the user can still choose
// to wait.
void CTavelinDlg::OnQueryEndSession(LPARAM reasons) {
    if (!m_bRunActive) return;
    Log().Write(L"Windows asks to end the session" + ReasonsText(reasons) +
                L": no further installer starts; the restart record holds the item being installed and those below it");
    m_worker.NoteSessionEnd(tavelin::SessionEnd::Asked);
    Log().Persist();
}

void CTavelinDlg::OnEndSession(bool ending, LPARAM reasons) {
    if (!m_bRunActive) return;
    if (!ending) {
        Log().Write(L"The end of the session was called off: the run goes on");
        m_worker.NoteSessionEnd(tavelin::SessionEnd::None);
        return;
    }
    Log().Write(L"Windows ends the session" + ReasonsText(reasons) +
                L" during the run: the rest resumes at the next start");
    m_worker.NoteSessionEnd(tavelin::SessionEnd::Ending);
    Log().Persist();
}
