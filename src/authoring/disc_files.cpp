#include "authoring/disc_files.h"

#include <fstream>
#include <system_error>

#include "config/text.h"

namespace tavelin {

namespace {

std::optional<std::filesystem::path> FindChild(const std::filesystem::path& folder, const std::wstring& name) {
    std::error_code error;
    const std::filesystem::path exact = folder / name;
    if (std::filesystem::exists(exact, error)) return exact;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (EqualsNoCase(it->path().filename().wstring(), name)) return it->path();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> FindOnDisc(const std::filesystem::path& discRoot, const std::wstring& relative) {
    std::filesystem::path current = discRoot;
    std::wstring component;
    auto step = [&]() -> bool {
        if (component == L"..") {
            current = current.parent_path();
            component.clear();
            return true;
        }
        // "." and trailing blanks and dots are dropped by Windows' own path handling.
        while (!component.empty() && (component.back() == L' ' || component.back() == L'.')) component.pop_back();
        if (component.empty()) return true;
        const auto child = FindChild(current, component);
        component.clear();
        if (!child) return false;
        current = *child;
        return true;
    };
    for (wchar_t c : relative) {
        if (c == L'\\' || c == L'/') {
            if (!step()) return std::nullopt;
        } else {
            component.push_back(c);
        }
    }
    if (!step()) return std::nullopt;
    return current;
}

std::optional<std::string> ReadDiscFile(const std::filesystem::path& file, std::uintmax_t maxBytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(maxBytes), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace tavelin
