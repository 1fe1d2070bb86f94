// A file opened so that nobody can write, replace, rename or delete it while it is held, and its
// SHA-256 read through that handle: what was hashed is what a process started from it runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/sha256.h"
#include "platform/handles.h"

namespace tavelin {

struct HeldFile {
    UniqueHandle file;                    // invalid when the file could not be opened
    std::optional<Sha256Digest> digest;   // set when the whole file was read
};

HeldFile OpenAndHash(const std::wstring& path);

// The digest of the file as it is now; nothing when it cannot be read whole.
std::optional<Sha256Digest> FileSha256(const std::wstring& path);

}  // namespace tavelin
