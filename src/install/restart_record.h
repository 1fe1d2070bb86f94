// The restart record: what the program leaves in the registry before it restarts Windows in the
// middle of a run, and how it reads it back after the restart. The steps are written over two
// small interfaces so that their order and their diagnostics are the same in the program and in
// tests; install/restart_record_win.h implements them over the registry, files and processes.
#pragma once

#include <cstddef>
#include <string>

#include "config/diagnostics.h"

namespace tavelin {

constexpr wchar_t kRestartRecordKeyPath[] = L"SOFTWARE\\Tavelin";
constexpr wchar_t kWaitingListValueName[] = L"InstallWaitingList";
constexpr wchar_t kFullPathValueName[] = L"FullPathName";
constexpr wchar_t kRunOnceKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr wchar_t kRunOnceValueName[] = L"Tavelin";
constexpr wchar_t kRestartCommandLine[] = L"shutdown -r -t 15";
// The stored list is read into 260 bytes: at most 129 characters and the terminator.
constexpr std::size_t kWaitingListBufferBytes = 260;
constexpr std::size_t kMaxTempFolderLength = 260;

enum class WaitingListRead {
    Read,
    KeyMissing,        // SOFTWARE\Tavelin did not open for reading
    ValueUnreadable,   // the value is missing or does not fit the buffer
};

class RestartRecordStore {
public:
    virtual ~RestartRecordStore() = default;
    // Reads the stored list into a zero-filled buffer of kWaitingListBufferBytes; text is the value up
    // to its first null.
    virtual WaitingListRead ReadWaitingListValue(std::wstring& text) = 0;
    // Deletes SOFTWARE\Tavelin with both its values.
    virtual void DeleteRecord() = 0;
};

// The stored waiting list, trimmed, or an empty text. A read record is deleted and sets resumeMode to
// whether the list is non-empty; when nothing could be read resumeMode is left as it is, the record
// stays for a later start, and the failure is shown under ShowErrorMessage.
std::wstring ReadWaitingList(RestartRecordStore& store, const DiagnosticSwitches& switches, MessageSink& sink,
                             bool& resumeMode);

class RestartSystem {
public:
    virtual ~RestartSystem() = default;
    virtual std::wstring TempPath() = 0;  // ends with a backslash
    virtual bool CreateFolder(const std::wstring& folder) = 0;
    // Keeps an existing target.
    virtual void CopyFileIfAbsent(const std::wstring& from, const std::wstring& to) = 0;
    virtual void SetRunOnce(const std::wstring& commandLine) = 0;
    virtual void WriteRecord(const std::wstring& waitingList) = 0;  // with the program's own full path
    virtual void StartCommand(const std::wstring& commandLine) = 0;
};

// "%sTavelin" with the temporary path, at most kMaxTempFolderLength characters.
std::wstring RestartTempFolder(const std::wstring& tempPath);

// What Windows runs once after the restart: the copied helper's path, quoted when it holds a blank so
// that the system cannot take a shorter path (C:\Documents.exe) for the program.
std::wstring RunOnceCommandOf(const std::wstring& helperPath);

enum class RestartStep {
    CompleteInstead,    // nothing is waiting: handle the end of the run as a normal completion
    RestartScheduled,   // record written, helper registered, restart command started
};

// Copies the helper from the disc's Lib folder to the temporary folder, registers it to run once,
// writes the record and only then starts the restart.
RestartStep RestartAndResume(RestartSystem& system, const std::wstring& discRoot, const std::wstring& waitingList,
                             const DiagnosticSwitches& switches, MessageSink& sink);

}  // namespace tavelin
