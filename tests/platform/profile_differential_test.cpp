// Holds our private-profile reader against the system's GetPrivateProfileStringW: for every file of
// a corpus of messy configuration files, in every encoding and line-end style, every name the
// system lists and every name that stands in the file, with case and blank variants and missing
// names, must read the same.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "config/profile_file.h"
#include "platform/text_encoding_win.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

std::string Printable(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < 60; ++i) {
        const auto c = static_cast<unsigned>(static_cast<unsigned short>(text[i]));
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
            out += escaped;
        }
    }
    if (text.size() > 60) out += "...(" + std::to_string(text.size()) + " chars)";
    return out;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A list the system returns as NUL-separated names; empty names inside it are kept.
std::vector<std::wstring> SplitNulList(const std::vector<wchar_t>& buffer, DWORD count) {
    std::vector<std::wstring> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (buffer[i] == L'\0') {
            names.emplace_back(buffer.data() + start, i - start);
            start = i + 1;
        }
    }
    return names;
}

std::vector<std::wstring> SystemSectionNames(const fs::path& file) {
    std::vector<wchar_t> buffer(1 << 20);
    const DWORD count = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    return SplitNulList(buffer, count);
}

std::vector<std::wstring> SystemKeyNames(const fs::path& file, const std::wstring& section) {
    std::vector<wchar_t> buffer(1 << 20);
    const DWORD count = GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file.c_str());
    return SplitNulList(buffer, count);
}

std::wstring SystemValue(const fs::path& file, const std::wstring& section, const std::wstring& key) {
    static std::vector<wchar_t> buffer(65536);
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(), 65536, file.c_str());
    return std::wstring(buffer.data());
}

std::wstring AsciiCase(std::wstring text, bool upper) {
    for (wchar_t& c : text) {
        if (upper && c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
        if (!upper && c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    }
    return text;
}

// Names as they stand in the file, so that keys the system does not list (no "=", comments,
// keys hidden behind an empty key, headers it rejects) are asked for too.
void AddNamesFromText(const std::wstring& text, std::set<std::wstring>& sections, std::set<std::wstring>& keys) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        keys.insert(line);
        keys.insert(line.substr(0, line.find(L'=')));
        const std::size_t open = line.find(L'[');
        const std::size_t close = line.rfind(L']');
        if (open != std::wstring::npos && close != std::wstring::npos && close > open) {
            sections.insert(line.substr(open + 1, close - open - 1));
        }
        start = end + 1;
    }
}

void AddVariants(std::set<std::wstring>& names) {
    std::set<std::wstring> variants = {L"", L"Missing_Name"};
    for (const std::wstring& name : names) {
        if (name.size() > 1000) continue;
        variants.insert(AsciiCase(name, true));
        variants.insert(AsciiCase(name, false));
        variants.insert(L" \t" + name + L" ");
    }
    names.insert(variants.begin(), variants.end());
}

// Compares every section and key name of one file, reporting the first ten that disagree.
void ExpectSameAsSystem(const fs::path& file, const std::string& label) {
    const std::string bytes = ReadBytes(file);
    const ProfileFile ours = ProfileFile::Parse(bytes, DecodeAnsiCodePage);

    std::set<std::wstring> sections;
    std::set<std::wstring> keys;
    for (const std::wstring& section : SystemSectionNames(file)) {
        sections.insert(section);
        for (const std::wstring& key : SystemKeyNames(file, section)) keys.insert(key);
    }
    AddNamesFromText(DecodeProfileText(bytes, DecodeAnsiCodePage), sections, keys);
    AddVariants(sections);
    AddVariants(keys);

    int mismatches = 0;
    for (const std::wstring& section : sections) {
        for (const std::wstring& key : keys) {
            const std::wstring expected = SystemValue(file, section, key);
            const std::wstring actual(ours.Find(section, key).value_or(std::wstring_view()));
            if (actual == expected) continue;
            ADD_FAILURE() << label << ": [" << Printable(section) << "] " << Printable(key) << "\n  system: \""
                          << Printable(expected) << "\"\n  ours:   \"" << Printable(actual) << "\"";
            if (++mismatches >= 10) return;
        }
    }
}

class TempFolder {
public:
    TempFolder() {
        wchar_t name[32];
        std::swprintf(name, 32, L"profile-diff-%lu", GetCurrentProcessId());
        m_path = fs::temp_directory_path() / name;
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}

std::string WithLineEnds(const std::string& lfText, const std::string& lineEnd) {
    std::string out;
    for (char c : lfText) {
        if (c == '\n') out += lineEnd; else out += c;
    }
    return out;
}

struct Variant {
    const char* name;
    std::string (*make)(const std::string& lfText);
};

const Variant kVariants[] = {
    {"lf", [](const std::string& t) { return t; }},
    {"crlf", [](const std::string& t) { return WithLineEnds(t, "\r\n"); }},
    {"cr", [](const std::string& t) { return WithLineEnds(t, "\r"); }},
    {"no-final-break", [](const std::string& t) { return WithLineEnds(t.substr(0, t.find_last_not_of('\n') + 1), "\r\n"); }},
    {"utf8-bom", [](const std::string& t) { return "\xEF\xBB\xBF" + WithLineEnds(t, "\r\n"); }},
    {"utf16le", [](const std::string& t) { return Utf16(WithLineEnds(t, "\r\n"), false); }},
    {"utf16be", [](const std::string& t) { return Utf16(WithLineEnds(t, "\n"), true); }},
};

TEST(ProfileDifferential, CorpusFilesInEveryEncodingAndLineEnd) {
    TempFolder temp;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(TAVELIN_TEST_DATA) / "ini")) {
        ++files;
        const std::string text = ReadBytes(entry.path());
        for (const Variant& variant : kVariants) {
            const std::string label = entry.path().filename().string() + " (" + variant.name + ")";
            const fs::path file = temp.Path() / (entry.path().stem().string() + "-" + variant.name + ".ini");
            WriteBytes(file, variant.make(text));
            ExpectSameAsSystem(file, label);
        }
    }
    EXPECT_GT(files, 0) << "the corpus folder is missing or empty";
}

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

