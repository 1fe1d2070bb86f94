// Setting values in a catalogue file while keeping every other byte of it: the disc author's seal
// writes the installers' digests into a catalogue a person wrote, with its comments, spacing, line
// breaks and encoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

struct ValueEdit {
    std::wstring section;
    std::wstring key;
    std::wstring value;  // ASCII (a digest): the same bytes in every encoding a catalogue may use
};

// The file with each key set: the line a lookup finds has its value (everything after its first
// "=") replaced; a key the section lacks gets a line "key=value" after the section's last key line
// (or its header), with the file's own line break. A section the file lacks is left alone. Files
// starting with a UTF-16 byte-order mark are edited as UTF-16, others byte by byte.
std::string ApplyValueEdits(std::string_view bytes, const std::vector<ValueEdit>& edits);

}  // namespace tavelin
