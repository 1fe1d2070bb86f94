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
std::wstring FoldName(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return folded;
}

// A lookup name is a C string, trimmed before it is compared. The loader looks up tens of thousands
// of names, so the folded copy goes to a buffer that is reused instead of a new allocation.
const std::wstring& FoldLookupName(std::wstring_view name, std::wstring& buffer) {
    buffer.assign(TrimProfileSpace(UpToNul(name)));
    for (wchar_t& c : buffer) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return buffer;
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

ProfileFile::ProfileFile() {
    m_sections.emplace_back();
    m_sectionIndex.emplace(std::wstring(), 0);
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
                const bool firstOfName =
                    profile.m_sectionIndex.try_emplace(FoldName(name), profile.m_sections.size()).second;
                current = firstOfName ? profile.m_sections.size() : kDropped;
                if (firstOfName) profile.m_sections.emplace_back();
                continue;
            }
        }
        if (current == kDropped) continue;

        const std::size_t equals = line.find(L'=');
        Key key;
        std::wstring_view name = line;
        if (equals != std::wstring_view::npos) {
            name = TrimProfileSpace(line.substr(0, equals));
            key.value = ReturnedValue(TrimProfileSpace(line.substr(equals + 1)));
            key.hasValue = true;
        }
        profile.m_sections[current].keys.try_emplace(FoldName(UpToNul(name)), std::move(key));
    }
    return profile;
}

std::optional<std::wstring_view> ProfileFile::Find(std::wstring_view section, std::wstring_view key) const& {
    thread_local std::wstring folded;
    const auto sectionIt = m_sectionIndex.find(FoldLookupName(section, folded));
    if (sectionIt == m_sectionIndex.end()) return std::nullopt;
    const Section& found = m_sections[sectionIt->second];
    const auto keyIt = found.keys.find(FoldLookupName(key, folded));
    if (keyIt == found.keys.end() || !keyIt->second.hasValue) return std::nullopt;
    return std::wstring_view(keyIt->second.value);
}

}  // namespace tavelin
