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

bool TrimmedSubkeyName(std::wstring& name) {
    TrimWhiteSpaceInPlace(name);
    return !name.empty();
}

std::vector<std::wstring> EnumerateSubkeyNames(RegistryKey& key) {
    std::vector<std::wstring> names;
    ForEachSubkeyName(key, [&names](std::wstring& name) { names.push_back(std::move(name)); });
    return names;
}

std::optional<std::wstring> FirstSubkeyName(RegistryKey& key) {
    for (std::uint32_t index = 0;; ++index) {
        std::optional<std::wstring> name = key.EnumSubkeyName(index);
        if (!name) return std::nullopt;
        TrimWhiteSpaceInPlace(*name);
        if (!name->empty()) return name;
    }
}

}  // namespace tavelin
