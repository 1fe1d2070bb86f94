#include "config/profile_file.h"

#include <cstdint>

namespace tavelin {

namespace {

constexpr wchar_t kReplacementChar = 0xFFFD;

// Windows-1252 for 0x80..0x9F; the five unassigned bytes map to the C1 control of the same value,
// as the system's converter maps them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCodePoint(std::wstring& out, std::uint32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<wchar_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF)));
}

// Decodes one sequence whose lead byte (>= 0x80) is at bytes[pos]; advances pos past the bytes it
// used. Returns nothing for an ill-formed sequence: then pos stands after its longest valid-looking
// prefix (at least the lead byte), which is where the converter resumes.
std::optional<std::uint32_t> DecodeUtf8Sequence(std::string_view bytes, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    ++pos;
    std::size_t trailCount = 0;
    std::uint32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailCount = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailCount = 2;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailCount = 3;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + trailCount > bytes.size()) {
        // Cut off by the end of the input: the rest is swallowed by one replacement.
        pos = bytes.size();
        return std::nullopt;
    }
    for (std::size_t i = 0; i < trailCount; ++i) {
        const unsigned trail = static_cast<unsigned char>(bytes[pos]) ^ 0x80u;
        if (trail >= 0x40) return std::nullopt;
        value = (value << 6) | trail;
        const std::size_t remaining = trailCount - i - 1;
        // Checks on the bits seen so far, so that an overlong form, a surrogate or a value past
        // U+10FFFF is rejected as early as the converter rejects it.
        if (remaining == 2 && value < 0x10) {  // overlong four-byte form
            ++pos;
            return std::nullopt;
        }
        if (remaining == 1) {
            if (value >= (0x110u << 6)) return std::nullopt;  // beyond U+10FFFF
            ++pos;
            if (value < 0x20) return std::nullopt;                     // overlong three-byte form
            if (value >= 0x360 && value < 0x380) return std::nullopt;  // UTF-16 surrogate
            continue;
        }
        ++pos;
        if (remaining == 0 && value < 0x80) return std::nullopt;  // overlong two-byte form
    }
    return value;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    // An odd last byte has no partner; the system's reader then reads past its buffer, so no
    // result can be matched and the byte is dropped.
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return out;
}

// Names and values are kept as C strings by the system's reader: a NUL ends them, after trimming.
std::wstring_view UpToNul(std::wstring_view text) {
    const std::size_t nul = text.find(L'\0');
    return nul == std::wstring_view::npos ? text : text.substr(0, nul);
}

std::wstring_view TrimProfileSpace(std::wstring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsProfileSpace(text[begin])) ++begin;
    while (end > begin && IsProfileSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Names match without regard to ASCII case only: letters beyond ASCII must match exactly.
wchar_t FoldChar(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// FNV-1a over the folded UTF-16 code units.
constexpr std::uint32_t kHashStart = 2166136261u;
std::uint32_t HashStep(std::uint32_t hash, wchar_t folded) {
    return (hash ^ static_cast<std::uint16_t>(folded)) * 16777619u;
}

// A lookup name is a C string, trimmed before it is compared.
std::wstring_view LookupName(std::wstring_view name) {
    std::size_t begin = 0;
    while (begin < name.size() && IsProfileSpace(name[begin])) ++begin;
    std::size_t end = begin;
    while (end < name.size() && name[end] != L'\0') ++end;
    while (end > begin && IsProfileSpace(name[end - 1])) --end;
    return name.substr(begin, end - begin);
}

std::uint32_t FoldedHash(std::wstring_view name) {
    std::uint32_t hash = kHashStart;
    for (const wchar_t c : name) hash = HashStep(hash, FoldChar(c));
    return hash;
}

// The value as a 65536-character buffer receives it. Quotes are removed after the copy, so a
// quoted value that just fills the buffer loses its last character instead of its closing quote.
std::wstring ReturnedValue(std::wstring_view stored) {
    std::wstring_view value = UpToNul(stored);
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    const std::size_t fullLength = value.size();
    std::wstring copied(value.substr(0, ProfileFile::kMaxValueLength));
    if (quoted && fullLength <= ProfileFile::kMaxValueLength + 1) copied.pop_back();
    return copied;
}

}  // namespace

std::wstring DecodeWindows1252(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        out.push_back(b >= 0x80 && b < 0xA0 ? static_cast<wchar_t>(kWindows1252High[b - 0x80]) : static_cast<wchar_t>(b));
    }
    return out;
}

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x80) {
            out.push_back(static_cast<wchar_t>(byte));
            ++pos;
            continue;
        }
        const std::optional<std::uint32_t> codePoint = DecodeUtf8Sequence(bytes, pos);
        AppendCodePoint(out, codePoint.value_or(kReplacementChar));
    }
    return out;
}

