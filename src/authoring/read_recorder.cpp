#include "authoring/read_recorder.h"

#include "config/text.h"

namespace tavelin {

std::wstring FoldName(const std::wstring& name) {
    std::wstring folded = name;
    for (wchar_t& c : folded) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return folded;
}

ReadRecorder::ReadRecorder(ReadMap& reads) : m_reads(reads) {}
void ReadRecorder::OnRead(const std::wstring& section, const std::wstring& key) {
    const std::wstring name = TrimWhiteSpace(key);
    const std::wstring sectionName = TrimWhiteSpace(section);
    ReadSection& read = m_reads[FoldName(sectionName)];
    if (read.spelling.empty()) read.spelling = sectionName;
    read.keys.try_emplace(FoldName(name), name);
}

}  // namespace tavelin
