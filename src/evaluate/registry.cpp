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

std::vector<std::wstring> EnumerateSubkeyNames(RegistryKey& key) {
    std::vector<std::wstring> names;
    for (std::uint32_t index = 0;; ++index) {
        std::optional<std::wstring> name = key.EnumSubkeyName(index);
        if (!name) break;
        std::wstring trimmed = TrimWhiteSpace(*name);
        if (!trimmed.empty()) names.push_back(std::move(trimmed));
    }
    return names;
}

}  // namespace tavelin
