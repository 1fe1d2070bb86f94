// What the program under test started, seen through the recording program of tests/doubles: a
// test puts copies of it under the names of the programs the disc program starts, where Windows
// keeps them (the prefix is thrown away after the group) and where a planted copy would be found
// (beside setup.exe, in its current directory); each copy notes its command line and its own path
// in the registry when it runs.
#pragma once

#include <windows.h>

#include <string>

#include "driver/program_driver.h"

namespace tavelin::testing {

// Puts the recording program into the disc's folder (beside setup.exe) as `fileName`, e.g.
// L"NOTEPAD.EXE", and forgets what an earlier copy of that name recorded.
void PlaceRecorderAs(const TestDisc& disc, const std::wstring& fileName);

// Puts the recording program at `fullPath` (any existing folder), e.g. over a system program of the
// prefix or as a planted copy in a current directory; false when it could not be copied.
bool PlaceRecorderAt(const std::wstring& fullPath);

// The Windows and the system folder as the program under test sees them (the test driver has its
// bitness): where the shell, and the editor and the restart command, are kept.
std::wstring WindowsFolder();
std::wstring SystemFolder();

// Where a program started as SystemFolder()\X.exe really runs from, and so the path it reports as
// its own: a 32-bit program on 64-bit Windows is redirected to the 32-bit system folder (SysWOW64),
// which holds 32-bit copies of the system's programs; any other program runs from the system
// folder itself. A copy put at SystemFolder()\X.exe lands there too, through the same redirection.
std::wstring SystemFolderAsRunFrom();

// Forgets what the copy named `programName` (its file name without extension) recorded.
void ForgetRecordedStart(const std::wstring& programName);

// The command line the copy named `programName` was started with, once it has run; empty when it
// did not run within the timeout.
std::wstring WaitForRecordedStart(const std::wstring& programName, DWORD timeoutMs = 20000);

// The full path of the copy named `programName` that ran (read after WaitForRecordedStart); empty
// when none ran.
std::wstring RecordedStartPath(const std::wstring& programName);

// Whether two Windows paths name the same file as written (case does not matter).
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace tavelin::testing
