// What the program under test started, seen through the recording program of tests/doubles: a
// test disc gets copies of it under the names of the programs the disc program starts, and each
// copy notes its command line in the registry when it runs.
#pragma once

#include <windows.h>

#include <string>

#include "driver/program_driver.h"

namespace tavelin::testing {

// Puts the recording program into the disc's folder (beside setup.exe) as `fileName`, e.g.
// L"NOTEPAD.EXE", and forgets what an earlier copy of that name recorded.
void PlaceRecorderAs(const TestDisc& disc, const std::wstring& fileName);

// Forgets what the copy named `programName` (its file name without extension) recorded.
void ForgetRecordedStart(const std::wstring& programName);

// The command line the copy named `programName` was started with, once it has run; empty when it
// did not run within the timeout.
std::wstring WaitForRecordedStart(const std::wstring& programName, DWORD timeoutMs = 20000);

}  // namespace tavelin::testing
