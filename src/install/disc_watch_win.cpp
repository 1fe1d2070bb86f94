#include "install/disc_watch_win.h"

#include <windows.h>

#include <filesystem>
#include <utility>

#include "install/disc_identity.h"
#include "install/disc_presence.h"

namespace tavelin {

namespace {

// An empty drive would otherwise make Windows show its own "There is no disk in the drive" box,
// which the run neither owns nor can answer. The mode is the process's (a per-thread mode needs
// Windows 7), so it is put back at once.
class CriticalErrorsFailQuietly {
public:
    CriticalErrorsFailQuietly() : m_previous(SetErrorMode(SEM_FAILCRITICALERRORS)) {
        SetErrorMode(m_previous | SEM_FAILCRITICALERRORS);
    }
    ~CriticalErrorsFailQuietly() { SetErrorMode(m_previous); }
    CriticalErrorsFailQuietly(const CriticalErrorsFailQuietly&) = delete;
    CriticalErrorsFailQuietly& operator=(const CriticalErrorsFailQuietly&) = delete;

private:
    UINT m_previous;
};

}  // namespace

Win32DiscWatch::Win32DiscWatch(std::wstring discRoot, std::wstring discIdentity)
    : m_discRoot(std::move(discRoot)), m_discIdentity(std::move(discIdentity)) {}

DiscState Win32DiscWatch::Check() {
    const CriticalErrorsFailQuietly quietly;
    // With its backslash, so that a drive's root ("E:") is the root and not the drive's current folder.
    const DWORD attributes = GetFileAttributesW((m_discRoot + L"\\").c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring identityNow;
    if (isFolder && !m_discIdentity.empty()) {
        identityNow = DiscIdentityOf(std::filesystem::path(m_discRoot + L"\\Lib\\TAVELIN.INI"));
    }
    return DiscStateOf(isFolder, m_discIdentity, identityNow);
}

}  // namespace tavelin
