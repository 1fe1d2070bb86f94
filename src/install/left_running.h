// Processes an installer leaves behind on purpose. An installer whose last act is to start a
// resident program (a tray utility that runs until the user logs off) keeps its job active for
// ever, and without a time limit the run would wait for it for ever. Once the installer's own
// process has ended, a process it left that runs a program registered to start at every logon
// (the image named by a value of a Run key) is left running and no longer waited for: the
// installer meant it to run beyond the installation. A hand-off child, msiexec or an extracted
// setup is registered nowhere like that, so it is still waited for, however long it takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavelin {

// A process still in the installer's job; `imagePath` empty when it could not be read.
struct LeftProcess {
    std::uint32_t id = 0;
    std::wstring imagePath;
};

// A value of a Run key: `where` names the key (and view) for the log, `command` is its data, with
// its environment variables expanded.
struct LogonProgram {
    std::wstring where;
    std::wstring name;
    std::wstring command;
};

// Reads the programs registered to start at every logon.
class LogonPrograms {
public:
    virtual ~LogonPrograms() = default;
    virtual std::vector<LogonProgram> Registered() = 0;
};

// The program files a logon command may start, as Windows reads a command line: the quoted part
// of a quoted command; for an unquoted one the text up to each blank and the whole text (a path
// with blanks left unquoted), each also with ".exe" where it names no extension.
std::vector<std::wstring> ProgramPathsOfCommand(const std::wstring& command);

// The same file: compared without regard to case or to the "\\?\" prefix.
bool SameProgramPath(const std::wstring& a, const std::wstring& b);

struct ResidentProcess {
    LeftProcess process;
    LogonProgram program;  // the value that starts its image at every logon
};

struct LeftProcessesVerdict {
    // True only when the installer's own process has ended and every process left runs a
    // registered logon program: those are left running, and the install counts as ended.
    bool stopWaiting = false;
    std::vector<ResidentProcess> leftRunning;  // when stopWaiting
};

// `left` is every process still in the job once the installer's own process has ended. A process
// whose image is unknown or not registered, or an empty list, keeps the wait going.
LeftProcessesVerdict JudgeLeftProcesses(const std::vector<LeftProcess>& left, const std::vector<LogonProgram>& programs);

// The log lines; `what` names the command ("Item 4: install").
// "Item 4: install: its own process ended; waiting for the processes it started: 1234 C:\x\y.exe, ..."
std::wstring StillRunningAfterOwnEndText(const std::wstring& what, const std::vector<LeftProcess>& left);
// "Item 4: install: left running: C:\Tray\tray.exe (process 1234), started at every logon by
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run "Tray""
std::wstring LeftRunningText(const std::wstring& what, const ResidentProcess& resident);

}  // namespace tavelin
