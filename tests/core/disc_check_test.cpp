// The disc author's check: a small disc that checks clean, and one planted mistake per check,
// each found on its line and nothing else found with it; the demo disc and the test discs find
// only what they are meant to.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "authoring/disc_check.h"
#include "authoring/report.h"
#include "config/profile_outline.h"
#include "narrow_text.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

const char kGoodCatalogue[] =
    "[Driver_CD]\n"                                         // 1
    "Title_ENG=Good disc\n"                                 // 2
    "Title_JPN=Good disc JP\n"                              // 3
    "OS_VERSION=Windows XP\n"                               // 4
    "[OS_Language_Tag]\n"                                   // 5
    "0409=ENG\n"                                            // 6
    "0411=JPN\n"                                            // 7
    "WNT_5.1_XP=Windows XP\n"                               // 8
    "[Items]\n"                                             // 9
    "Item_Quantity=2\n"                                     // 10
    "; the chipset driver\n"                                // 11
    "[Item_1]\n"                                            // 12
    "Type=DRIVER\n"                                         // 13
    "Title_ENG=Chipset\n"                                   // 14
    "Slient_Install_Cmd=\\Drivers\\Setup.exe%%/s\n"         // 15
    "HW_ID_Quantity=1\n"                                    // 16
    "HW_ID_1=PCI\\VEN_1\n"                                  // 17
    "Version_1=1.0\n"                                       // 18
    "Date_1=1-1-2007\n"                                     // 19
    "[Item_2]\n"                                            // 20
    "Type=OPTIONAL_APPLICATION\n"                           // 21
    "Title_ENG=Player\n"                                    // 22
    "Slient_Install_Cmd=\\Apps\\Setup.exe\n"                // 23
    "Version=2.0\n"                                         // 24
    "Version_Path=SOFTWARE\\Maker\\Player\\Version\n"       // 25
    "Dependence=Item_1\n";                                  // 26

std::string Skin(const std::string& picture, const std::string& listPosition) {
    return "[Background]\nFile=" + picture + "\n"      // 1, 2
           "[BTN_Mode]\nPosition=400,420,75,23\n"       // 3, 4
           "[BTN_START]\nPosition=480,420,75,23\n"      // 5, 6
           "[BTN_EXPLORER]\nPosition=10,420,75,23\n"    // 7, 8
           "[BTN_FILELIST]\nPosition=90,420,75,23\n"    // 9, 10
           "[BTN_TECHSUPPORT]\nPosition=170,420,75,23\n"  // 11, 12
           "[LIST]\nPosition=" + listPosition + "\n"    // 13, 14
           "[DESCRIPTION]\nPosition=10,380,600,28\n"    // 15, 16
           "[VERSION]\nPosition=10,450,200,16\n";       // 17, 18
}

using DiscFiles = std::map<std::string, std::string>;  // relative path -> content

DiscFiles GoodDisc() {
    return {
        {"Lib/TAVELIN.INI", kGoodCatalogue},
        {"Lib/0411.DLL", "language library"},
        // Other case than the catalogue writes: Windows finds it all the same.
        {"drivers/setup.EXE", "installer"},
        {"Apps/Setup.exe", "installer"},
        {"Lib/Skin/Skin_640.INI", Skin("Back.bmp", "10,60,600,300")},
        {"Lib/Skin/Skin_800.INI", Skin("back.BMP", "10,60,760,300")},
        {"Lib/Skin/Back.bmp", "BM"},
        {"FILELIST.TXT", "files"},
        {"TECHSUPP.TXT", "support"},
    };
}

class TempDisc {
public:
    explicit TempDisc(const DiscFiles& files) {
        static std::atomic<int> counter{0};
        m_root = fs::temp_directory_path() /
                 ("tavelin_disc_" + std::to_string(counter++) + "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        for (const auto& [path, content] : files) {
            fs::create_directories((m_root / path).parent_path());
            std::ofstream(m_root / path, std::ios::binary) << content;
        }
    }
    ~TempDisc() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    TempDisc(const TempDisc&) = delete;
    TempDisc& operator=(const TempDisc&) = delete;
    const fs::path& Root() const { return m_root; }

private:
    fs::path m_root;
};

