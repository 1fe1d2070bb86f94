// Waiting for the program's own dialogs during and after a run, answering them, and reading the
// rows' statuses: what the run tests share.
#pragma once

#include <windows.h>

#include <string>

#include "driver/list_reader.h"
#include "driver/program_driver.h"

namespace tavelin::testing {

// A dialog of the program that `accept` recognises. Looks at least once, so that a timeout of 0
// asks whether one is open now.
template <typename Accept>
HWND WaitForProgramDialog(const RunningProgram& program, Accept accept, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 50) {
        HWND box = program.WaitForMessageBox(0);
        if (box != nullptr && accept(box)) return box;
        if (program.HasEnded() || waited >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

// The program's message boxes, told apart from its please-wait dialog by their text.
inline HWND WaitForQuestion(const RunningProgram& program, DWORD timeoutMs = 60000) {
    return WaitForProgramDialog(program, [](HWND box) { return !MessageBoxText(box).empty(); }, timeoutMs);
}

// The please-wait dialog shown after a run (its text control is 1019).
inline HWND WaitForPleaseWait(const RunningProgram& program, DWORD timeoutMs = 60000) {
    return WaitForProgramDialog(program, [](HWND box) { return GetDlgItem(box, 1019) != nullptr; }, timeoutMs);
}

inline void Answer(HWND box, int button) {
    AnswerMessageBox(box, button);
    for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(50);
}

// Clicks Start and, when the question that follows is "Install now?", answers it with `button`.
// The question's text, empty when none came: tests assert on it, so a wrong box is named.
inline std::wstring ClickStartAndAnswer(const RunningProgram& program, HWND window, int button = IDYES) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(1008, BN_CLICKED), 0);
    HWND question = WaitForQuestion(program);
    if (question == nullptr) return std::wstring();
    std::wstring text = MessageBoxText(question);
    if (text == L"Install now?") Answer(question, button);
    return text;
}

// "Title:Status | Title:Status" of the list's rows.
inline std::wstring Statuses(HWND window) {
    std::wstring text;
    for (const auto& row : ReadListRows(GetDlgItem(window, 1007))) {
        text += (text.empty() ? L"" : L" | ") + row.cells[1] + L":" + row.cells[3];
    }
    return text;
}

}  // namespace tavelin::testing
