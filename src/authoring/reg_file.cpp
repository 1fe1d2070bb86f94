#include "authoring/reg_file.h"

#include <optional>
#include <vector>

#include "config/profile_file.h"
#include "config/text.h"

namespace tavelin {

namespace {

const std::wstring kMachineRoots[] = {L"HKEY_LOCAL_MACHINE\\", L"HKLM\\"};
const std::wstring kWow64Node = L"SOFTWARE\\WOW6432NODE\\";

std::vector<std::wstring> LogicalLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring current;
    auto finish = [&] {
        // A line ending in "\" goes on in the next one (long hexadecimal values).
        std::wstring trimmed = TrimWhiteSpace(current);
        if (!trimmed.empty() && trimmed.back() == L'\\' && trimmed.front() != L'[') {
            trimmed.pop_back();
            current = trimmed;
            return;
        }
        lines.push_back(std::move(trimmed));
        current.clear();
    };
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        if (c == L'\n') {
            finish();
        } else {
            current.push_back(c);
        }
    }
    finish();
    return lines;
}

// A quoted name or value at `at`: "..." with \\ and \" escapes. Advances `at` past it.
bool ReadQuoted(const std::wstring& line, std::size_t& at, std::wstring& out) {
    if (at >= line.size() || line[at] != L'"') return false;
    for (++at; at < line.size(); ++at) {
        if (line[at] == L'\\' && at + 1 < line.size()) {
            out.push_back(line[++at]);
        } else if (line[at] == L'"') {
            ++at;
            return true;
        } else {
            out.push_back(line[at]);
        }
    }
    return false;
}

// The text kinds reg export writes as bytes: hex(1) a string it cannot quote, hex(2) an expandable
// string, hex(7) a multi-string. The program reads any of them up to the first null character.
const std::wstring kTextByteKinds[] = {L"hex(1):", L"hex(2):", L"hex(7):"};

// "41,00,42,00" as the UTF-16LE text it holds, up to its first null; nothing when it is not a list
// of two-digit hexadecimal bytes.
std::optional<std::wstring> TextOfHexBytes(const std::wstring& list) {
    std::vector<unsigned> bytes;
    for (const std::wstring& piece : SplitList(list, L",")) {
        if (piece.size() != 2 || piece.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<unsigned>(std::stoul(std::string(piece.begin(), piece.end()), nullptr, 16)));
    }
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == L'\0') break;
        text.push_back(c);
    }
    return text;
}

// The value after "=": a quoted string, or one of the text kinds written as bytes.
std::optional<std::wstring> ReadTextValue(const std::wstring& line, std::size_t at) {
    std::wstring value;
    if (ReadQuoted(line, at, value)) return value;
    for (const std::wstring& kind : kTextByteKinds) {
        if (line.compare(at, kind.size(), kind) == 0) return TextOfHexBytes(line.substr(at + kind.size()));
    }
    return std::nullopt;  // dword, binary, delete: not a text detection reads
}

struct KeyTarget {
    std::wstring path;
    bool view32 = false;
    bool view64 = false;
};

KeyTarget TargetOf(const std::wstring& machinePath, bool is64BitWindows) {
    KeyTarget target{machinePath, true, false};
    if (!is64BitWindows) return target;
    const std::wstring upper = ToUpperText(machinePath);
    if (upper.compare(0, kWow64Node.size(), kWow64Node) == 0) {
        target.path = L"SOFTWARE\\" + machinePath.substr(kWow64Node.size());
    } else if (upper == L"SOFTWARE\\WOW6432NODE") {
        target.path = L"SOFTWARE";
    } else if (upper == L"SOFTWARE" || upper.compare(0, 9, L"SOFTWARE\\") == 0) {
        target.view32 = false;
        target.view64 = true;
    } else {
        target.view64 = true;
    }
    return target;
}

}  // namespace

RegFileResult LoadRegFile(std::string_view bytes, bool is64BitWindows, MemoryRegistry& registry) {
    const std::vector<std::wstring> lines = LogicalLines(DecodeProfileText(bytes, DecodeWindows1252));
    RegFileResult result;
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty()) ++first;
    if (first == lines.size() || (lines[first] != L"Windows Registry Editor Version 5.00" && lines[first] != L"REGEDIT4")) {
        result.error = L"not a registry export: it does not begin with \"Windows Registry Editor Version 5.00\"";
        return result;
    }
    std::optional<KeyTarget> key;  // nothing: outside HKEY_LOCAL_MACHINE, or a key being deleted
    for (std::size_t i = first + 1; i < lines.size(); ++i) {
        const std::wstring& line = lines[i];
        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            key.reset();
            const std::size_t close = line.rfind(L']');
            const std::wstring path = line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
            for (const std::wstring& root : kMachineRoots) {
                if (ToUpperText(path).compare(0, root.size(), root) != 0) continue;
                key = TargetOf(path.substr(root.size()), is64BitWindows);
                if (key->view32) registry.AddKey(key->path, RegistryView::View32);
                if (key->view64) registry.AddKey(key->path, RegistryView::View64);
            }
            continue;
        }
        if (!key) continue;
        std::size_t at = 0;
        std::wstring name;
        if (line.front() == L'@') {
            at = 1;
        } else if (!ReadQuoted(line, at, name)) {
            continue;
        }
        if (at >= line.size() || line[at] != L'=') continue;
        ++at;
        const std::optional<std::wstring> value = ReadTextValue(line, at);
        if (!value) continue;
        if (key->view32) registry.SetValue(key->path, name, *value, RegistryView::View32);
        if (key->view64) registry.SetValue(key->path, name, *value, RegistryView::View64);
    }
    result.ok = true;
    return result;
}

}  // namespace tavelin
