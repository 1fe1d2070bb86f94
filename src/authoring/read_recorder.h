// The sections and keys a ConfigFile was asked for, as the program's readers asked: what the
// disc author's checks hold a file's contents against.
#pragma once

#include <map>
#include <string>

#include "config/config_file.h"

namespace tavelin {

// What the program read of one section: its name and its keys as the program spells them, the keys
// by folded (lower-case ASCII) name.
struct ReadSection {
    std::wstring spelling;
    std::map<std::wstring, std::wstring> keys;
};
// Folded section name -> what was read in it.
using ReadMap = std::map<std::wstring, ReadSection>;

// Notes every read of a ConfigFile in a ReadMap.
class ReadRecorder : public ConfigReadObserver {
public:
    explicit ReadRecorder(ReadMap& reads);
    void OnRead(const std::wstring& section, const std::wstring& key) override;

private:
    ReadMap& m_reads;
};

// Names as the reader compares them: ASCII letters folded to lower case.
std::wstring FoldName(const std::wstring& name);

}  // namespace tavelin
