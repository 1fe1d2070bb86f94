// Files on a disc as Windows finds them: path components matched without regard to case, so a
// disc written on a case-sensitive file system is judged as the program will see it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavelin {

// The file (or folder) that a disc-relative path names, "\" or "/" separated, leading separators
// ignored; nothing when some component is missing.
std::optional<std::filesystem::path> FindOnDisc(const std::filesystem::path& discRoot, const std::wstring& relative);

// The whole file, at most maxBytes of it; nothing when it cannot be read.
std::optional<std::string> ReadDiscFile(const std::filesystem::path& file, std::uintmax_t maxBytes);

}  // namespace tavelin
