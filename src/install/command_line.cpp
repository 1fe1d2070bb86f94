#include "install/command_line.h"

#include <vector>

#include "config/text.h"

namespace tavelin {

namespace {

const std::wstring kArgumentSeparator = L"%%";

}  // namespace

std::wstring ComposeCommandLine(const std::wstring& discRoot, const std::wstring& commandText) {
    if (commandText.find(kArgumentSeparator) == std::wstring::npos) {
        return L"\"" + discRoot + commandText + L"\"";
    }
    // Only the command text is rewritten: a disc root that happens to contain "%%" is still one path.
    std::wstring line = L"\"" + discRoot;
    std::size_t start = 0;
    for (std::size_t hit = commandText.find(kArgumentSeparator); hit != std::wstring::npos;
         hit = commandText.find(kArgumentSeparator, start)) {
        line.append(commandText, start, hit - start);
        line += L"\" ";
        start = hit + kArgumentSeparator.size();
    }
    line.append(commandText, start, std::wstring::npos);
    return line;
}

std::wstring ProgramPathOf(const std::wstring& commandText) {
    return commandText.substr(0, commandText.find(kArgumentSeparator));
}

std::wstring WorkingFolderOf(const std::wstring& discRoot, const std::wstring& commandText) {
    const std::vector<std::wstring> entries = SplitList(commandText, kArgumentSeparator);
    if (entries.empty()) return discRoot;
    std::wstring folder = entries.front();
    const std::size_t lastBackslash = folder.rfind(L'\\');
    if (lastBackslash != std::wstring::npos) folder.erase(lastBackslash);
    return discRoot + folder;
}

}  // namespace tavelin
