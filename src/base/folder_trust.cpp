#include "base/folder_trust.h"

#include <cwctype>
#include <string>

namespace tavelin {

FolderVerdict JudgeFolder(const FolderFacts& facts) {
    // The link is looked at before the folder it leads to: opened without following it, a
    // junction is not a folder of its own.
    if (facts.reparsePoint) return FolderVerdict::ReparsePoint;
    if (!facts.isFolder) return FolderVerdict::NotAFolder;
    if (!facts.reachedAsNamed) return FolderVerdict::Redirected;
    switch (facts.owner) {
        case FolderOwner::ThisUser:
        case FolderOwner::Administrators:
        case FolderOwner::System: return FolderVerdict::Usable;
        case FolderOwner::Other:
        case FolderOwner::Unknown: return FolderVerdict::ForeignOwner;
    }
    return FolderVerdict::ForeignOwner;
}

const wchar_t* FolderVerdictText(FolderVerdict verdict) {
    switch (verdict) {
        case FolderVerdict::Usable: return L"usable";
        case FolderVerdict::NotAFolder: return L"not a folder";
        case FolderVerdict::ReparsePoint: return L"a junction or link";
        case FolderVerdict::Redirected: return L"reached through a junction or link";
        case FolderVerdict::ForeignOwner: return L"owned by another user";
    }
    return L"?";
}

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share", without trailing separators.
std::wstring Plain(std::wstring_view path) {
    std::wstring text(path);
    for (wchar_t& c : text) {
        if (c == L'/') c = L'\\';
    }
    if (text.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        text = L"\\\\" + text.substr(8);
    } else if (text.rfind(L"\\\\?\\", 0) == 0) {
        text = text.substr(4);
    }
    while (!text.empty() && IsSeparator(text.back())) text.pop_back();
    return text;
}

}  // namespace

bool SameFolderPath(std::wstring_view reached, std::wstring_view requested) {
    const std::wstring a = Plain(reached);
    const std::wstring b = Plain(requested);
    if (a.empty() || a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

}  // namespace tavelin
