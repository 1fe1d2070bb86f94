// The logon's part of a resume, done by the test as Windows does it at the next logon: the
// program's RunOnce value is read and deleted before its command starts (so that a command that
// fails is not run at every logon), then the command runs; the helper it names starts the disc
// program and ends.
#pragma once

#include <windows.h>

#include <string>

namespace tavelin::testing {

struct LogonStart {
    std::wstring command;  // the RunOnce value as found; "<no value>" when there was none
    bool started = false;
    bool ended = false;  // within the timeout
    DWORD exitCode = STILL_ACTIVE;
};

// Reads and deletes HKLM\...\RunOnce "Tavelin" (the program's view), starts its command and waits
// for it to end. Nothing is started when there is no value.
LogonStart RunOnceAtLogon(DWORD timeoutMs = 60000);

// The file's bytes once they hold `text`, or as they are when the timeout passed: a run the helper
// started is seen through its log.
std::string WaitForFileText(const std::wstring& path, const std::string& text, DWORD timeoutMs = 60000);

}  // namespace tavelin::testing
