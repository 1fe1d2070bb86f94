// The identity of a disc as the restart record keeps it: the SHA-256 of its catalogue file's
// bytes, as 64 lower-case hexadecimal digits. Two discs built with this program differ in their
// catalogues, so a record written by one is not taken for the other's; a copy of the same disc
// (another drive, a folder) has the same identity.
#pragma once

#include <filesystem>
#include <string>

namespace tavelin {

// Empty when the file cannot be read: such a disc holds no record back.
std::wstring DiscIdentityOf(const std::filesystem::path& catalogue);

}  // namespace tavelin
