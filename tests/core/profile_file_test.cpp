// The portable profile reader: the lookup rules of the system's reader (which the platform tests
// compare it with under Wine), the encodings, and input that must neither crash nor hang it.
#include "config/profile_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace tavelin {
namespace {

using namespace std::string_literals;

std::string Utf16Le(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string Utf16Be(const std::u16string& text) {
    std::string bytes = "\xFE\xFF";
    for (char16_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
}

std::wstring Units(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

struct LookupCase {
    const char* name;
    std::string file;
    std::wstring section;
    std::wstring key;
    std::optional<std::wstring> expected;  // nothing: the default "" is returned
};

void ExpectLookups(const std::vector<LookupCase>& cases) {
    for (const LookupCase& c : cases) {
        const ProfileFile profile = ProfileFile::Parse(c.file);
        const auto found = profile.Find(c.section, c.key);
        // The loader's two-step lookup answers the same, with the key as asked or made ready once.
        const ProfileFile::Section* const section = profile.FindSection(c.section);
        EXPECT_TRUE(ProfileFile::FindKey(section, c.key) == found) << c.name << ": section, then key";
        EXPECT_TRUE(ProfileFile::FindKey(section, ProfileFile::KeyName(c.key)) == found) << c.name << ": key name";
        if (!c.expected) {
            EXPECT_FALSE(found.has_value()) << c.name << ": found \"" << std::string(found->begin(), found->end()) << "\"";
            continue;
        }
        ASSERT_TRUE(found.has_value()) << c.name;
        EXPECT_EQ(std::wstring(*found), *c.expected) << c.name;
    }
}

TEST(ProfileFile, NamesAndMatching) {
    ExpectLookups({
        {"plain key", "[S]\r\nk=v\r\n", L"S", L"k", L"v"},
        {"section names ignore ASCII case", "[Item_1]\r\nType=1\r\n", L"ITEM_1", L"type", L"1"},
        {"letters beyond ASCII must match exactly", "[S]\r\n\xe4=1\r\n", L"S", L"\u00c4", std::nullopt},
        {"beyond ASCII, the same letter matches", "[S]\r\n\xe4=1\r\n", L"S", L"\u00e4", L"1"},
        {"first of duplicate keys", "[S]\r\nk=first\r\nK=second\r\n", L"S", L"k", L"first"},
        {"only the first of duplicate sections is searched", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", L"S", L"b", std::nullopt},
        {"a later duplicate section does not hide the first", "[S]\r\na=1\r\n[s]\r\na=2\r\n", L"s", L"a", L"1"},
        {"keys before any section belong to \"\"", "k=top\r\n[S]\r\n", L"", L"k", L"top"},
        {"a header with a blank name is never searched", "[  ]\r\nk=v\r\n", L"", L"k", std::nullopt},
        {"lookup names are trimmed", "[S]\r\nk=v\r\n", L" S\t", L"\tk ", L"v"},
        {"section names in the file are trimmed", "[  S  ]\r\nk=v\r\n", L"S", L"k", L"v"},
        {"text after the closing bracket is ignored", "[S] tail\r\nk=v\r\n", L"S", L"k", L"v"},
        {"the name runs to the last bracket", "[a]b]c\r\nk=v\r\n", L"a]b", L"k", L"v"},
        {"a header without a closing bracket is a key line", "[S]\r\n[a=b\r\n", L"S", L"[a", L"b"},
        {"a line without \"=\" hides a later key of its name", "[S]\r\nk\r\nk=1\r\n", L"S", L"k", std::nullopt},
        {"a key with an empty name", "[S]\r\n=v\r\n", L"S", L"", L"v"},
        {"no comment stripping", "[S]\r\n;k=v ; not a comment\r\n", L"S", L";k", L"v ; not a comment"},
        {"missing section", "[S]\r\nk=v\r\n", L"T", L"k", std::nullopt},
        {"missing key", "[S]\r\nk=v\r\n", L"S", L"j", std::nullopt},
    });
}

TEST(ProfileFile, ValuesAndLineEnds) {
    ExpectLookups({
        {"key and value trimmed", "[S]\r\n \t k \t = \t v w \t \r\n", L"S", L"k", L"v w"},
        {"\"=\" inside a value", "[S]\r\nk = a=b=c\r\n", L"S", L"k", L"a=b=c"},
        {"^Z and vertical tab count as blanks", "[S]\r\nk=\x1a\x0bv\x0c\x1a\r\n", L"S", L"k", L"v"},
        {"no-break space is not a blank", "[S]\r\nk=\xa0v\r\n", L"S", L"k", L"\u00a0v"},
        {"double quotes removed", "[S]\r\nk= \"a b\" \r\n", L"S", L"k", L"a b"},
        {"single quotes removed", "[S]\r\nk='a'\r\n", L"S", L"k", L"a"},
        {"unmatched quotes kept", "[S]\r\nk=\"a'\r\n", L"S", L"k", L"\"a'"},
        {"a lone quote kept", "[S]\r\nk=\"\r\n", L"S", L"k", L"\""},
        {"two quotes give empty", "[S]\r\nk=\"\"\r\n", L"S", L"k", L""},
        {"CR-only line ends", "[S]\rk=v\rj=w", L"S", L"j", L"w"},
        {"LF-only line ends", "[S]\nk=v\nj=w\n", L"S", L"j", L"w"},
        {"blank lines between", "[S]\r\n\r\n\n\r\rk=v", L"S", L"k", L"v"},
        {"no final line break", "[S]\r\nk=last", L"S", L"k", L"last"},
        {"NUL ends a value", "[S]\r\nk=ab\0cd\r\n"s, L"S", L"k", L"ab"},
        {"NUL ends a value after trimming", "[S]\r\nk=ab \0cd\r\n"s, L"S", L"k", L"ab "},
        {"NUL ends a key name", "[S]\r\nk\0x=v\r\n"s, L"S", L"k", L"v"},
        {"NUL before the quote check", "[S]\r\nk=\"ab\0\"\r\n"s, L"S", L"k", L"\"ab"},
        {"NUL ends a section name", "[S\0x]\r\nk=v\r\n"s, L"S", L"k", L"v"},
        {"a line starting with NUL is not a header", "\0[S]\r\nk=v\r\n"s, L"S", L"k", std::nullopt},
    });
}

TEST(ProfileFile, ValueLimit) {
    const std::size_t limit = ProfileFile::kMaxValueLength;
    const struct {
        const char* name;
        std::string value;
        std::size_t expectedLength;
    } cases[] = {
        {"long value cut", std::string(limit + 100, 'x'), limit},
        {"value of exactly the limit", std::string(limit, 'x'), limit},
        {"quoted value that fits", "\"" + std::string(limit - 1, 'x') + "\"", limit - 1},
        // The quote is removed after the copy: the buffer held limit characters, the last is lost.
        {"quoted value one past the buffer", "\"" + std::string(limit, 'x') + "\"", limit - 1},
        {"quoted value longer than the buffer", "\"" + std::string(limit + 1, 'x') + "\"", limit},
    };
    for (const auto& c : cases) {
        const ProfileFile profile = ProfileFile::Parse("[S]\r\nk=" + c.value + "\r\n");
        const auto found = profile.Find(L"S", L"k");
        ASSERT_TRUE(found.has_value()) << c.name;
        EXPECT_EQ(found->size(), c.expectedLength) << c.name;
        EXPECT_EQ(found->find(L'"'), std::wstring_view::npos) << c.name;
    }
}

std::wstring DecodeAsUpperX(std::string_view bytes) { return std::wstring(bytes.size(), L'X'); }

TEST(ProfileFile, Encodings) {
    const std::u16string utf16Text = u"[S]\r\nk=\u00e4\u3042\xd800\r\n";  // a lone surrogate passes through
    const struct {
        const char* name;
        std::string file;
        std::wstring expected;
    } cases[] = {
        {"UTF-16LE with byte-order mark", Utf16Le(utf16Text), Units(u"\u00e4\u3042\xd800")},
        {"UTF-16BE with byte-order mark", Utf16Be(utf16Text), Units(u"\u00e4\u3042\xd800")},
        {"UTF-16LE odd last byte dropped", Utf16Le(u"[S]\r\nk=v") + "A", L"v"},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA4\xF0\x9F\x98\x80\r\n", Units(u"\u00e4\U0001F600")},
        {"ANSI through Windows-1252", "[S]\r\nk=\x80\x81\xe9\r\n", L"\u20ac\u0081\u00e9"},
        {"UTF-8 without mark read as ANSI", "[S]\r\nk=\xC3\xA4\r\n", L"\u00c3\u00a4"},
    };
    for (const auto& c : cases) {
        const ProfileFile profile = ProfileFile::Parse(c.file);
        const auto found = profile.Find(L"S", L"k");
        ASSERT_TRUE(found.has_value()) << c.name;
        EXPECT_EQ(std::wstring(*found), c.expected) << c.name;
    }
    // The decoder the caller gives is used for files without a mark, and only for them.
    const ProfileFile ansi = ProfileFile::Parse("[S]\r\nk=v\r\n", DecodeAsUpperX);
    EXPECT_FALSE(ansi.Find(L"S", L"k").has_value());
    const ProfileFile utf8 = ProfileFile::Parse("\xEF\xBB\xBF[S]\r\nk=v", DecodeAsUpperX);
    EXPECT_EQ(utf8.Find(L"S", L"k").value_or(L"?"), L"v");
}

TEST(ProfileFile, IllFormedUtf8) {
    const std::wstring r(1, L'\xFFFD');
    const struct {
        const char* name;
        std::string bytes;
        std::wstring expected;
    } cases[] = {
        {"lone lead byte", "\xC3-", r + L"-"},
        {"cut three-byte sequence", "\xE2\x82-", r + L"-"},
        {"overlong two-byte", "\xC0\x80", r + r},
        {"overlong three-byte", "\xE0\x80\xAF", r + r},
        {"encoded surrogate", "\xED\xA0\x80", r + r},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", r + r + r},
        {"stray continuation bytes", "\x80\xBF", r + r},
        {"invalid lead bytes", "\xFF\xFE\xF5", r + r + r},
        {"sequence cut by the end swallows the rest", "a\xE2" "A", L"a" + r},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeUtf8(c.bytes), c.expected) << c.name;
}

// Bad input gives a result; the sanitizers of the native build watch the memory accesses.
TEST(ProfileFile, BadInputNeitherCrashesNorHangs) {
    std::mt19937 random(20061017);
    std::string binary(1 << 20, '\0');
    for (char& c : binary) c = static_cast<char>(random() & 0xFF);

    std::string manySections;
    for (int i = 1; i <= 100000; ++i) manySections += "[Item_" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";

    std::string multiMegabyte = "[S]\r\n";
    while (multiMegabyte.size() < (8u << 20)) multiMegabyte += "Key_" + std::to_string(multiMegabyte.size()) + "=value\r\n";
    multiMegabyte += "last=found\r\n";

    const struct {
        const char* name;
        std::string file;
        std::wstring section;
        std::wstring key;
        std::optional<std::wstring> expected;
    } cases[] = {
        {"empty", "", L"S", L"k", std::nullopt},
        {"random binary", binary, L"S", L"k", std::nullopt},
        {"random binary as UTF-8", "\xEF\xBB\xBF" + binary, L"S", L"k", std::nullopt},
        {"random binary as UTF-16", "\xFF\xFE" + binary + "x", L"S", L"k", std::nullopt},
        {"100,000 sections", manySections, L"item_100000", L"K", L"100000"},
        {"multi-megabyte", multiMegabyte, L"S", L"last", L"found"},
        {"NUL bytes only", std::string(100000, '\0') + "\n[S]\nk=v", L"S", L"k", L"v"},
        {"line far beyond the limit", "[S]\n" + std::string(300000, '[') + "\nk=v", L"S", L"k", L"v"},
        {"only line breaks", std::string(100000, '\r'), L"", L"", std::nullopt},
    };
    for (const auto& c : cases) {
        const ProfileFile profile = ProfileFile::Parse(c.file);
        const auto found = profile.Find(c.section, c.key);
        ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.name;
        if (c.expected) {
            EXPECT_EQ(std::wstring(*found), *c.expected) << c.name;
        }
    }
}

}  // namespace
}  // namespace tavelin
