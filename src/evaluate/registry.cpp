#include "evaluate/registry.h"

#include "config/text.h"

namespace tavelin {

const wchar_t* RegistryViewName(RegistryView view) {
    switch (view) {
    case RegistryView::View32: return L"32-bit";
    case RegistryView::View64: return L"64-bit";
    }
    return L"?";
}

OpenedKey OpenInEitherView(Registry& registry, const std::wstring& path, bool is64BitWindows) {
    OpenedKey opened;
    opened.key = registry.OpenKey(path, RegistryView::View32);
    if (!opened.key && is64BitWindows) {
        opened.key = registry.OpenKey(path, RegistryView::View64);
        opened.view = RegistryView::View64;
    }
    return opened;
}

namespace {

// TrimWhiteSpace in the string itself: a device bus has thousands of names to trim.
void TrimInPlace(std::wstring& text) {
    std::size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
    text.resize(end);
    std::size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin])) ++begin;
    if (begin > 0) text.erase(0, begin);
}

}  // namespace

std::vector<std::wstring> EnumerateSubkeyNames(RegistryKey& key) {
    std::vector<std::wstring> names;
    for (std::uint32_t index = 0;; ++index) {
        std::optional<std::wstring> name = key.EnumSubkeyName(index);
        if (!name) break;
        TrimInPlace(*name);
        if (!name->empty()) names.push_back(std::move(*name));
    }
    return names;
}

std::optional<std::wstring> FirstSubkeyName(RegistryKey& key) {
    for (std::uint32_t index = 0;; ++index) {
        std::optional<std::wstring> name = key.EnumSubkeyName(index);
        if (!name) return std::nullopt;
        TrimInPlace(*name);
        if (!name->empty()) return name;
    }
}

}  // namespace tavelin