std::wstring DecodeProfileText(std::string_view bytes, AnsiDecoder decodeAnsi) {
    auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (startsWith("\xEF\xBB\xBF")) return DecodeUtf8(bytes.substr(3));
    if (startsWith("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
    if (startsWith("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
    return decodeAnsi(bytes);
}

bool IsProfileSpace(wchar_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A;
}

std::int32_t ProfileFile::NameIndex::Find(std::wstring_view name) const {
    return m_slots.empty() ? -1 : Find(name, FoldedHash(name));
}

template <typename SameName>
std::int32_t ProfileFile::NameIndex::Probe(std::uint32_t hash, SameName sameName) const {
    if (m_slots.empty()) return -1;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::int32_t position = m_slots[slot];
        if (position < 0) return -1;
        if (m_hashes[position] != hash) continue;
        const std::size_t begin = position == 0 ? 0 : m_ends[position - 1];
        if (sameName(std::wstring_view(m_folded).substr(begin, m_ends[position] - begin))) return position;
    }
}

std::int32_t ProfileFile::NameIndex::Find(std::wstring_view name, std::uint32_t hash) const {
    // Folded as it is compared, without a folded copy of the asked name.
    return Probe(hash, [name](std::wstring_view stored) {
        if (stored.size() != name.size()) return false;
        std::size_t i = 0;
        while (i < name.size() && stored[i] == FoldChar(name[i])) ++i;
        return i == name.size();
    });
}

std::int32_t ProfileFile::NameIndex::FindFolded(std::wstring_view folded, std::uint32_t hash) const {
    return Probe(hash, [folded](std::wstring_view stored) { return stored == folded; });
}

std::pair<std::int32_t, bool> ProfileFile::NameIndex::Add(std::wstring_view name) {
    const std::uint32_t hash = FoldedHash(name);
    if (!m_slots.empty()) {
        const std::int32_t known = Find(name, hash);
        if (known >= 0) return {known, false};
    }
    // At most half full, so that a search for a missing name soon meets an empty slot.
    if ((m_ends.size() + 1) * 2 > m_slots.size()) Grow();
    for (const wchar_t c : name) m_folded.push_back(FoldChar(c));
    const auto position = static_cast<std::int32_t>(m_ends.size());
    m_ends.push_back(static_cast<std::uint32_t>(m_folded.size()));
    m_hashes.push_back(hash);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = hash & mask;
    while (m_slots[slot] >= 0) slot = (slot + 1) & mask;
    m_slots[slot] = position;
    return {position, true};
}

void ProfileFile::NameIndex::Grow() {
    m_slots.assign(m_slots.empty() ? 16 : m_slots.size() * 2, -1);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t position = 0; position < m_hashes.size(); ++position) {
        std::size_t slot = m_hashes[position] & mask;
        while (m_slots[slot] >= 0) slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<std::int32_t>(position);
    }
}

ProfileFile::ProfileFile() {
    m_sections.emplace_back();
    m_sectionNames.Add(std::wstring_view());
}

ProfileFile ProfileFile::Parse(std::string_view bytes, AnsiDecoder decodeAnsi) {
    const std::wstring text = DecodeProfileText(bytes, decodeAnsi);
    const std::wstring_view all(text);

    ProfileFile profile;
    // Keys go to the first section of the current name; under a repeated header they are dropped,
    // since lookups never search past the first section of a name.
    constexpr std::size_t kDropped = static_cast<std::size_t>(-1);
    std::size_t current = 0;

    std::size_t next = 0;
    while (next < all.size()) {
        const std::size_t lineStart = next;
        while (next < all.size() && all[next] != L'\n' && all[next] != L'\r') ++next;
        const std::size_t lineEnd = next;
        while (next < all.size() && (all[next] == L'\n' || all[next] == L'\r')) ++next;

        const std::wstring_view line = TrimProfileSpace(all.substr(lineStart, lineEnd - lineStart));
        if (line.empty()) continue;

        if (line.front() == L'[') {
            // The name runs to the last "]"; text after it is ignored. Without a "]" the line is
            // read as a key line below.
            const std::size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos && close > 0) {
                const std::wstring_view name = UpToNul(TrimProfileSpace(line.substr(1, close - 1)));
                const auto [position, firstOfName] = profile.m_sectionNames.Add(name);
                current = firstOfName ? static_cast<std::size_t>(position) : kDropped;
                if (firstOfName) profile.m_sections.emplace_back();
                continue;
            }
        }
        if (current == kDropped) continue;

        const std::size_t equals = line.find(L'=');
        const std::wstring_view name = equals == std::wstring_view::npos ? line : TrimProfileSpace(line.substr(0, equals));
        Section& section = profile.m_sections[current];
        // Only the first key of a name is ever found.
        if (!section.names.Add(UpToNul(name)).second) continue;
        Key& key = section.keys.emplace_back();
        if (equals != std::wstring_view::npos) {
            key.value = ReturnedValue(TrimProfileSpace(line.substr(equals + 1)));
            key.hasValue = true;
        }
    }
    return profile;
}

std::optional<std::wstring_view> ProfileFile::Find(std::wstring_view section, std::wstring_view key) const& {
    return FindKey(FindSection(section), key);
}

const ProfileFile::Section* ProfileFile::FindSection(std::wstring_view section) const& {
    const std::int32_t position = m_sectionNames.Find(LookupName(section));
    return position < 0 ? nullptr : &m_sections[static_cast<std::size_t>(position)];
}

ProfileFile::KeyName::KeyName(std::wstring_view name) : m_name(name) {
    const std::wstring_view asked = LookupName(name);
    m_folded.reserve(asked.size());
    for (const wchar_t c : asked) m_folded.push_back(FoldChar(c));
    m_hash = FoldedHash(m_folded);
}

std::optional<std::wstring_view> ProfileFile::FindKey(const Section* section, const KeyName& key) {
    if (section == nullptr) return std::nullopt;
    const std::int32_t position = section->names.FindFolded(key.m_folded, key.m_hash);
    if (position < 0) return std::nullopt;
    const Key& found = section->keys[static_cast<std::size_t>(position)];
    if (!found.hasValue) return std::nullopt;
    return std::wstring_view(found.value);
}

std::optional<std::wstring_view> ProfileFile::FindKey(const Section* section, std::wstring_view key) {
    if (section == nullptr) return std::nullopt;
    const std::int32_t position = section->names.Find(LookupName(key));
    if (position < 0) return std::nullopt;
    const Key& found = section->keys[static_cast<std::size_t>(position)];
    if (!found.hasValue) return std::nullopt;
    return std::wstring_view(found.value);
}

}  // namespace tavelin
