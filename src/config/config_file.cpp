#include "config/config_file.h"

#include <fstream>
#include <system_error>
#include <utility>

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
    const auto now = std::chrono::steady_clock::now();
    if (m_profile && now - m_lastCheck < m_recheckInterval) return *m_profile;
    m_lastCheck = now;

    const FileStamp stamp = CurrentStamp();
    if (m_profile && stamp == m_loadedStamp) return *m_profile;
    // A file that vanished, cannot be read or is too large gives an empty profile: every value
    // reads as "".
    const bool readable = stamp.exists && stamp.size <= kMaxConfigFileBytes;
    const std::string bytes = readable ? ReadAllBytes(m_path, stamp.size) : std::string();
    m_profile = std::make_unique<const ProfileFile>(ProfileFile::Parse(bytes, m_decodeAnsi));
    m_loadedStamp = stamp;
    return *m_profile;
}

std::wstring ConfigFile::ReadRaw(const std::wstring& section, const std::wstring& key) const {
    if (m_observer != nullptr) m_observer->OnRead(section, key);
    const auto value = Profile().Find(section, key);
    return value ? std::wstring(*value) : std::wstring();
}

std::wstring ConfigFile::ReadIniValue(const std::wstring& section, const std::wstring& key) const {
    if (m_observer != nullptr) m_observer->OnRead(section, key);
    return CleanIniValue(Profile().Find(section, key).value_or(std::wstring_view()));
}

std::wstring ConfigFile::ReadIniValueUpper(const std::wstring& section, const std::wstring& key) const {
    return TrimWhiteSpace(ToUpperText(ReadIniValue(section, key)));
}

bool ConfigFile::ReadIniFlag(const std::wstring& section, const std::wstring& key) const {
    return ReadIniValueUpper(section, key) == L"1";
}

int ConfigFile::ReadIniNumber(const std::wstring& section, const std::wstring& key) const {
    return ParseLeadingInt(ReadIniValue(section, key));
}

std::wstring CleanIniValue(std::wstring_view raw) {
    // A ";" always starts a comment: the disc's values never contain one.
    const std::wstring_view value = raw.substr(0, raw.find(L';'));
    // TrimLineBreaks then TrimWhiteSpace: the line breaks and blanks of the first are white space
    // to the second, so the one trim gives the same text without the intermediate copy.
    return TrimWhiteSpace(value);
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
