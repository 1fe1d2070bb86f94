#include "authoring/catalogue_edit.h"

#include <map>

#include "config/profile_outline.h"

namespace tavelin {
namespace {

// One line as the reader counts lines: its text, and the break after it ("\r\n" is one break, a
// lone "\r" or "\n" one).
struct LineSpan {
    std::size_t start = 0;
    std::size_t textEnd = 0;
    std::size_t end = 0;  // after the break
};

template <typename Unit>
std::vector<LineSpan> SplitLines(const std::basic_string<Unit>& text) {
    std::vector<LineSpan> lines;
    std::size_t position = 0;
    while (position < text.size()) {
        LineSpan line;
        line.start = position;
        while (position < text.size() && text[position] != Unit('\n') && text[position] != Unit('\r')) ++position;
        line.textEnd = position;
        if (position < text.size()) {
            const bool crlf = text[position] == Unit('\r') && position + 1 < text.size() &&
                              text[position + 1] == Unit('\n');
            position += crlf ? 2 : 1;
        }
        line.end = position;
        lines.push_back(line);
    }
    return lines;
}

template <typename Unit>
std::basic_string<Unit> Units(const std::wstring& ascii) {
    std::basic_string<Unit> units;
    for (wchar_t c : ascii) units.push_back(static_cast<Unit>(c));
    return units;
}

// The edits by line (from 1): a value to put in place of the line's value, or lines to add after it.
struct LineEdits {
    std::map<int, std::wstring> replace;
    std::map<int, std::vector<std::wstring>> addAfter;
};

LineEdits PlanEdits(const ProfileOutline& outline, const std::vector<ValueEdit>& edits) {
    LineEdits plan;
    for (const ValueEdit& edit : edits) {
        const OutlineSection* section = outline.FindSection(edit.section);
        if (section == nullptr || section->line == 0) continue;
        const OutlineKey* key = outline.FindKey(edit.section, edit.key);
        if (key != nullptr && key->hasValue) {
            plan.replace[key->line] = edit.value;
            continue;
        }
        int last = section->line;
        for (const OutlineKey& other : section->keys) {
            if (other.hasValue) last = std::max(last, other.line);
        }
        plan.addAfter[last].push_back(edit.key + L"=" + edit.value);
    }
    return plan;
}

template <typename Unit>
std::basic_string<Unit> Edit(const std::basic_string<Unit>& text, const LineEdits& plan) {
    const std::vector<LineSpan> lines = SplitLines(text);
    // The file's own line break for added lines; "\r\n" when it has none.
    std::basic_string<Unit> lineBreak = Units<Unit>(L"\r\n");
    for (const LineSpan& line : lines) {
        if (line.end > line.textEnd) {
            lineBreak = text.substr(line.textEnd, line.end - line.textEnd);
            break;
        }
    }
    std::basic_string<Unit> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineSpan& line = lines[i];
        const int number = static_cast<int>(i) + 1;
        const auto replaced = plan.replace.find(number);
        if (replaced != plan.replace.end()) {
            std::size_t equals = line.start;
            while (equals < line.textEnd && text[equals] != Unit('=')) ++equals;
            out.append(text, line.start, equals + 1 - line.start);
            out += Units<Unit>(replaced->second);
            out.append(text, line.textEnd, line.end - line.textEnd);
        } else {
            out.append(text, line.start, line.end - line.start);
        }
        const auto added = plan.addAfter.find(number);
        if (added == plan.addAfter.end()) continue;
        if (line.end == line.textEnd) out += lineBreak;  // the file's last line had no break
        for (const std::wstring& newLine : added->second) out += Units<Unit>(newLine) + lineBreak;
    }
    return out;
}

}  // namespace

std::string ApplyValueEdits(std::string_view bytes, const std::vector<ValueEdit>& edits) {
    const LineEdits plan = PlanEdits(OutlineProfile(bytes), edits);
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (!utf16) return Edit(std::string(bytes), plan);
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    const std::u16string edited = Edit(units, plan);
    std::string out;
    for (char16_t unit : edited) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    if (bytes.size() % 2 != 0) out.push_back(bytes.back());
    return out;
}

}  // namespace tavelin
