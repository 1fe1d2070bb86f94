#include "config/profile_outline.h"

namespace tavelin {

namespace {

std::wstring_view UpToNul(std::wstring_view text) {
    const std::size_t nul = text.find(L'\0');
    return nul == std::wstring_view::npos ? text : text.substr(0, nul);
}

std::wstring_view TrimSpace(std::wstring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsProfileSpace(text[begin])) ++begin;
    while (end > begin && IsProfileSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

bool SameProfileName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

const OutlineSection* ProfileOutline::FindSection(std::wstring_view name) const {
    for (const OutlineSection& section : sections) {
        if (!section.repeated && SameProfileName(section.name, name)) return &section;
    }
    return nullptr;
}

const OutlineKey* ProfileOutline::FindKey(std::wstring_view section, std::wstring_view key) const {
    const OutlineSection* found = FindSection(section);
    if (found == nullptr) return nullptr;
    for (const OutlineKey& candidate : found->keys) {
        if (!candidate.repeated && SameProfileName(candidate.name, key)) return &candidate;
    }
    return nullptr;
}

ProfileOutline OutlineProfile(std::string_view bytes, AnsiDecoder decodeAnsi) {
    const std::wstring text = DecodeProfileText(bytes, decodeAnsi);
    const std::wstring_view all(text);
    ProfileOutline outline;
    outline.sections.emplace_back();

    int lineNumber = 0;
    std::size_t next = 0;
    while (next < all.size()) {
        const std::size_t lineStart = next;
        while (next < all.size() && all[next] != L'\n' && all[next] != L'\r') ++next;
        const std::size_t lineEnd = next;
        // Lines are counted as an editor counts them: "\r\n" is one break, a lone "\r" or "\n" one.
        ++lineNumber;
        const int thisLine = lineNumber;
        while (next < all.size() && (all[next] == L'\n' || all[next] == L'\r')) {
            const bool crlf = all[next] == L'\r' && next + 1 < all.size() && all[next + 1] == L'\n';
            next += crlf ? 2 : 1;
            if (next < all.size() && (all[next] == L'\n' || all[next] == L'\r')) ++lineNumber;
        }

        const std::wstring_view line = TrimSpace(all.substr(lineStart, lineEnd - lineStart));
        if (line.empty()) continue;
        if (line.front() == L'[') {
            const std::size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos && close > 0) {
                OutlineSection section;
                section.name = std::wstring(UpToNul(TrimSpace(line.substr(1, close - 1))));
                section.line = thisLine;
                for (const OutlineSection& earlier : outline.sections) {
                    if (SameProfileName(earlier.name, section.name)) section.repeated = true;
                }
                outline.sections.push_back(std::move(section));
                continue;
            }
        }
        OutlineKey key;
        key.line = thisLine;
        const std::size_t equals = line.find(L'=');
        std::wstring_view name = line;
        if (equals != std::wstring_view::npos) {
            name = TrimSpace(line.substr(0, equals));
            key.hasValue = true;
            key.rawLength = UpToNul(TrimSpace(line.substr(equals + 1))).size();
        }
        key.name = std::wstring(UpToNul(name));
        OutlineSection& current = outline.sections.back();
        for (const OutlineKey& earlier : current.keys) {
            if (SameProfileName(earlier.name, key.name)) key.repeated = true;
        }
        current.keys.push_back(std::move(key));
    }
    return outline;
}

}  // namespace tavelin