std::string Describe(const Findings& findings) {
    return findings.empty() ? std::string("(none)") : HumanReport(findings);
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST(DiscCheck, TheSmallDiscChecksClean) {
    const TempDisc disc(GoodDisc());
    const Findings findings = CheckDisc(disc.Root());
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

struct PlantedMistake {
    const char* name;
    std::string from;  // replaced in TAVELIN.INI (empty: the catalogue stays as it is)
    std::string to;
    std::string removedFile;  // removed from the disc (empty: none)
    const char* check;        // the finding it must give
    Severity severity;
    std::wstring file;
    int line;
    std::set<std::string> alsoAllowed;  // findings the same mistake causes besides
    std::wstring messagePart;           // a part of the message that must be there, when not empty
};

// A time limit is a key the program reads, for the disc and for each item.
TEST(DiscCheck, TimeLimitsInSecondsCheckClean) {
    DiscFiles files = GoodDisc();
    Replace(files["Lib/TAVELIN.INI"], "OS_VERSION=Windows XP\n", "OS_VERSION=Windows XP\nInstall_Timeout=1800\n");
    Replace(files["Lib/TAVELIN.INI"], "Version=2.0\n", "Version=2.0\nInstall_Timeout=300\n");
    const TempDisc disc(files);
    const Findings findings = CheckDisc(disc.Root());
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

TEST(DiscCheck, EachPlantedMistakeIsFoundOnItsLine) {
    const std::wstring ini = L"Lib/TAVELIN.INI";
    const PlantedMistake cases[] = {
        {"dependence on a missing item", "Dependence=Item_1", "Dependence=Item_3", "", "item-reference-missing",
         Severity::Error, ini, 26, {}, L"Item_3"},
        {"an entry the list does not take", "Dependence=Item_1", "Dependence=item_1", "", "item-reference-unread",
         Severity::Error, ini, 26, {}, L"item_1"},
        {"a cycle of dependences", "Date_1=1-1-2007\n", "Date_1=1-1-2007\nDependence=Item_2\n", "", "dependence-cycle",
         Severity::Error, ini, 20, {}, L"Item_1 -> Item_2 -> Item_1"},
        {"an installer not on the disc", "\\Apps\\Setup.exe", "\\Apps\\Install.exe", "", "file-missing",
         Severity::Error, ini, 23, {}, L"\\Apps\\Install.exe"},
        {"an uninstaller not on the disc", "Version=2.0\n", "Version=2.0\nSlient_Uninstall_Cmd=\\Apps\\Remove.exe%%/u\n", "",
         "file-missing", Severity::Error, ini, 25, {}, L"\\Apps\\Remove.exe"},
        {"an OS name without a key", "OS_VERSION=Windows XP", "OS_VERSION=Windows XP, Windows 7", "", "os-name-unmapped",
         Severity::Error, ini, 4, {}, L"Windows 7"},
        {"an item's OS name without a key", "Version=2.0\n", "Version=2.0\nOS_Version=Windows 2000\n", "",
         "os-name-unmapped", Severity::Error, ini, 25, {}, L"Windows 2000"},
        {"a value cut at the reader's limit", "Title_ENG=Player\n",
         "Title_ENG=Player\nDescription_ENG=" + std::string(70000, 'x') + "\n", "", "value-cut", Severity::Error, ini,
         23, {}, L"65535"},
        {"more items than the program reads", "Item_Quantity=2", "Item_Quantity=600", "", "count-beyond-bound",
         Severity::Error, ini, 10, {}, L"512"},
        {"more hardware ids than an item may have", "HW_ID_Quantity=1", "HW_ID_Quantity=513", "",
         "count-beyond-bound", Severity::Error, ini, 16, {"version-unreadable", "date-unreadable"}, L"512"},
        {"a type the program does not know", "Type=OPTIONAL_APPLICATION", "Type=OPTIONAL_APP", "", "type-unknown",
         Severity::Error, ini, 21, {"key-unread"}, L"OPTIONAL_APP"},
        {"a version with a part the comparison reads as 0", "Version=2.0", "Version=2.x", "", "version-unreadable",
         Severity::Error, ini, 24, {}, L"\"2.X\""},
        {"a driver without a version", "Version_1=1.0\n", "", "", "version-unreadable", Severity::Error, ini, 12, {}, L""},
        {"a date in another form", "Date_1=1-1-2007", "Date_1=2007/01/01", "", "date-unreadable", Severity::Error, ini,
         19, {}, L"2007/01/01"},
        {"an item no Windows keeps", "Type=OPTIONAL_APPLICATION\n", "Type=OPTIONAL_APPLICATION\nSystem_Type=AMD64\n", "",
         "item-never-kept", Severity::Error, ini, 22, {}, L"AMD64"},
        {"an item without any title", "Title_ENG=Player\n", "", "", "item-never-kept", Severity::Error, ini, 20, {}, L""},
        {"a misspelt key", "Slient_Install_Cmd=\\Apps", "Silent_Install_Cmd=\\Apps", "", "key-unread",
         Severity::Warning, ini, 23, {"install-command-missing"}, L"did you mean \"Slient_Install_Cmd\""},
        {"a key read only for other types", "Version_Path=", "Date_1=1-1-2007\nVersion_Path=", "", "key-unread",
         Severity::Warning, ini, 25, {}, L"Date_1"},
        {"an item beyond the item count", "Item_Quantity=2", "Item_Quantity=1", "", "section-unread", Severity::Warning,
         ini, 20, {"item-reference-missing"}, L"beyond Item_Quantity (1)"},
        {"a misspelt section", "[OS_Language_Tag]", "[OS_Languages_Tag]", "", "section-unread", Severity::Warning, ini,
         5, {"os-name-unmapped", "key-unread"}, L"did you mean \"OS_Language_Tag\""},
        {"a key given twice", "Title_ENG=Player\n", "Title_ENG=Player\nTitle_ENG=Other\n", "", "repeated-key",
         Severity::Warning, ini, 23, {}, L"line 22"},
        {"a section given twice", "Dependence=Item_1\n", "Dependence=Item_1\n[Item_1]\nType=HOTFIX\n", "",
         "repeated-section", Severity::Warning, ini, 27, {}, L"line 12"},
        {"a line without a value", "Version=2.0\n", "Version=2.0\nRestart\n", "", "line-without-value",
         Severity::Warning, ini, 25, {}, L"Restart"},
        {"a language tag without a disc title", "Title_JPN=Good disc JP\n", "", "", "language-no-title",
         Severity::Warning, ini, 1, {}, L"Title_JPN"},
        {"an item language no code maps to", "Version=2.0\n", "Version=2.0\nLanguage_ID=ENG, FRA\n", "",
         "language-unmapped", Severity::Warning, ini, 25, {}, L"FRA"},
        {"a mapped language without its library", "", "", "Lib/0411.DLL", "language-no-library", Severity::Warning, ini,
         7, {}, L"Lib\\0411.DLL"},
        {"a skin picture not on the disc", "", "", "Lib/Skin/Back.bmp", "skin-picture-missing", Severity::Error,
         L"Lib/Skin/Skin_640.INI", 2, {"skin-picture-missing"}, L"Back.bmp"},
        {"a missing skin", "", "", "Lib/Skin/Skin_800.INI", "skin-missing", Severity::Error, L"Lib/Skin/Skin_800.INI", 0,
         {}, L"800 x 600"},
        {"no file list", "", "", "FILELIST.TXT", "text-file-missing", Severity::Warning, L"FILELIST.TXT", 0, {}, L""},
        {"no support text", "", "", "TECHSUPP.TXT", "text-file-missing", Severity::Warning, L"TECHSUPP.TXT", 0, {}, L""},
        {"no catalogue", "", "", "Lib/TAVELIN.INI", "catalogue-missing", Severity::Error, ini, 0, {}, L""},
        {"an item's time limit that is not a number", "Version=2.0\n", "Version=2.0\nInstall_Timeout=5 min\n", "",
         "timeout-invalid", Severity::Error, ini, 25, {}, L"\"5 min\" in [Item_2]"},
        {"a disc's time limit of 0", "OS_VERSION=Windows XP\n", "OS_VERSION=Windows XP\nInstall_Timeout=0\n", "",
         "timeout-invalid", Severity::Error, ini, 5, {}, L"no time limit"},
        {"an empty time limit", "Date_1=1-1-2007\n", "Date_1=1-1-2007\nInstall_Timeout=\n", "", "timeout-invalid",
         Severity::Error, ini, 20, {}, L"[Item_1]"},
        // Seals: the good disc seals nothing; once it seals one installer, every other installer on
        // it is reported unsealed (the chipset driver of line 15).
        {"a seal that is not the file's", "Apps\\Setup.exe\n", "Apps\\Setup.exe\nInstall_SHA256=7c396065ab20e538a20f1853e3a44d7d75f4ae6e41091de02c3721884befa1f8\n", "",
         "seal-mismatch", Severity::Error, ini, 24, {"seal-missing"}, L"9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c"},
        {"a seal that is no digest", "Apps\\Setup.exe\n", "Apps\\Setup.exe\nInstall_SHA256=12345\n", "",
         "seal-unreadable", Severity::Error, ini, 24, {"seal-missing"}, L"never starts"},
        {"an installer left unsealed on a sealed disc", "Apps\\Setup.exe\n", "Apps\\Setup.exe\nInstall_SHA256=9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c\n", "",
         "seal-missing", Severity::Warning, ini, 15, {}, L"\\Drivers\\Setup.exe"},
    };
    for (const PlantedMistake& planted : cases) {
        DiscFiles files = GoodDisc();
        if (!planted.from.empty()) Replace(files["Lib/TAVELIN.INI"], planted.from, planted.to);
        if (!planted.removedFile.empty()) files.erase(planted.removedFile);
        const TempDisc disc(files);
        const Findings findings = CheckDisc(disc.Root());

        bool found = false;
        for (const Finding& finding : findings) {
            if (finding.check == planted.check && finding.file == planted.file && finding.line == planted.line) {
                found = true;
                EXPECT_EQ(finding.severity, planted.severity) << planted.name;
                EXPECT_NE(finding.message.find(planted.messagePart), std::wstring::npos)
                    << planted.name << ": " << Narrow(finding.message);
            } else {
                EXPECT_TRUE(finding.check == planted.check || planted.alsoAllowed.count(finding.check) > 0)
                    << planted.name << ": also found " << Describe({finding});
            }
        }
        EXPECT_TRUE(found) << planted.name << ": found only " << Describe(findings);
        if (planted.alsoAllowed.empty()) {
            EXPECT_EQ(HasErrors(findings), planted.severity == Severity::Error) << planted.name;
        }
    }
}

TEST(DiscCheck, SkinPositionsOutsideTheWindowOrMissing) {
    struct Case {
        const char* name;
        std::string listPosition;
        const char* part;
    };
    const Case cases[] = {
        {"wider than the window", "10,60,700,300", "outside the 640 x 480 window"},
        {"below the window", "10,470,600,30", "outside the 640 x 480 window"},
        {"left of the window", "-5,60,600,300", "outside the 640 x 480 window"},
        {"three numbers", "10,60,600", "needs \"Position=x,y,width,height\""},
    };
    for (const Case& c : cases) {
        DiscFiles files = GoodDisc();
        files["Lib/Skin/Skin_640.INI"] = Skin("Back.bmp", c.listPosition);
        const TempDisc disc(files);
        const Findings findings = CheckDisc(disc.Root());
        ASSERT_EQ(findings.size(), 1u) << c.name << "\n" << Describe(findings);
        EXPECT_EQ(findings[0].check, "skin-position") << c.name;
        EXPECT_EQ(findings[0].file, L"Lib/Skin/Skin_640.INI") << c.name;
        EXPECT_EQ(findings[0].line, 14) << c.name;
        EXPECT_NE(Narrow(findings[0].message).find(c.part), std::string::npos) << c.name << ": " << Narrow(findings[0].message);
    }
}

std::multiset<std::pair<std::string, int>> ChecksAndLines(const Findings& findings) {
    std::multiset<std::pair<std::string, int>> result;
    for (const Finding& finding : findings) result.insert({finding.check, finding.line});
    return result;
}

// The demo disc's own files: what is missing is what the Windows build adds when it assembles the
// disc (the sample installer under each name, the language libraries); the assembled disc checks
// clean (a Windows-build test runs the tool on it).
TEST(DiscCheck, TheDemoDiscLacksOnlyWhatTheBuildAdds) {
    const Findings findings = CheckDisc(fs::path(TAVELIN_SOURCE_DIR) / "demo" / "disc");
    const std::multiset<std::pair<std::string, int>> expected = {
        {"language-no-library", 11}, {"language-no-library", 12},  // 0411.DLL, 0407.DLL
        {"file-missing", 32},  {"file-missing", 47}, {"file-missing", 48}, {"file-missing", 60},
        {"file-missing", 61},  {"file-missing", 72}, {"file-missing", 82}, {"file-missing", 91},
    };
    EXPECT_EQ(ChecksAndLines(findings), expected) << Describe(findings);
}

// The evaluation's test disc holds one item per way of being judged, several of them mistakes on
// purpose; it carries only a catalogue.
TEST(DiscCheck, TheWholeTestDiscFindsItsIntendedMistakes) {
    const Findings findings = CheckDisc(fs::path(TAVELIN_TEST_DATA) / "discs" / "whole");
    std::multiset<std::pair<std::string, int>> expected = {
        {"text-file-missing", 0}, {"text-file-missing", 0}, {"skin-missing", 0}, {"skin-missing", 0},
        {"language-no-title", 6},          // Japanese is mapped, the disc is titled in English only
        {"language-no-library", 14},       // no language libraries at all
        {"os-name-unmapped", 73},          // item 6 names Windows 7, which the disc does not map
        {"type-unknown", 93},              // item 9
        {"item-reference-missing", 105},   // item 10 names Item_11, which has no section
    };
    // No item starts an installer: the disc is for the evaluation only.
    for (int line : {22, 34, 43, 49, 55, 68, 76, 85, 98, 111}) expected.insert({"install-command-missing", line});
    EXPECT_EQ(ChecksAndLines(findings), expected) << Describe(findings);
}

TEST(DiscCheck, JsonReportCarriesEveryFinding) {
    DiscFiles files = GoodDisc();
    Replace(files["Lib/TAVELIN.INI"], "Dependence=Item_1", "Dependence=Item_3");
    const TempDisc disc(files);
    const std::string json = JsonReport(CheckDisc(disc.Root()));
    EXPECT_NE(json.find("\"check\":\"item-reference-missing\",\"file\":\"Lib/TAVELIN.INI\",\"line\":26"), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"errors\":true"), std::string::npos) << json;
}

// The outline answers where the reader's lookups find a value, for files of every shape the
// project has: the two must never disagree about which key a lookup reaches.
TEST(ProfileOutline, FindsWhatTheReaderFinds) {
    const std::string text =
        "top=1\r\n[A]\r\nx=1\r\n\r\n[a]\ny=2\n[B]\rx = 3\r\rx=4\n  [ C ] tail\nnovalue\nz=\"q\"\n[B]\nw=5\n";
    const ProfileFile reader = ProfileFile::Parse(text);
    const ProfileOutline outline = OutlineProfile(text);
    struct Lookup {
        const wchar_t* section;
        const wchar_t* key;
        int line;  // 0: the reader finds no value
    };
    const Lookup lookups[] = {
        {L"", L"top", 1}, {L"a", L"X", 3},  {L"A", L"y", 0},    {L"b", L"x", 8},
        {L"C", L"z", 13}, {L"C", L"novalue", 0}, {L"B", L"w", 0},
    };
    for (const Lookup& lookup : lookups) {
        const OutlineKey* key = outline.FindKey(lookup.section, lookup.key);
        const bool readerFinds = reader.Find(lookup.section, lookup.key).has_value();
        const bool outlineFinds = key != nullptr && key->hasValue;
        EXPECT_EQ(outlineFinds, readerFinds) << Narrow(lookup.section) << "/" << Narrow(lookup.key);
        EXPECT_EQ(outlineFinds ? key->line : 0, lookup.line) << Narrow(lookup.section) << "/" << Narrow(lookup.key);
    }
    ASSERT_EQ(outline.sections.size(), 6u);
    EXPECT_TRUE(outline.sections[2].repeated) << "[a] repeats [A]";
    EXPECT_TRUE(outline.sections[5].repeated) << "the second [B]";
    EXPECT_TRUE(outline.sections[3].keys[1].repeated) << "the second x of [B]";
}

}  // namespace
}  // namespace tavelin
