// Reading the disc's configuration values (TAVELIN.INI and the skin files): the raw value as the
// private-profile reader gives it, cut at the first ";" and trimmed. The file is parsed once and
// kept; it is parsed again only when its size or time stamp changes. A missing file reads as empty,
// and so does one larger than kMaxConfigFileBytes.
//
// Not thread-safe: every read happens on the user-interface thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "config/profile_file.h"

namespace tavelin {

// A real catalogue is tens of kilobytes (a few hundred at most, with descriptions in many
// languages), a skin file a few hundred bytes. Anything larger is not a disc's file: it is not read
// at all rather than held in memory whole.
inline constexpr std::uintmax_t kMaxConfigFileBytes = 4 * 1024 * 1024;

// Told of every value a ConfigFile is asked for. The disc author's checks learn this way which
// sections and keys the program's own readers look at, instead of keeping a list that could drift.
class ConfigReadObserver {
public:
    virtual ~ConfigReadObserver() = default;
    virtual void OnRead(const std::wstring& section, const std::wstring& key) = 0;
};

class ConfigFile {
public:
    // How long a parse is trusted before the file's size and time stamp are looked at again. The
    // catalogue loader reads tens of thousands of values in a burst; asking the file system for
    // each one would cost more than the parse itself.
    static constexpr std::chrono::milliseconds kDefaultRecheckInterval{200};

    explicit ConfigFile(std::filesystem::path path, AnsiDecoder decodeAnsi = DecodeWindows1252,
                        std::chrono::milliseconds recheckInterval = kDefaultRecheckInterval);

    const std::filesystem::path& Path() const { return m_path; }

    // The raw value as GetPrivateProfileStringW gives it, with "" as the default.
    std::wstring ReadRaw(std::wstring_view section, std::wstring_view key) const;

    // Raw value cut at the first ";", TrimLineBreaks, then white space removed at the end and start.
    std::wstring ReadIniValue(std::wstring_view section, std::wstring_view key) const;
    // ReadIniValue upper-cased and trimmed again.
    std::wstring ReadIniValueUpper(std::wstring_view section, std::wstring_view key) const;
    // True exactly when ReadIniValueUpper gives "1".
    bool ReadIniFlag(std::wstring_view section, std::wstring_view key) const;
    // The leading decimal integer of ReadIniValue, as _wtoi reads it; 0 when there is none.
    int ReadIniNumber(std::wstring_view section, std::wstring_view key) const;

    // The same reads of many keys of one section. The catalogue loader reads dozens of keys of each
    // item's section; this finds the section once per parse of the file instead of once per key.
    // Each read answers exactly as the ConfigFile read of the same section and key, also after the
    // file changed. Must not outlive its ConfigFile.
    class SectionReader {
    public:
        using KeyName = ProfileFile::KeyName;
        SectionReader(const ConfigFile& config, std::wstring section);
        std::wstring Value(std::wstring_view key) const;  // ReadIniValue
        std::wstring Upper(std::wstring_view key) const;  // ReadIniValueUpper
        bool Flag(std::wstring_view key) const;           // ReadIniFlag
        int Number(std::wstring_view key) const;          // ReadIniNumber
        // The same for a key name made ready once for many sections.
        std::wstring Value(const KeyName& key) const;
        std::wstring Upper(const KeyName& key) const;
        bool Flag(const KeyName& key) const;
        int Number(const KeyName& key) const;

    private:
        const ProfileFile::Section* Current() const;
        std::wstring_view Cleaned(std::wstring_view key) const;
        std::wstring_view Cleaned(const KeyName& key) const;

        const ConfigFile& m_config;
        std::wstring m_section;
        mutable std::uint64_t m_parse = 0;  // the parse m_found belongs to; 0 for none yet
        mutable const ProfileFile::Section* m_found = nullptr;
    };

    // Null (the default) or an observer that outlives every read made while it is set.
    void SetReadObserver(ConfigReadObserver* observer) { m_observer = observer; }

private:
    // Tells the observer, when there is one, of a value asked for.
    void Observe(std::wstring_view section, std::wstring_view key) const;
    struct FileStamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool operator==(const FileStamp& other) const {
            return exists == other.exists && size == other.size && time == other.time;
        }
    };
    FileStamp CurrentStamp() const;
    const ProfileFile& Profile() const;

    std::filesystem::path m_path;
    AnsiDecoder m_decodeAnsi;
    std::chrono::milliseconds m_recheckInterval;
    mutable std::unique_ptr<const ProfileFile> m_profile;
    mutable std::uint64_t m_parse = 0;  // counts the parses of the file: 1 for the first
    mutable FileStamp m_loadedStamp;
    mutable std::uint32_t m_lastCheckMs = 0;  // IntervalClockMs when the file was last looked at
    ConfigReadObserver* m_observer = nullptr;
};

// Cleans one raw value the way ReadIniValue does (also used for the skin files).
std::wstring CleanIniValue(std::wstring_view raw);
// The same cleaned text as a view into raw.
std::wstring_view CleanIniView(std::wstring_view raw);

// The disc's tag for a user-interface language: ReadIniValue("OS_Language_Tag", languageCode).
std::wstring LookupLanguageTag(const ConfigFile& config, const std::wstring& languageCode);

// "Title_%s" / "Description_%s" with the tag, or "Title_ENG" / "Description_ENG" when it is empty.
enum class LocalizedBase { Title, Description };
std::wstring LocalizedKey(LocalizedBase base, const std::wstring& languageTag);
// The key read when the localized one gives an empty value: "Title_Eng" or "Description_ENG".
std::wstring FallbackKey(LocalizedBase base);

}  // namespace tavelin
