#include "authoring/ini_checks.h"

#include <algorithm>

#include "authoring/nearest_name.h"
#include "config/text.h"

namespace tavelin {

namespace {

Finding Warning(const IniFileView& view, const char* check, int line, std::wstring message) {
    return {Severity::Warning, check, view.file, line, std::move(message)};
}

std::vector<std::wstring> SpellingsOf(const std::map<std::wstring, std::wstring>& keys) {
    std::vector<std::wstring> names;
    for (const auto& [folded, spelling] : keys) names.push_back(spelling);
    return names;
}

std::wstring DidYouMean(const std::wstring& name, const std::vector<std::wstring>& candidates) {
    const std::wstring nearest = NearestName(name, candidates);
    return nearest.empty() ? std::wstring() : L"; did you mean \"" + nearest + L"\"?";
}

// The reader takes a ";" line for a key without a value, which no lookup finds: a comment to the
// author, nothing to report.
bool IsComment(const OutlineKey& key) { return !key.hasValue && !key.name.empty() && key.name.front() == L';'; }

}  // namespace

int LineOf(const ProfileOutline& outline, const std::wstring& section, const std::wstring& key) {
    if (const OutlineKey* found = outline.FindKey(section, key)) return found->line;
    if (const OutlineSection* found = outline.FindSection(section)) return found->line;
    return 0;
}

void CheckRepeatedNames(const IniFileView& view, Findings& findings) {
    for (const OutlineSection& section : view.outline.sections) {
        if (section.repeated) {
            const OutlineSection* first = view.outline.FindSection(section.name);
            findings.push_back(Warning(view, "repeated-section", section.line,
                                       L"section [" + section.name + L"] is given again; the program reads only the one on line " +
                                           DecimalText(first != nullptr ? first->line : 0) +
                                           L" and ignores every key here"));
            continue;
        }
        for (const OutlineKey& key : section.keys) {
            if (!key.repeated) continue;
            findings.push_back(Warning(view, "repeated-key", key.line,
                                       L"key \"" + key.name + L"\" is given again in [" + section.name +
                                           L"]; the program takes the first, on line " +
                                           DecimalText(LineOf(view.outline, section.name, key.name))));
        }
    }
}

void CheckValueLengths(const IniFileView& view, Findings& findings) {
    for (const OutlineSection& section : view.outline.sections) {
        for (const OutlineKey& key : section.keys) {
            if (key.rawLength <= ProfileFile::kMaxValueLength) continue;
            findings.push_back({Severity::Error, "value-cut", view.file, key.line,
                                L"the value of \"" + key.name + L"\" has " + DecimalText(static_cast<long long>(key.rawLength)) +
                                    L" characters; the program reads only the first " +
                                    DecimalText(static_cast<long long>(ProfileFile::kMaxValueLength))});
        }
    }
}

void CheckUnreadNames(const IniFileView& view, const UnreadRules& rules, Findings& findings) {
    std::vector<std::wstring> sectionNames;
    for (const auto& [folded, read] : view.reads) sectionNames.push_back(read.spelling);

    for (const OutlineSection& section : view.outline.sections) {
        if (section.repeated) continue;  // reported as repeated
        const bool onlyComments = std::all_of(section.keys.begin(), section.keys.end(), IsComment);
        if (section.name.empty() && onlyComments) continue;
        const auto read = view.reads.find(FoldName(section.name));
        if (read == view.reads.end()) {
            std::wstring why = rules.whySectionUnread ? rules.whySectionUnread(section.name) : std::wstring();
            if (why.empty()) why = DidYouMean(section.name, sectionNames);
            findings.push_back(Warning(view, "section-unread", section.line,
                                       section.name.empty()
                                           ? L"lines before the first section are never read"
                                           : L"the program never reads the section [" + section.name + L"]" + why));
            continue;
        }
        if (rules.skipSection && rules.skipSection(section.name)) continue;
        std::vector<std::wstring> candidates = SpellingsOf(read->second.keys);
        if (rules.moreCandidates) {
            for (std::wstring& more : rules.moreCandidates(section.name)) candidates.push_back(std::move(more));
        }
        for (const OutlineKey& key : section.keys) {
            if (key.repeated || IsComment(key)) continue;
            if (!key.hasValue) {
                findings.push_back(Warning(view, "line-without-value", key.line,
                                           L"\"" + key.name + L"\" has no \"=\": the program reads no value from this line"));
                continue;
            }
            if (read->second.keys.count(FoldName(key.name)) > 0) continue;
            if (rules.alsoKnown && rules.alsoKnown(section.name, key.name)) continue;
            findings.push_back(Warning(view, "key-unread", key.line,
                                       L"the program never reads \"" + key.name + L"\" in [" + section.name + L"]" +
                                           DidYouMean(key.name, candidates)));
        }
    }
}

}  // namespace tavelin
