// tavelin-profile: captures the machine it runs on as a profile for "tavelin-disc simulate".
// It sits on the disc beside setup.exe and reads the machine through the disc's own libraries.
//   tavelin-profile [--overwrite] [PROFILE.ini]
// writes PROFILE.ini (by default machine-profile.ini on the desktop) and, beside it, the registry
// keys the disc's catalogue leads to as PROFILE.reg. Both are made new: it often runs as
// administrator and writes where others may have put a link or a file by those names, so a name
// that is taken is left alone unless --overwrite is given. Exit codes: 0 written, 1 written but
// something could not be read (said on the error stream), 2 not written.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "authoring/machine_capture_win.h"
#include "authoring/report.h"
#include "platform/dll_search_win.h"
#include "platform/handles.h"
#include "platform/program_path_win.h"

namespace {

constexpr int kExitIncomplete = 1;
constexpr int kExitNotWritten = 2;

void Say(std::FILE* stream, const std::wstring& text) {
    const std::string bytes = tavelin::EncodeUtf8(text + L"\n");
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

std::filesystem::path DefaultProfilePath() {
    wchar_t desktop[MAX_PATH + 1] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop) != S_OK) return L"machine-profile.ini";
    return std::filesystem::path(desktop) / L"machine-profile.ini";
}

bool WriteWhole(const std::filesystem::path& file, const std::string& bytes, bool overwrite) {
    tavelin::UniqueHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    return WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // It loads the disc's libraries, often as administrator, from a folder others may write.
    tavelin::RestrictDllSearchToSystemFolder();
    bool overwrite = false;
    std::vector<std::wstring> operands;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--overwrite") {
            overwrite = true;
        } else {
            operands.emplace_back(argv[i]);
        }
    }
    if (operands.size() > 1) {
        Say(stderr, L"usage: tavelin-profile [--overwrite] [PROFILE.ini]");
        return kExitNotWritten;
    }
    const std::filesystem::path profileFile = operands.size() == 1 ? std::filesystem::path(operands[0]) : DefaultProfilePath();
    std::filesystem::path registryFile = profileFile;
    registryFile.replace_extension(L".reg");

    std::wstring discRoot = tavelin::RunningProgramPath();
    discRoot.erase(discRoot.rfind(L'\\') == std::wstring::npos ? 0 : discRoot.rfind(L'\\'));
    const tavelin::MachineCapture capture = tavelin::CaptureMachine(discRoot);

    if (!WriteWhole(registryFile, capture.registryExport, overwrite) ||
        !WriteWhole(profileFile, tavelin::MachineProfileText(capture.profile, registryFile.filename().wstring()),
                    overwrite)) {
        Say(stderr, L"tavelin-profile: " + profileFile.wstring() + L" or " + registryFile.wstring() +
                        L" could not be made" + (overwrite ? L"" : L" (a file by that name is kept; --overwrite replaces it)"));
        return kExitNotWritten;
    }
    for (const std::wstring& problem : capture.problems) Say(stderr, L"tavelin-profile: " + problem);
    Say(stdout, L"Profile written to " + profileFile.wstring() + L" and " + registryFile.wstring());
    return capture.problems.empty() ? 0 : kExitIncomplete;
}
