// The application object: the run log of this start, common controls, the main window class, the
// single-instance guard and the modal main dialog.
#pragma once

#include <windows.h>

#include <memory>

#include "config/run_options.h"
#include "platform/handles.h"
#include "runlog/run_log.h"

class CTavelinApp {
public:
    explicit CTavelinApp(HINSTANCE instance) : m_hInstance(instance) {}

    // Always false: the program ends when the main dialog ends (or at once for a second copy,
    // a bad switch or the usage).
    bool InitInstance();
    // What the program exits with (install/exit_code.h).
    int ExitCode() const { return m_nExitCode; }

private:
    // The program, its version and bitness, and how it was started: the head of every log.
    void LogProgramStart();
    // False when another copy holds the guard: this one ends at once.
    bool RunMainDialog();
    bool RegisterMainWindowClass();
    bool TakeSingleInstanceGuard();
    // /?: on the console the program was started from, when there is one; else in a message box.
    void ShowUsage();

    HINSTANCE m_hInstance;
    tavelin::RunOptions m_options;
    int m_nExitCode = 0;
    // Held, and owned, until the process ends: other copies find the name and end.
    tavelin::UniqueHandle m_hInstanceMutex;
    // Shared with the dialog and an installation run, which may outlive it.
    std::shared_ptr<tavelin::RunLog> m_log;
};
