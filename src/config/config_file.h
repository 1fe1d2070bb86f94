// Reading the disc's configuration values (TAVELIN.INI and the skin files): the raw value as the
// private-profile reader gives it, cut at the first ";" and trimmed. The file is parsed once and
// kept; it is parsed again only when its size or time stamp changes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "config/profile_file.h"

namespace tavelin {

class ConfigFile {
public:
    explicit ConfigFile(std::filesystem::path path, AnsiDecoder decodeAnsi = DecodeWindows1252);

    const std::filesystem::path& Path() const { return m_path; }

    // The raw value as GetPrivateProfileStringW gives it, with "" as the default.
    std::wstring ReadRaw(const std::wstring& section, const std::wstring& key) const;

    // Raw value cut at the first ";", TrimLineBreaks, then white space removed at the end and start.
    std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key) const;
    // ReadIniValue upper-cased and trimmed again.
    std::wstring ReadIniValueUpper(const std::wstring& section, const std::wstring& key) const;
    // True exactly when ReadIniValueUpper gives "1".
    bool ReadIniFlag(const std::wstring& section, const std::wstring& key) const;
    // ParseLeadingInt of ReadIniValue.
    int ReadIniNumber(const std::wstring& section, const std::wstring& key) const;

private:
    const ProfileFile& Profile() const;

    std::filesystem::path m_path;
    AnsiDecoder m_decodeAnsi;
    mutable std::shared_ptr<const ProfileFile> m_profile;
    mutable std::uintmax_t m_loadedSize = 0;
    mutable std::filesystem::file_time_type m_loadedTime{};
    mutable bool m_loaded = false;
};

// Cleans one raw value the way ReadIniValue does (also used for the skin files).
std::wstring CleanIniValue(std::wstring raw);

// The disc's tag for a user-interface language: ReadIniValue("OS_Language_Tag", languageCode).
std::wstring LookupLanguageTag(const ConfigFile& config, const std::wstring& languageCode);

// "Title_%s" / "Description_%s" with the tag, or "Title_ENG" / "Description_ENG" when it is empty.
enum class LocalizedBase { Title, Description };
std::wstring LocalizedKey(LocalizedBase base, const std::wstring& languageTag);
// The fallback key read when the localized one is empty: "Title_Eng" or "Description_ENG".
std::wstring FallbackKey(LocalizedBase base);

}  // namespace tavelin
