#include "authoring/reg_export.h"

#include <algorithm>

#include "config/text.h"

namespace tavelin {

namespace {

const std::wstring kHeader = L"Windows Registry Editor Version 5.00";
const std::wstring kRoot = L"HKEY_LOCAL_MACHINE";

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') out += L'\\';
        out += c;
    }
    return out;
}

// The keys of both views merged into one tree of the paths written: a key shared by the views is
// one node, the 32-bit view of SOFTWARE sits below Wow6432Node.
struct ExportNode {
    std::wstring name;
    bool written = false;
    std::vector<std::pair<std::wstring, std::wstring>> values;
    std::vector<std::unique_ptr<ExportNode>> subkeys;

    ExportNode* Child(const std::wstring& childName) {
        for (const auto& subkey : subkeys) {
            if (EqualsNoCase(subkey->name, childName)) return subkey.get();
        }
        subkeys.push_back(std::make_unique<ExportNode>());
        subkeys.back()->name = childName;
        return subkeys.back().get();
    }
};

void Merge(const CapturedKey& from, ExportNode& to) {
    to.written = to.written || from.opened;
    for (const auto& value : from.values) {
        bool known = false;
        for (const auto& kept : to.values) known = known || EqualsNoCase(kept.first, value.first);
        if (!known) to.values.push_back(value);
    }
    // Subkeys that were only seen in an enumeration are written too (without values): the order
    // the registry listed them in decides which device key a hardware id matches first.
    for (const auto& subkey : from.subkeys) {
        ExportNode* child = to.Child(subkey->name);
        child->written = true;
        Merge(*subkey, *child);
    }
}

void Write(const ExportNode& node, const std::wstring& path, std::wstring& out) {
    if (node.written) {
        out += L"[" + path + L"]\r\n";
        for (const auto& [name, text] : node.values) out += RegValueLine(name, text) + L"\r\n";
        out += L"\r\n";
    }
    for (const auto& subkey : node.subkeys) Write(*subkey, path + L"\\" + subkey->name, out);
}

}  // namespace

std::wstring RegValueLine(const std::wstring& name, const std::wstring& text) {
    const std::wstring written = name.empty() ? std::wstring(L"@") : L"\"" + Escaped(name) + L"\"";
    // A line break cannot stand between quotes: such a text goes as its bytes, as reg export
    // writes a string it cannot quote.
    const bool quotable = std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x20; });
    if (quotable) return written + L"=\"" + Escaped(text) + L"\"";
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring bytes;
    auto addByte = [&bytes](unsigned byte) {
        bytes += (bytes.empty() ? L"" : L",");
        bytes += kDigits[(byte >> 4) & 0xF];
        bytes += kDigits[byte & 0xF];
    };
    for (wchar_t c : text) {
        addByte(static_cast<unsigned>(c) & 0xFF);
        addByte((static_cast<unsigned>(c) >> 8) & 0xFF);
    }
    addByte(0);
    addByte(0);
    return written + L"=hex(1):" + bytes;
}

std::string RegExportText(const RegistryCapture& capture, bool is64BitWindows) {
    ExportNode root;
    const CapturedKey& view32 = capture.Root(RegistryView::View32);
    const CapturedKey& view64 = capture.Root(RegistryView::View64);
    if (!is64BitWindows) {
        Merge(view32, root);
    } else {
        for (const auto& top : view32.subkeys) {
            ExportNode* to = root.Child(top->name);
            if (EqualsNoCase(top->name, L"SOFTWARE")) to = to->Child(L"Wow6432Node");
            Merge(*top, *to);
        }
        Merge(view64, root);
    }
    std::wstring text = kHeader + L"\r\n\r\n";
    for (const auto& top : root.subkeys) Write(*top, kRoot + L"\\" + top->name, text);

    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace tavelin
