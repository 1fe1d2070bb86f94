#include "base/folder_trust.h"

#include <gtest/gtest.h>

#include "narrow_text.h"

namespace tavelin {
namespace {

// Only a plain folder, reached by the path asked for and owned by this user, the administrators or
// the system, takes the elevated program's writes; a link wins over whatever it leads to.
TEST(FolderTrust, OnlyAPlainFolderOfTrustedOwnerIsWrittenIn) {
    const struct {
        const char* name;
        FolderFacts facts;
        FolderVerdict verdict;
    } cases[] = {
        {"made by this user", {true, false, true, FolderOwner::ThisUser}, FolderVerdict::Usable},
        {"made elevated", {true, false, true, FolderOwner::Administrators}, FolderVerdict::Usable},
        {"made by the system", {true, false, true, FolderOwner::System}, FolderVerdict::Usable},
        {"made by another user beforehand", {true, false, true, FolderOwner::Other}, FolderVerdict::ForeignOwner},
        {"owner unreadable", {true, false, true, FolderOwner::Unknown}, FolderVerdict::ForeignOwner},
        {"a junction to a folder", {true, true, true, FolderOwner::Administrators}, FolderVerdict::ReparsePoint},
        {"a file link", {false, true, true, FolderOwner::ThisUser}, FolderVerdict::ReparsePoint},
        {"a file", {false, false, true, FolderOwner::ThisUser}, FolderVerdict::NotAFolder},
        {"a link on the way", {true, false, false, FolderOwner::ThisUser}, FolderVerdict::Redirected},
    };
    for (const auto& c : cases) EXPECT_EQ(JudgeFolder(c.facts), c.verdict) << c.name;
}

TEST(FolderTrust, ReachedPathsCompareAsWindowsComparesThem) {
    const struct {
        const wchar_t* reached;
        const wchar_t* requested;
        bool same;
    } cases[] = {
        {L"\\\\?\\C:\\Users\\Ann\\AppData\\Local\\Temp\\Tavelin", L"C:\\Users\\Ann\\AppData\\Local\\Temp\\Tavelin", true},
        {L"\\\\?\\C:\\users\\ann\\temp\\tavelin", L"C:\\Users\\Ann\\Temp\\Tavelin\\", true},
        {L"\\\\?\\UNC\\server\\share\\Tavelin", L"\\\\server\\share\\Tavelin", true},
        {L"\\\\?\\C:\\Windows\\System32", L"C:\\Users\\Ann\\Temp\\Tavelin", false},
        {L"\\\\?\\Z:\\tmp\\target", L"C:\\Temp\\Tavelin", false},
        {L"\\\\?\\C:\\Temp\\Tavelin2", L"C:\\Temp\\Tavelin", false},
        {L"", L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameFolderPath(c.reached, c.requested), c.same) << Narrow(c.reached) << " / " << Narrow(c.requested);
    }
}

}  // namespace
}  // namespace tavelin
