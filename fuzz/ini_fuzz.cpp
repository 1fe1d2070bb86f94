// Random bytes as a configuration file: parsing, lookups of names taken from the input, and the
// value helpers every reader applies afterwards.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "config/profile_file.h"
#include "config/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavelin;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ProfileFile profile = ProfileFile::Parse(bytes);

    // Names from the first bytes, so that the fuzzer can steer lookups at what the file contains.
    const std::wstring text = DecodeProfileText(bytes.substr(0, 64), DecodeWindows1252);
    const std::size_t cut = text.find(L'|');
    const std::wstring section = text.substr(0, cut);
    const std::wstring key = cut == std::wstring::npos ? std::wstring() : text.substr(cut + 1);

    for (const auto& name : {section, key, std::wstring()}) {
        const auto value = profile.Find(section, name);
        if (!value) continue;
        if (value->size() > ProfileFile::kMaxValueLength) __builtin_trap();
        const std::wstring cleaned = CleanIniValue(std::wstring(*value));
        if (cleaned.find(L';') != std::wstring::npos) __builtin_trap();
        for (const auto& separator : {std::wstring(L","), std::wstring(L"."), std::wstring(L"--")}) {
            for (const std::wstring& entry : SplitList(cleaned, separator)) ParseLeadingInt(entry);
        }
        ToUpperText(cleaned);
    }
    DecodeUtf8(bytes);
    return 0;
}
