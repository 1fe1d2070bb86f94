// The seal: digests written into a catalogue a person wrote, nothing else of it changed, and the
// check clean afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "authoring/catalogue_edit.h"
#include "authoring/disc_check.h"
#include "authoring/disc_seal.h"
#include "authoring/report.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

// Only the sealed key's line changes or is added, in the file's own line breaks and encoding;
// comments, blank lines and the lack of a last line break stay.
TEST(CatalogueEdit, SetsOnlyTheKeysAskedFor) {
    const std::vector<ValueEdit> edits = {{L"Item_1", L"Install_SHA256", L"ab"}, {L"Item_2", L"Install_SHA256", L"cd"}};
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"added after the last key",
         "[Item_1]\r\nType=DRIVER\r\n; note\r\n\r\n[Item_2]\r\nType=HOTFIX",
         "[Item_1]\r\nType=DRIVER\r\nInstall_SHA256=ab\r\n; note\r\n\r\n[Item_2]\r\nType=HOTFIX\r\nInstall_SHA256=cd\r\n"},
        {"replaced where the reader finds it, comment and spacing before it kept",
         "[item_1]\nInstall_SHA256 = 00 ; old\nInstall_SHA256=11\n[Item_2]\n",
         "[item_1]\nInstall_SHA256 =ab\nInstall_SHA256=11\n[Item_2]\nInstall_SHA256=cd\n"},
        {"a section the file lacks is left alone", "[Item_1]\n", "[Item_1]\nInstall_SHA256=ab\n"},
        {"UTF-16", Utf16("[Item_1]\r\nType=DRIVER\r\n"), Utf16("[Item_1]\r\nType=DRIVER\r\nInstall_SHA256=ab\r\n")},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplyValueEdits(c.before, edits), c.after) << c.name;
}

TEST(DiscSeal, SealedDiscChecksCleanAndAChangedInstallerIsFound) {
    const fs::path root = fs::temp_directory_path() / ("tavelin_seal_" + std::to_string(reinterpret_cast<std::uintptr_t>(&root)));
    fs::create_directories(root / "Lib");
    fs::create_directories(root / "Apps");
    const std::string catalogue =
        "; a disc\r\n[Driver_CD]\r\nTitle_ENG=Seal\r\n[Items]\r\nItem_Quantity=2\r\n"
        "[Item_1]\r\nType=OPTIONAL_APPLICATION\r\nTitle_ENG=A\r\nSlient_Install_Cmd=\\Apps\\A.exe%%/s\r\n"
        "Slient_Uninstall_Cmd=\\Apps\\A.exe%%/u\r\nVersion=1\r\nVersion_Path=SOFTWARE\\A\\V\r\n"
        "[Item_2]\r\nType=OPTIONAL_APPLICATION\r\nTitle_ENG=B\r\nSlient_Install_Cmd=\\Apps\\Missing.exe\r\n"
        "Version=1\r\nVersion_Path=SOFTWARE\\B\\V\r\n";
    std::ofstream(root / "Lib" / "TAVELIN.INI", std::ios::binary) << catalogue;
    std::ofstream(root / "Apps" / "A.exe", std::ios::binary) << "installer A";

    const SealOutcome outcome = SealDisc(root);
    EXPECT_TRUE(outcome.error.empty());
    EXPECT_EQ(outcome.sealed.size(), 2u);
    EXPECT_EQ(outcome.notOnDisc.size(), 1u);
    std::stringstream sealed;
    sealed << std::ifstream(root / "Lib" / "TAVELIN.INI", std::ios::binary).rdbuf();
    std::string expected = catalogue;
    const std::string digest = "\r\nInstall_SHA256=" + std::string(EncodeUtf8(Sha256Text(Sha256Of("installer A")))) +
                               "\r\nUninstall_SHA256=" + EncodeUtf8(Sha256Text(Sha256Of("installer A")));
    expected.insert(expected.find("\r\n[Item_2]"), digest);
    EXPECT_EQ(sealed.str(), expected);

    Findings findings = CheckDisc(root);
    for (const Finding& finding : findings) {
        EXPECT_TRUE(finding.check.compare(0, 5, "seal-") != 0) << HumanReport(findings);
    }
    std::ofstream(root / "Apps" / "A.exe", std::ios::binary) << "installer A, changed";
    findings = CheckDisc(root);
    int mismatches = 0;
    for (const Finding& finding : findings) mismatches += finding.check == "seal-mismatch" ? 1 : 0;
    EXPECT_EQ(mismatches, 2) << HumanReport(findings);
    fs::remove_all(root);
}

}  // namespace
}  // namespace tavelin
