#include "driver/logon_resume.h"

#include "../../support/file_contents_win.h"
#include "driver/test_registry.h"
#include "platform/handles.h"

namespace tavelin::testing {

namespace {
const wchar_t kRunOnce[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t kRunOnceValue[] = L"Tavelin";
}  // namespace

LogonStart RunOnceAtLogon(DWORD timeoutMs) {
    LogonStart logon;
    logon.command = ReadRegistryString(kRunOnce, kRunOnceValue);
    if (logon.command == L"<no value>" || logon.command == L"<no key>") return logon;
    DeleteRegistryValue(kRunOnce, kRunOnceValue);
    std::wstring writable = logon.command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return logon;
    }
    logon.started = true;
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    logon.ended = WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
    if (logon.ended) GetExitCodeProcess(process.Get(), &logon.exitCode);
    return logon;
}

std::string WaitForFileText(const std::wstring& path, const std::string& text, DWORD timeoutMs) {
    std::string bytes = ReadFileBytes(path);
    for (DWORD waited = 0; bytes.find(text) == std::string::npos && waited < timeoutMs; waited += 50) {
        Sleep(50);
        bytes = ReadFileBytes(path);
    }
    return bytes;
}

}  // namespace tavelin::testing
