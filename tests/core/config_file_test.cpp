// Reading cleaned configuration values: comments, trimming, flags, numbers, the language-suffixed
// keys, a missing file, and a file that changes while it is read.
#include "config/config_file.h"
#include "config/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tavelin {
namespace {

namespace fs = std::filesystem;

class TempIni {
public:
    explicit TempIni(const std::string& name) : m_path(fs::temp_directory_path() / ("config-file-test-" + name)) {}
    ~TempIni() {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    void Write(const std::string& bytes) const {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

const char kCatalogue[] =
    "[Item_1]\r\n"
    "Restart = 1 ;comment\r\n"
    "Padded =   1   \r\n"
    "Word = TRUE\r\n"
    "Leading_Zero = 01\r\n"
    "Empty =\r\n"
    "Only_Comment = ; nothing here\r\n"
    "Tabs =\t\tvalue\t\r\n"
    "Cmd = Setup.exe -s ; silent\r\n"
    "Type = hotfix ; upper-cased\r\n"
    "Count = 42 items\r\n"
    "Negative = -7\r\n"
    "Not_A_Number = x12\r\n"
    "Quoted_Blanks = \"  q  \"\r\n";

TEST(ConfigFile, CleanedValues) {
    TempIni ini("values.ini");
    ini.Write(kCatalogue);
    const ConfigFile config(ini.Path());
    const struct {
        const char* key;
        const wchar_t* value;
        const wchar_t* upper;
        bool flag;
        int number;
    } cases[] = {
        {"Restart", L"1", L"1", true, 1},
        {"Padded", L"1", L"1", true, 1},
        {"Word", L"TRUE", L"TRUE", false, 0},
        {"Leading_Zero", L"01", L"01", false, 1},
        {"Empty", L"", L"", false, 0},
        {"Only_Comment", L"", L"", false, 0},
        {"Tabs", L"value", L"VALUE", false, 0},
        {"Cmd", L"Setup.exe -s", L"SETUP.EXE -S", false, 0},
        {"Type", L"hotfix", L"HOTFIX", false, 0},
        {"Count", L"42 items", L"42 ITEMS", false, 42},
        {"Negative", L"-7", L"-7", false, -7},
        {"Not_A_Number", L"x12", L"X12", false, 0},
        {"Quoted_Blanks", L"q", L"Q", false, 0},
        {"Missing_Key", L"", L"", false, 0},
    };
    const ConfigFile::SectionReader reader(config, L" item_1");
    for (const auto& c : cases) {
        const std::wstring key(c.key, c.key + std::char_traits<char>::length(c.key));
        EXPECT_EQ(config.ReadIniValue(L"Item_1", key), c.value) << c.key;
        EXPECT_EQ(config.ReadIniValueUpper(L"item_1", key), c.upper) << c.key;
        EXPECT_EQ(config.ReadIniFlag(L"ITEM_1", key), c.flag) << c.key;
        EXPECT_EQ(config.ReadIniNumber(L"Item_1", key), c.number) << c.key;
        // The loader's reads of one section give the same, with the key as asked or made ready once.
        const ProfileFile::KeyName ready(key);
        EXPECT_EQ(reader.Value(key), c.value) << c.key;
        EXPECT_EQ(reader.Upper(key), c.upper) << c.key;
        EXPECT_EQ(reader.Flag(key), c.flag) << c.key;
        EXPECT_EQ(reader.Number(key), c.number) << c.key;
        EXPECT_EQ(reader.Value(ready), c.value) << c.key;
        EXPECT_EQ(reader.Upper(ready), c.upper) << c.key;
        EXPECT_EQ(reader.Flag(ready), c.flag) << c.key;
        EXPECT_EQ(reader.Number(ready), c.number) << c.key;
    }
    EXPECT_EQ(config.ReadRaw(L"Item_1", L"Restart"), L"1 ;comment");
}

TEST(ConfigFile, CleanIniValue) {
    const struct {
        const wchar_t* raw;
        const wchar_t* cleaned;
    } cases[] = {
        {L"\r\n  value \r\n", L"value"},
        {L"\t value\t", L"value"},
        {L"\r\n\tvalue\t\r\n", L"value"},
        {L"a;b;c", L"a"},
        {L";only a comment", L""},
        {L"  ", L""},
        {L"", L""},
        {L"X, Y ,Z", L"X, Y ,Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(CleanIniValue(c.raw), c.cleaned) << "raw \"" << testing::PrintToString(std::wstring(c.raw)) << "\"";
}

TEST(ConfigFile, MissingFileReadsEmpty) {
    const ConfigFile config(fs::temp_directory_path() / "config-file-test-does-not-exist.ini");
    EXPECT_EQ(config.ReadIniValue(L"Driver_CD", L"Model"), L"");
    EXPECT_FALSE(config.ReadIniFlag(L"Driver_CD", L"Model"));
    EXPECT_EQ(config.ReadIniNumber(L"Driver_CD", L"Model"), 0);
}

// A disc's files are small; one beyond the cap is not a disc's file and is not held in memory.
TEST(ConfigFile, FilesAboveTheSizeCapReadEmpty) {
    struct Case {
        std::uintmax_t size;
        const wchar_t* expected;
    } const cases[] = {
        {kMaxConfigFileBytes, L"kept"},
        {kMaxConfigFileBytes + 1, L""},
    };
    for (const Case& c : cases) {
        TempIni ini("size-cap.ini");
        const std::string head = "[S]\r\nk=kept\r\n;";
        ini.Write(head + std::string(static_cast<std::size_t>(c.size) - head.size(), 'x'));
        ASSERT_EQ(fs::file_size(ini.Path()), c.size);
        const ConfigFile config(ini.Path());
        EXPECT_EQ(config.ReadIniValue(L"S", L"k"), c.expected) << c.size << " bytes";
    }
}

TEST(ConfigFile, ParsedAgainWhenTheFileChanges) {
    TempIni ini("changes.ini");
    ini.Write("[S]\r\nk=old\r\n");
    const ConfigFile config(ini.Path(), DecodeWindows1252, std::chrono::milliseconds(0));
    ASSERT_EQ(config.ReadIniValue(L"S", L"k"), L"old");

    ini.Write("[S]\r\nk=longer\r\n");
    EXPECT_EQ(config.ReadIniValue(L"S", L"k"), L"longer") << "size changed";

    ini.Write("[S]\r\nk=sizes\r\n");  // same size as before: only the time stamp tells
    fs::last_write_time(ini.Path(), fs::last_write_time(ini.Path()) + std::chrono::hours(1));
    EXPECT_EQ(config.ReadIniValue(L"S", L"k"), L"sizes") << "time stamp changed";

    fs::remove(ini.Path());
    EXPECT_EQ(config.ReadIniValue(L"S", L"k"), L"") << "file removed";
}

// A section reader finds its section once per parse: after the file changed it finds it anew,
// also where the new file has it in another place or not at all.
TEST(ConfigFile, SectionReaderFollowsTheFile) {
    TempIni ini("reader-changes.ini");
    ini.Write("[S]\r\nk=old\r\n");
    const ConfigFile config(ini.Path(), DecodeWindows1252, std::chrono::milliseconds(0));
    const ConfigFile::SectionReader reader(config, L"S");
    const ProfileFile::KeyName key(L"K");
    ASSERT_EQ(reader.Value(key), L"old");

    ini.Write("[A]\r\nk=other\r\n[s]\r\nk=moved\r\n");
    EXPECT_EQ(reader.Value(key), L"moved") << "section moved";

    ini.Write("[A]\r\nk=other section only\r\n");
    EXPECT_EQ(reader.Value(L"k"), L"") << "section gone";

    ini.Write("[S]\r\nk=back\r\n");
    EXPECT_EQ(reader.Value(key), L"back") << "section back";
}

TEST(ConfigFile, LocalizedKeys) {
    const struct {
        const char* name;
        const wchar_t* tag;
        const wchar_t* title;
        const wchar_t* description;
    } cases[] = {
        {"ENG", L"ENG", L"Title_ENG", L"Description_ENG"},
        {"JPN", L"JPN", L"Title_JPN", L"Description_JPN"},
        {"unmapped language", L"", L"Title_ENG", L"Description_ENG"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalizedKey(LocalizedBase::Title, c.tag), c.title) << c.name;
        EXPECT_EQ(LocalizedKey(LocalizedBase::Description, c.tag), c.description) << c.name;
    }
    EXPECT_EQ(FallbackKey(LocalizedBase::Title), L"Title_Eng");
    EXPECT_EQ(FallbackKey(LocalizedBase::Description), L"Description_ENG");
}

TEST(ConfigFile, LanguageTagAndLocalizedKeys) {
    TempIni ini("language.ini");
    ini.Write(
        "[OS_Language_Tag]\r\n0409 = ENG\r\n0411=JPN ; Japanese\r\n"
        "[Item_1]\r\nTitle_ENG=Chipset\r\nTitle_JPN=\r\nDescription_JPN=Setsumei\r\n");
    const ConfigFile config(ini.Path());
    const struct {
        const wchar_t* languageCode;
        const wchar_t* tag;
        const wchar_t* title;  // read under the localized key
    } cases[] = {
        {L"0409", L"ENG", L"Chipset"},
        {L"0411", L"JPN", L""},
        {L"0407", L"", L"Chipset"},  // unmapped: the English key
    };
    for (const auto& c : cases) {
        const std::wstring tag = LookupLanguageTag(config, c.languageCode);
        EXPECT_EQ(tag, c.tag) << testing::PrintToString(std::wstring(c.languageCode));
        EXPECT_EQ(config.ReadIniValue(L"Item_1", LocalizedKey(LocalizedBase::Title, tag)), c.title)
            << testing::PrintToString(std::wstring(c.languageCode));
    }
    // The fallback key differs from the English one in letter case and still finds it.
    EXPECT_EQ(config.ReadIniValue(L"Item_1", FallbackKey(LocalizedBase::Title)), L"Chipset");
    EXPECT_EQ(config.ReadIniValue(L"Item_1", LocalizedKey(LocalizedBase::Description, L"JPN")), L"Setsumei");
}

}  // namespace
}  // namespace tavelin
