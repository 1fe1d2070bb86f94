// Checks that hold for any of the disc's INI files (the catalogue, the skins): names given twice,
// sections and keys the program never reads, values longer than the reader returns.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "authoring/read_recorder.h"
#include "authoring/finding.h"
#include "config/profile_outline.h"

namespace tavelin {

struct IniFileView {
    std::wstring file;  // relative to the disc root, for the findings
    const ProfileOutline& outline;
    const ReadMap& reads;  // what the program's readers looked up in it
};

void CheckRepeatedNames(const IniFileView& view, Findings& findings);
void CheckValueLengths(const IniFileView& view, Findings& findings);

// A key is known when the program read it. The rules adjust that for one file: keys read only on
// machines the survey cannot stand for (the OS keys of "OS_Language_Tag"), sections whose keys say
// nothing (an item no machine keeps), why a section is never read (the item count leaves it out),
// and more names to suggest (any item key, in an item section).
struct UnreadRules {
    std::function<bool(const std::wstring& section, const std::wstring& key)> alsoKnown;
    std::function<bool(const std::wstring& section)> skipSection;
    std::function<std::wstring(const std::wstring& section)> whySectionUnread;
    std::function<std::vector<std::wstring>(const std::wstring& section)> moreCandidates;
};
void CheckUnreadNames(const IniFileView& view, const UnreadRules& rules, Findings& findings);

// The line of a key (the section's header line when the key is missing, 0 when both are).
int LineOf(const ProfileOutline& outline, const std::wstring& section, const std::wstring& key);

}  // namespace tavelin
