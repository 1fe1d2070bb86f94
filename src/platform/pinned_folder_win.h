// A folder held open by handle, and the file operations an elevated program does in it made
// relative to that handle: the folder cannot be swapped for a junction or link between the check
// and the write, and no name in it is followed elsewhere (a link in the folder is itself deleted,
// never what it points to).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/folder_trust.h"
#include "platform/handles.h"

namespace tavelin {

class PinnedFolder {
public:
    // Opens `path` without following a link in its place and without sharing it for deletion, so
    // that it cannot be renamed away while held, and reads its facts. Invalid when it did not open.
    // `forDeletion` also asks for the right to delete the folder itself (DeleteFolderWhenClosed).
    static PinnedFolder Open(const std::wstring& path, bool forDeletion = false);

    bool Valid() const { return m_folder.Valid(); }
    const FolderFacts& Facts() const { return m_facts; }
    FolderVerdict Verdict() const { return Valid() ? JudgeFolder(m_facts) : FolderVerdict::NotAFolder; }
    const std::wstring& Path() const { return m_path; }

    // The names of the files directly in the folder (no folders, links included as names).
    std::vector<std::wstring> FileNames() const;
    // Deletes the name in the folder (a link itself, not its target). False when it stays.
    bool DeleteFileNamed(const std::wstring& name) const;
    // Creates a file that did not exist, for writing, shared for reading only. Invalid when the name
    // is taken (`nameTaken` then true) or the file could not be made.
    UniqueHandle CreateNewFile(const std::wstring& name, bool& nameTaken) const;
    // Deletes the (empty) folder when the handle is released.
    bool DeleteFolderWhenClosed() const;

private:
    UniqueHandle m_folder;
    FolderFacts m_facts;
    std::wstring m_path;
};

// Who owns what `handle` (opened with READ_CONTROL) refers to, judged against this process's user.
FolderOwner OwnerOfHandle(HANDLE handle);

// Whether `handle` reached `requestedPath` itself, not another place through a link on the way;
// true where the system cannot say (before Vista).
bool HandleReachedPath(HANDLE handle, const std::wstring& requestedPath);

}  // namespace tavelin
