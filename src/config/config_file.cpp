#include "config/config_file.h"

#include <fstream>
#include <system_error>
#include <utility>

#include "config/interval_clock.h"
#include "config/text.h"

namespace tavelin {

namespace {

// At most `limit` bytes (the size looked at): the file may grow between that look and the read.
std::string ReadAllBytes(const std::filesystem::path& path, std::uintmax_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string bytes(static_cast<std::size_t>(limit), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace

ConfigFile::ConfigFile(std::filesystem::path path, AnsiDecoder decodeAnsi, std::chrono::milliseconds recheckInterval)
    : m_path(std::move(path)), m_decodeAnsi(decodeAnsi), m_recheckInterval(recheckInterval) {}

ConfigFile::FileStamp ConfigFile::CurrentStamp() const {
    FileStamp stamp;
    std::error_code error;
    stamp.size = std::filesystem::file_size(m_path, error);
    if (error) return FileStamp{};
    stamp.time = std::filesystem::last_write_time(m_path, error);
    if (error) return FileStamp{};
    stamp.exists = true;
    return stamp;
}

const ProfileFile& ConfigFile::Profile() const {
    const std::uint32_t now = IntervalClockMs();
    if (m_profile && std::chrono::milliseconds(now - m_lastCheckMs) < m_recheckInterval) return *m_profile;
    m_lastCheckMs = now;

    const FileStamp stamp = CurrentStamp();
    if (m_profile && stamp == m_loadedStamp) return *m_profile;
    // A file that vanished, cannot be read or is too large gives an empty profile: every value
    // reads as "".
    const bool readable = stamp.exists && stamp.size <= kMaxConfigFileBytes;
    const std::string bytes = readable ? ReadAllBytes(m_path, stamp.size) : std::string();
    m_profile = std::make_unique<const ProfileFile>(ProfileFile::Parse(bytes, m_decodeAnsi));
    m_loadedStamp = stamp;
    ++m_parse;
    return *m_profile;
}

std::wstring ConfigFile::ReadRaw(std::wstring_view section, std::wstring_view key) const {
    Observe(section, key);
    const auto value = Profile().Find(section, key);
    return value ? std::wstring(*value) : std::wstring();
}

namespace {

// ReadIniValueUpper of a cleaned value: upper-cased and trimmed again, built in one string.
std::wstring UpperCleaned(std::wstring_view cleaned) {
    std::size_t begin = 0;
    std::size_t end = cleaned.size();
    while (begin < end && IsWhiteSpace(ToUpperChar(cleaned[begin]))) ++begin;
    while (end > begin && IsWhiteSpace(ToUpperChar(cleaned[end - 1]))) --end;
    std::wstring upper(cleaned.substr(begin, end - begin));
    for (wchar_t& c : upper) c = ToUpperChar(c);
    return upper;
}

// ReadIniFlag of a cleaned value: its upper-cased and trimmed text is "1".
bool FlagCleaned(std::wstring_view cleaned) {
    return cleaned.size() == 1 && ToUpperChar(cleaned.front()) == L'1';
}

}  // namespace

void ConfigFile::Observe(std::wstring_view section, std::wstring_view key) const {
    if (m_observer != nullptr) m_observer->OnRead(std::wstring(section), std::wstring(key));
}

std::wstring ConfigFile::ReadIniValue(std::wstring_view section, std::wstring_view key) const {
    Observe(section, key);
    return std::wstring(CleanIniView(Profile().Find(section, key).value_or(std::wstring_view())));
}

std::wstring ConfigFile::ReadIniValueUpper(std::wstring_view section, std::wstring_view key) const {
    Observe(section, key);
    return UpperCleaned(CleanIniView(Profile().Find(section, key).value_or(std::wstring_view())));
}

bool ConfigFile::ReadIniFlag(std::wstring_view section, std::wstring_view key) const {
    Observe(section, key);
    return FlagCleaned(CleanIniView(Profile().Find(section, key).value_or(std::wstring_view())));
}

int ConfigFile::ReadIniNumber(std::wstring_view section, std::wstring_view key) const {
    Observe(section, key);
    return ParseLeadingInt(CleanIniView(Profile().Find(section, key).value_or(std::wstring_view())));
}

ConfigFile::SectionReader::SectionReader(const ConfigFile& config, std::wstring section)
    : m_config(config), m_section(std::move(section)) {}

const ProfileFile::Section* ConfigFile::SectionReader::Current() const {
    // Profile() first: it may parse the file again, and then the section is looked up anew.
    const ProfileFile& profile = m_config.Profile();
    if (m_parse != m_config.m_parse) {
        m_found = profile.FindSection(m_section);
        m_parse = m_config.m_parse;
    }
    return m_found;
}

std::wstring_view ConfigFile::SectionReader::Cleaned(std::wstring_view key) const {
    m_config.Observe(m_section, key);
    return CleanIniView(ProfileFile::FindKey(Current(), key).value_or(std::wstring_view()));
}

std::wstring_view ConfigFile::SectionReader::Cleaned(const KeyName& key) const {
    m_config.Observe(m_section, key.Name());
    return CleanIniView(ProfileFile::FindKey(Current(), key).value_or(std::wstring_view()));
}

std::wstring ConfigFile::SectionReader::Value(std::wstring_view key) const { return std::wstring(Cleaned(key)); }
std::wstring ConfigFile::SectionReader::Upper(std::wstring_view key) const { return UpperCleaned(Cleaned(key)); }
bool ConfigFile::SectionReader::Flag(std::wstring_view key) const { return FlagCleaned(Cleaned(key)); }
int ConfigFile::SectionReader::Number(std::wstring_view key) const { return ParseLeadingInt(Cleaned(key)); }
std::wstring ConfigFile::SectionReader::Value(const KeyName& key) const { return std::wstring(Cleaned(key)); }
std::wstring ConfigFile::SectionReader::Upper(const KeyName& key) const { return UpperCleaned(Cleaned(key)); }
bool ConfigFile::SectionReader::Flag(const KeyName& key) const { return FlagCleaned(Cleaned(key)); }
int ConfigFile::SectionReader::Number(const KeyName& key) const { return ParseLeadingInt(Cleaned(key)); }

std::wstring CleanIniValue(std::wstring_view raw) { return std::wstring(CleanIniView(raw)); }

std::wstring_view CleanIniView(std::wstring_view raw) {
    // A ";" always starts a comment: the disc's values never contain one.
    std::wstring_view value = raw.substr(0, raw.find(L';'));
    // TrimLineBreaks then TrimWhiteSpace: the line breaks and blanks of the first are white space
    // to the second, so the one trim gives the same text without the intermediate copy.
    while (!value.empty() && IsWhiteSpace(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsWhiteSpace(value.back())) value.remove_suffix(1);
    return value;
}

std::wstring LookupLanguageTag(const ConfigFile& config, const std::wstring& languageCode) {
    return config.ReadIniValue(L"OS_Language_Tag", languageCode);
}

std::wstring LocalizedKey(LocalizedBase base, const std::wstring& languageTag) {
    const std::wstring prefix = base == LocalizedBase::Title ? L"Title_" : L"Description_";
    return prefix + (languageTag.empty() ? std::wstring(L"ENG") : languageTag);
}

std::wstring FallbackKey(LocalizedBase base) {
    return base == LocalizedBase::Title ? L"Title_Eng" : L"Description_ENG";
}

}  // namespace tavelin
