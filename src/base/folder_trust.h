// Whether an elevated program may create and delete files in a folder: only when nobody without
// administrator rights can have put the folder there or send its operations elsewhere. The facts
// come from the folder as it was opened (by handle, not by path), so that what was judged is what
// is written in.
#pragma once

#include <string_view>

namespace tavelin {

enum class FolderOwner {
    ThisUser,        // the user this process runs as (also what Windows records for a SYSTEM start)
    Administrators,  // what an elevated process records as the owner of what it makes
    System,
    Other,           // anyone else: a standard user who made the folder beforehand
    Unknown,         // the owner could not be read
};

struct FolderFacts {
    bool isFolder = false;
    bool reparsePoint = false;  // a junction or link in the folder's place
    // Whether the folder the handle reached has the path that was asked for: a link in any of the
    // path's folders sends the handle elsewhere. True when the system cannot say (before Vista).
    bool reachedAsNamed = false;
    FolderOwner owner = FolderOwner::Unknown;
};

enum class FolderVerdict {
    Usable,
    NotAFolder,
    ReparsePoint,
    Redirected,
    ForeignOwner,
};

FolderVerdict JudgeFolder(const FolderFacts& facts);

// "a junction or link", ...: for the log's line on why a folder was not used.
const wchar_t* FolderVerdictText(FolderVerdict verdict);

// Whether the path a handle reached (as the system reports it, "\\?\C:\..." or "\\?\UNC\...")
// names the same folder as the path that was opened, compared as Windows compares paths.
bool SameFolderPath(std::wstring_view reached, std::wstring_view requested);

}  // namespace tavelin
