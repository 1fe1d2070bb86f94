#include "install/left_running.h"

#include "base/folder_trust.h"
#include "config/text.h"

namespace tavelin {

namespace {

bool NamesAnExtension(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
}

void AddWithExtension(std::vector<std::wstring>& paths, const std::wstring& path) {
    const std::wstring trimmed = TrimWhiteSpace(path);
    if (trimmed.empty()) return;
    paths.push_back(trimmed);
    if (!NamesAnExtension(trimmed)) paths.push_back(trimmed + L".exe");
}

std::wstring ProcessText(const LeftProcess& process) {
    return DecimalText(process.id) + L" " + (process.imagePath.empty() ? L"(image unknown)" : process.imagePath);
}

}  // namespace

std::vector<std::wstring> ProgramPathsOfCommand(const std::wstring& command) {
    std::vector<std::wstring> paths;
    const std::wstring text = TrimWhiteSpace(command);
    if (text.empty()) return paths;
    if (text[0] == L'"') {
        const std::size_t close = text.find(L'"', 1);
        AddWithExtension(paths, text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
        return paths;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsWhiteSpace(text[i]) && i > 0 && !IsWhiteSpace(text[i - 1])) AddWithExtension(paths, text.substr(0, i));
    }
    AddWithExtension(paths, text);
    return paths;
}

bool SameProgramPath(const std::wstring& a, const std::wstring& b) {
    // A file's path compares as a folder's does: the same prefixes, separators and case rules.
    return SameFolderPath(a, b);
}

LeftProcessesVerdict JudgeLeftProcesses(const std::vector<LeftProcess>& left, const std::vector<LogonProgram>& programs) {
    LeftProcessesVerdict verdict;
    if (left.empty()) return verdict;
    for (const LeftProcess& process : left) {
        const LogonProgram* registering = nullptr;
        for (const LogonProgram& program : programs) {
            for (const std::wstring& path : ProgramPathsOfCommand(program.command)) {
                if (SameProgramPath(process.imagePath, path)) registering = &program;
            }
            if (registering != nullptr) break;
        }
        if (registering == nullptr) return LeftProcessesVerdict{};
        verdict.leftRunning.push_back(ResidentProcess{process, *registering});
    }
    verdict.stopWaiting = true;
    return verdict;
}

std::wstring StillRunningAfterOwnEndText(const std::wstring& what, const std::vector<LeftProcess>& left) {
    std::wstring text = what + L": its own process ended; waiting for the processes it started:";
    for (std::size_t i = 0; i < left.size(); ++i) text += (i == 0 ? L" " : L", ") + ProcessText(left[i]);
    return text;
}

std::wstring LeftRunningText(const std::wstring& what, const ResidentProcess& resident) {
    return what + L": left running: " + resident.process.imagePath + L" (process " + DecimalText(resident.process.id) +
           L"), started at every logon by " + resident.program.where + L" \"" + resident.program.name + L"\"";
}

}  // namespace tavelin
