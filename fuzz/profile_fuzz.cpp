// Random bytes as the files of a machine profile: the outline the disc author's checks and the
// profile loader walk, held to the reader's answers; the same bytes as a registry export in both
// bitnesses; and a value written the way the capture writes it, which must read back whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "authoring/reg_export.h"
#include "authoring/reg_file.h"
#include "config/profile_file.h"
#include "config/profile_outline.h"

namespace {

using namespace tavelin;

// A lookup's names are trimmed before they are compared, so a name that ends in white space once
// its text is cut at a null character is one no lookup can ask for.
bool Askable(const std::wstring& name) {
    return name.empty() || (!IsProfileSpace(name.front()) && !IsProfileSpace(name.back()));
}

// Every key the outline says a lookup reaches is one the reader finds.
void CheckOutlineAgainstReader(std::string_view bytes) {
    const ProfileOutline outline = OutlineProfile(bytes);
    const ProfileFile reader = ProfileFile::Parse(bytes);
    for (const OutlineSection& section : outline.sections) {
        if (section.repeated || !Askable(section.name)) continue;
        for (const OutlineKey& key : section.keys) {
            if (key.repeated || !key.hasValue || !Askable(key.name)) continue;
            if (!reader.Find(section.name, key.name)) __builtin_trap();
        }
    }
}

std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// A name and a text from the input, written as one value of a key and read back.
void CheckValueRoundTrip(std::string_view bytes) {
    std::wstring text = DecodeProfileText(bytes, DecodeWindows1252);
    const std::size_t cut = text.find(L'|');
    std::wstring name = cut == std::wstring::npos ? std::wstring() : text.substr(0, cut);
    if (cut != std::wstring::npos) text.erase(0, cut + 1);
    // The program reads a text up to its first null; names of values never hold control characters.
    text = text.substr(0, text.find(L'\0'));
    for (wchar_t c : name) {
        if (c < 0x20) return;
    }
    const std::wstring file = L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fuzz]\r\n" +
                              RegValueLine(name, text) + L"\r\n";
    MemoryRegistry registry;
    if (!LoadRegFile(Utf16File(file), false, registry).ok) __builtin_trap();
    auto key = registry.OpenKey(L"SOFTWARE\\Fuzz", RegistryView::View32);
    if (!key) __builtin_trap();
    const auto read = key->QueryStringValue(name, (text.size() + 1) * sizeof(wchar_t) * 2);
    if (!read || *read != text) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckOutlineAgainstReader(bytes);
    for (bool is64BitWindows : {false, true}) {
        MemoryRegistry registry;
        LoadRegFile(bytes, is64BitWindows, registry);
    }
    CheckValueRoundTrip(bytes);
    return 0;
}
