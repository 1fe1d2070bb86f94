// Running a console program of the build (the disc author's tools) to its end and keeping what it
// wrote on its standard output.
#pragma once

#include <windows.h>

#include <string>

namespace tavelin::testing {

struct ConsoleRun {
    bool started = false;
    DWORD exitCode = 0;
    std::string output;  // standard output and standard error together, as written
};

// Runs `programPath` with the whole `commandLine` (argument 0 included) and waits for it.
ConsoleRun RunConsoleProgram(const std::wstring& programPath, const std::wstring& commandLine);

}  // namespace tavelin::testing
