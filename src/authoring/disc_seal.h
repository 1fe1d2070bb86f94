// tavelin-disc seal: the SHA-256 of every installer (and uninstaller) an item starts from the
// disc, written into the catalogue as the item's "Install_SHA256" ("Uninstall_SHA256"), so that
// the program starts only those files. The rest of the catalogue is kept byte for byte.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/sha256.h"

namespace tavelin {

struct SealOutcome {
    std::wstring error;                // why nothing was written; empty when the seal was written
    std::vector<std::wstring> sealed;  // "Item_3 Install_SHA256 = <digest> (Drivers\VGA\Setup.exe)"
    std::vector<std::wstring> notOnDisc;  // commands whose program is not on the disc: left unsealed
};

SealOutcome SealDisc(const std::filesystem::path& discRoot);

// The digest of a file of the disc, read in pieces; nothing when it cannot be read.
std::optional<Sha256Digest> DiscFileSha256(const std::filesystem::path& file);

}  // namespace tavelin
