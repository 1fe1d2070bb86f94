#include "driver/console_run.h"

#include <vector>

#include "platform/handles.h"

namespace tavelin::testing {

ConsoleRun RunConsoleProgram(const std::wstring& programPath, const std::wstring& commandLine) {
    ConsoleRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0)) return run;
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(programPath.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return run;
    }
    run.started = true;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    // Only the child holds the write end now: the reads end when it exits.
    writeEnd.Reset();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) run.output.append(buffer, read);
    WaitForSingleObject(process.Get(), INFINITE);
    GetExitCodeProcess(process.Get(), &run.exitCode);
    return run;
}

}  // namespace tavelin::testing
