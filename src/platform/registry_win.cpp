#include "platform/registry_win.h"

#include <windows.h>

#include <vector>

#include "platform/handles.h"
#include "platform/registry_view_win.h"

namespace tavelin {

namespace {

class Win32Key : public RegistryKey {
public:
    explicit Win32Key(UniqueKey key) : m_key(std::move(key)) {}

    std::optional<std::wstring> EnumSubkeyName(std::uint32_t index) override {
        wchar_t name[kKeyNameBufferChars] = {};
        if (RegEnumKeyW(m_key.Get(), index, name, kKeyNameBufferChars) != ERROR_SUCCESS) return std::nullopt;
        return std::wstring(name);
    }

    std::optional<std::wstring> QueryStringValue(const std::wstring& name, std::size_t bufferBytes) override {
        // One spare, always-zero character after the buffer: a value that fills it exactly without a
        // terminator still ends.
        std::vector<wchar_t> buffer(bufferBytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(bufferBytes);
        if (RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                             &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::wstring(buffer.data());
    }

private:
    UniqueKey m_key;
};

}  // namespace

unsigned long RegistryReadAccess(RegistryView view) {
    return KEY_READ | RegistryViewFlag(view);
}

std::unique_ptr<RegistryKey> Win32Registry::OpenKey(const std::wstring& path, RegistryView view) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, RegistryReadAccess(view), key.Receive()) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32Key>(std::move(key));
}

}  // namespace tavelin
