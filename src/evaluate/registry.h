// Read-only access to HKEY_LOCAL_MACHINE as detection needs it, with the registry view each key was
// opened in. The program uses the Win32 adapter (platform/registry_win.h); tests, fuzzers and
// benchmarks use MemoryRegistry. Limits are part of the interface because detection results
// depend on them: a value that does not fit its buffer is a failed read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavelin {

// Always named, never left to the process's bitness: the 32-bit and the 64-bit program read and
// write the same places, so either finds what the other did.
enum class RegistryView {
    View32,  // what a 32-bit program sees by default: the 32-bit view on 64-bit Windows
    View64,  // KEY_WOW64_64KEY
};
const wchar_t* RegistryViewName(RegistryView view);

// Subkey names are read into a buffer of this many characters (terminator included).
constexpr std::size_t kKeyNameBufferChars = 260;
// Driver values ("Driver", "DriverVersion", ...) are read into 260 bytes, application versions
// into 80 bytes: 129 and 39 characters plus the terminator.
constexpr std::size_t kDriverValueBufferBytes = 260;
constexpr std::size_t kApplicationValueBufferBytes = 80;

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The name of the subkey at index, or nullopt past the end (or for a name that does not fit
    // kKeyNameBufferChars, which ends the enumeration as it does on Windows).
    virtual std::optional<std::wstring> EnumSubkeyName(std::uint32_t index) = 0;
    // The text of a value read into a zero-filled buffer of bufferBytes, up to its first null; nullopt
    // when the value is missing or its data does not fit the buffer.
    virtual std::optional<std::wstring> QueryStringValue(const std::wstring& name,
                                                        std::size_t bufferBytes) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens a path below HKEY_LOCAL_MACHINE for reading; null when it does not exist.
    virtual std::unique_ptr<RegistryKey> OpenKey(const std::wstring& path, RegistryView view) = 0;
};

// An application location opened in the 32-bit view, or when that fails and Windows is 64-bit,
// in the 64-bit view. key is null when neither attempt succeeded.
struct OpenedKey {
    std::unique_ptr<RegistryKey> key;
    RegistryView view = RegistryView::View32;
};
OpenedKey OpenInEitherView(Registry& registry, const std::wstring& path, bool is64BitWindows);

// Every subkey name from index 0 until the enumeration ends, trimmed of white space, empty names
// left out, in enumeration order.
std::vector<std::wstring> EnumerateSubkeyNames(RegistryKey& key);
// The same names handed to visit(std::wstring&) one by one, for callers that keep them in their own
// form rather than as a list of strings.
template <typename Visit>
void ForEachSubkeyName(RegistryKey& key, Visit&& visit);
// The first name EnumerateSubkeyNames would give, asking for no more names than that takes;
// nothing when it would give none.
std::optional<std::wstring> FirstSubkeyName(RegistryKey& key);

bool TrimmedSubkeyName(std::wstring& name);  // trims in place; false when nothing is left

template <typename Visit>
void ForEachSubkeyName(RegistryKey& key, Visit&& visit) {
    for (std::uint32_t index = 0;; ++index) {
        std::optional<std::wstring> name = key.EnumSubkeyName(index);
        if (!name) return;
        if (TrimmedSubkeyName(*name)) visit(*name);
    }
}

}  // namespace tavelin
