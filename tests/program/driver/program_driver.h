// The test driver: starts setup.exe on a test disc in a second process and watches it from outside,
// the way a person sees it: its main window (class "CTavelinDlg"), the controls' texts, visibility
// and enabled state, and the message boxes it shows, which it reads and answers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tavelin::testing {

// A Unix path of the build tree as Wine sees it (drive Z:).
std::wstring WindowsPathOfUnixPath(const std::string& unixPath);
// The environment variable, converted as above; empty when unset.
std::wstring PathFromEnvironment(const char* name);
std::wstring Widen(const std::string& utf8);

// A disc folder of its own under C:\tavelin-tests, with the program copied in.
class TestDisc {
public:
    enum class Libraries { StandIns, None };

    // `programRelativePath` is where setup.exe goes, relative to the folder (the disc root is the
    // program's folder). With StandIns, the disc's Lib gets the hardware-query stand-ins, the
    // driver placeholder and the skins of the built demo disc (TAVELIN_DISC_DIR).
    explicit TestDisc(const std::wstring& name, const std::wstring& programRelativePath = L"setup.exe",
                      Libraries libraries = Libraries::StandIns);

    const std::wstring& Folder() const { return m_folder; }
    const std::wstring& ProgramPath() const { return m_programPath; }
    std::wstring DiscRoot() const;  // the program's folder

    // Writes Lib\TAVELIN.INI under the disc root, UTF-8 with a byte-order mark.
    void WriteIni(const std::string& utf8Text) const;
    void WriteFile(const std::wstring& relativePath, const std::string& bytes) const;
    // Copies a file of the build tree (a Windows path) to a path relative to the disc root.
    void CopyIn(const std::wstring& source, const std::wstring& relativePath) const;
    // Copies every file of the built demo disc's Lib\Skin into the disc's Lib\Skin.
    void CopySkins() const;
    // Puts the scripted hardware-query libraries (tests/doubles) in place of the stand-ins, with
    // `script` as their Lib\DOUBLES.TXT (model=, fail=, enum=, usb= lines).
    void UseScriptedLibraries(const std::string& script) const;

private:
    std::wstring m_folder;
    std::wstring m_programPath;
};

struct ControlState {
    std::wstring text;
    bool exists = false;
    bool visible = false;
    bool enabled = false;
};

struct MessageBoxSeen {
    std::wstring text;
    bool showsIcon = false;
};

class RunningProgram {
public:
    // Starts `programPath` with the whole `commandLine` (argument 0 included) in `workingFolder`.
    RunningProgram(const std::wstring& programPath, const std::wstring& commandLine,
                   const std::wstring& workingFolder = L"");
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD ProcessId() const { return m_processId; }

    // The main window once it is visible; null after the timeout or when the program ended.
    HWND WaitForMainWindow(DWORD timeoutMs = 30000) const;
    // The main window whether visible or not (it exists, hidden, while startup shows messages).
    HWND FindMainWindow() const;
    // A visible message box of the program; null after the timeout or when the program ended.
    HWND WaitForMessageBox(DWORD timeoutMs = 30000) const;
    bool WaitForExit(DWORD timeoutMs = 30000) const;
    // Watches the program until it ends: true when it ended within the timeout and never showed a
    // window (main window, message box or any other) meanwhile.
    bool EndsWithoutShowingAnyWindow(DWORD timeoutMs = 20000) const;
    bool HasEnded() const { return WaitForExit(0); }
    // The program's exit code once it has ended; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

    // Reads every message box in turn, answering each with OK, until the program shows its main
    // window or ends. Returns the texts in order.
    std::vector<std::wstring> CollectMessagesUntilSettled(DWORD timeoutMs = 30000) const;
    // The same, with what else each box showed.
    std::vector<MessageBoxSeen> CollectMessageBoxesUntilSettled(DWORD timeoutMs = 30000) const;

    // Closes the main window as the close box does, and waits for the program to end.
    bool Close(DWORD timeoutMs = 30000) const;

private:
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
};

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
ControlState ReadControl(HWND dialog, int id);
// The text of a message box (its static 0xFFFF).
std::wstring MessageBoxText(HWND box);
// Whether a message box shows an icon beside its text.
bool MessageBoxShowsIcon(HWND box);
// Posts a click to a button of a message box (IDOK, IDYES, IDNO); sending would block while the
// program's handler has a modal box open.
void AnswerMessageBox(HWND box, int buttonId);

// Saves what the screen shows of a window as a bitmap under the artefacts folder
// (TAVELIN_ARTIFACTS); does nothing without one.
void SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace tavelin::testing