// Files too odd to keep in the repository: NUL bytes, control characters, ill-formed encodings,
// lines far beyond the value limit.
TEST(ProfileDifferential, GeneratedOddFiles) {
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"zero-bytes",
         "[N\0x]\r\nk\0y=v\0w\r\nk2=  \0abc\r\nk3=\"ab\0\"\r\nk4=ab \0x\r\n[a \0b]\r\nz=1\r\n\0[M]\r\nm=1\r\n"s},
        {"control-chars",
         "[S]\r\nk1=\x0bv\x0c\r\nk2=\x1av\x1a\r\nk3=\xa0v\xa0\r\nk4=\x85v\x85\r\n\x1ak5=v\r\nk6=\x1cv\x1c\r\n"
         "\x1a[T]\x1a\r\nt=1\r\n"s},
        {"ansi-letters", "[\xc4rger]\r\n\xe4=1\r\n\xc0=2\r\nk\xff=3\r\n[\xe4rger]\r\nx=never\r\n"s},
        {"utf8-ill-formed",
         "\xef\xbb\xbf[U]\r\nk1=\xc3\r\nk2=\xe2\x82\r\nk3=\xf0\x9f\x98\r\nk4=\xc0\x80\r\nk5=\xed\xa0\x80\r\n"
         "k6=\xf4\x90\x80\x80\r\nk7=\xff\xfe\r\nk8=a\xe2\x82" "b\r\nk9=\xf0\x9f\x98\x80\r\n\xc3\xa4=umlaut\r\n"
         "k10=\xe0\x80\xaf\r\nk11=\xf5\x80\x80\x80\r\nlast=a\xe2" "A"s},
        {"utf16-ill-formed",
         "\xff\xfe[\0W\0]\0\r\0\n\0k\0=\0\x00\xd8x\0\r\0\n\0s\0=\0\x00\x30v\0\x00\x30\r\0\n\0b\0=\0\xff\xfe\r\0\n\0"
         "o\0d\0d\0=\0v\0\r\0\n\0X"s},
        {"utf16be-odd", "\xfe\xff\0[\0B\0]\0\n\0k\0=\0v\0\n!"s},
        {"bom-only-utf8", "\xef\xbb\xbf"s},
        {"bom-only-utf16", "\xff\xfe"s},
        {"one-byte", "["s},
        {"empty", ""s},
        {"long-lines",
         "[L]\r\nk=" + Repeat('x', 70000) + "\r\nq1=\"" + Repeat('y', 65534) + "\"\r\nq2=\"" + Repeat('y', 65535) +
             "\"\r\nq3=\"" + Repeat('y', 65536) + "\"\r\nq4='" + Repeat('z', 65533) + "'\r\n" + Repeat('n', 70000) +
             "\r\n" + Repeat('K', 70000) + "=long key\r\nafter=1\r\n"},
    };
    TempFolder temp;
    for (const auto& testCase : cases) {
        const fs::path file = temp.Path() / (std::string(testCase.name) + ".ini");
        WriteBytes(file, testCase.bytes);
        ExpectSameAsSystem(file, testCase.name);
    }
}

// The UTF-8 converter on every lead byte followed by up to three bytes from the boundaries of the
// continuation ranges, and plain text, as the system converts them.
TEST(ProfileDifferential, Utf8DecodingMatchesTheSystem) {
    const unsigned char follow[] = {0x41, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC3};
    std::vector<wchar_t> buffer(16);
    int mismatches = 0;
    for (unsigned lead = 0x80; lead <= 0xFF && mismatches < 10; ++lead) {
        for (int length = 0; length <= 3; ++length) {
            const int combinations = length == 0 ? 1 : length == 1 ? 8 : length == 2 ? 64 : 512;
            for (int combination = 0; combination < combinations; ++combination) {
                std::string bytes(1, static_cast<char>(lead));
                for (int i = 0, rest = combination; i < length; ++i, rest /= 8) bytes += static_cast<char>(follow[rest % 8]);
                const int count = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                      buffer.data(), static_cast<int>(buffer.size()));
                const std::wstring expected(buffer.data(), static_cast<std::size_t>(std::max(count, 0)));
                const std::wstring actual = DecodeUtf8(bytes);
                if (actual == expected) continue;
                std::string hex;
                for (unsigned char b : bytes) hex += " " + std::to_string(b);
                ADD_FAILURE() << "bytes" << hex << ": system \"" << Printable(expected) << "\" ours \""
                              << Printable(actual) << "\"";
                ++mismatches;
            }
        }
    }
}

TEST(ProfileDifferential, Windows1252MatchesTheSystemCodePage) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        wchar_t expected = 0;
        MultiByteToWideChar(1252, 0, &c, 1, &expected, 1);
        EXPECT_EQ(DecodeWindows1252(std::string(1, c)), std::wstring(1, expected)) << "byte " << byte;
    }
}

}  // namespace
}  // namespace tavelin
