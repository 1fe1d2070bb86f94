// The skin description: which file a screen gets, the "Position" form, and what a whole skin file
// gives for each control, including the malformed and missing ones.
#include "config/skin_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "narrow_text.h"
#include "temp_ini_file.h"

namespace tavelin {
namespace {

TEST(SkinLayout, ScreenWidthChoosesTheSkin) {
    const struct {
        int screenWidth;
        const wchar_t* file;
        int width;
        int height;
    } cases[] = {
        {640, L"Skin_640.INI", 640, 480},  {799, L"Skin_640.INI", 640, 480}, {800, L"Skin_640.INI", 640, 480},
        {801, L"Skin_800.INI", 800, 600},  {1024, L"Skin_800.INI", 800, 600}, {0, L"Skin_640.INI", 640, 480},
    };
    for (const auto& c : cases) {
        const SkinChoice choice = ChooseSkin(c.screenWidth);
        EXPECT_EQ(std::wstring(choice.fileName), c.file) << "screen width " << c.screenWidth;
        EXPECT_EQ(choice.windowWidth, c.width) << "screen width " << c.screenWidth;
        EXPECT_EQ(choice.windowHeight, c.height) << "screen width " << c.screenWidth;
    }
}

TEST(SkinLayout, PathsAreUnderTheDiscsSkinFolder) {
    EXPECT_EQ(SkinFilePath(L"D:", ChooseSkin(1024)), L"D:\\Lib\\Skin\\Skin_800.INI");
    EXPECT_EQ(SkinFilePath(L"C:\\My Disc", ChooseSkin(800)), L"C:\\My Disc\\Lib\\Skin\\Skin_640.INI");
    EXPECT_EQ(SkinPicturePath(L"D:", L"Back 800.bmp"), L"D:\\Lib\\Skin\\Back 800.bmp");
}

TEST(SkinLayout, PositionNeedsExactlyFourEntries) {
    const struct {
        const char* name;
        const wchar_t* value;
        std::optional<SkinPosition> expected;
    } cases[] = {
        {"four numbers", L"10,20,30,40", SkinPosition{10, 20, 30, 40}},
        {"blanks around entries", L" 10 , 20 ,\t30 , 40 ", SkinPosition{10, 20, 30, 40}},
        {"three numbers", L"10,20,30", std::nullopt},
        {"five numbers", L"10,20,30,40,50", std::nullopt},
        {"trailing comma", L"10,20,30,40,", SkinPosition{10, 20, 30, 40}},
        {"empty piece skipped", L"10,,20,30,40", SkinPosition{10, 20, 30, 40}},
        {"blank piece counts", L"10, ,20,30", SkinPosition{10, 0, 20, 30}},
        {"no separator", L"10 20 30 40", std::nullopt},
        {"empty value", L"", std::nullopt},
        {"digits then letters", L"12px,7.9,30x,40 pixels", SkinPosition{12, 7, 30, 40}},
        {"no digits", L"left,top,30,40", SkinPosition{0, 0, 30, 40}},
        {"signs", L"-5,+6,30,40", SkinPosition{-5, 6, 30, 40}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSkinPosition(c.value), c.expected) << c.name;
    }
}

const char kFullSkin[] =
    "[Background]\r\n"
    "File = Back_800.bmp ; the picture\r\n"
    "[BTN_Mode]\r\n"
    "File = mode.bmp\r\n"
    "Position = 10, 20, 30, 40 ; a comment after the numbers\r\n"
    "[btn_start]\r\n"
    "Position=500,550,90,23\r\n"
    "[BTN_EXPLORER]\r\n"
    "Position=20,550,90,23\r\n"
    "[BTN_FILELIST]\r\n"
    "Position=120,550\r\n"
    "[BTN_TECHSUPPORT]\r\n"
    "Position=220,550,90,23\r\n"
    "[LIST]\r\n"
    "Position = 10, 20, 30, 40 ; the same value as the button\r\n"
    "[DESCRIPTION]\r\n"
    "Position=3x,4y,no,200 wide\r\n";  // no VERSION section

TEST(SkinLayout, WholeSkinInFileOrder) {
    const TempIniFile file(kFullSkin);
    const SkinLayout layout = ReadSkinLayout(file.Config());
    EXPECT_EQ(layout.backgroundFile, L"Back_800.bmp");
    const struct {
        const wchar_t* section;
        SkinTarget target;
        SkinPlacement placement;
        std::optional<SkinPosition> position;
    } expected[] = {
        {L"BTN_Mode", SkinTarget::AdvanceButton, SkinPlacement::MoveOnly, SkinPosition{10, 20, 30, 40}},
        {L"BTN_START", SkinTarget::StartButton, SkinPlacement::MoveOnly, SkinPosition{500, 550, 90, 23}},
        {L"BTN_EXPLORER", SkinTarget::ExplorerButton, SkinPlacement::MoveOnly, SkinPosition{20, 550, 90, 23}},
        {L"BTN_FILELIST", SkinTarget::FileListButton, SkinPlacement::MoveOnly, std::nullopt},
        {L"BTN_TECHSUPPORT", SkinTarget::TechSupportButton, SkinPlacement::MoveOnly, SkinPosition{220, 550, 90, 23}},
        {L"LIST", SkinTarget::ItemList, SkinPlacement::MoveAndResize, SkinPosition{10, 20, 30, 40}},
        {L"DESCRIPTION", SkinTarget::Description, SkinPlacement::MoveAndResize, SkinPosition{3, 4, 0, 200}},
        {L"VERSION", SkinTarget::VersionText, SkinPlacement::CheckOnly, std::nullopt},
    };
    ASSERT_EQ(std::size(expected), layout.entries.size());
    for (std::size_t i = 0; i < layout.entries.size(); ++i) {
        const SkinEntry& entry = layout.entries[i];
        const std::string name = Narrow(expected[i].section);
        ASSERT_NE(entry.section, nullptr) << name;
        EXPECT_EQ(std::wstring(entry.section->name), expected[i].section) << "entry " << i;
        EXPECT_EQ(entry.section->target, expected[i].target) << name;
        EXPECT_EQ(entry.section->placement, expected[i].placement) << name;
        EXPECT_EQ(entry.position, expected[i].position) << name;
    }
}

TEST(SkinLayout, SkinWithoutBackgroundHasNoPictureButItsPlaces) {
    const TempIniFile file(
        "[LIST]\r\nPosition=20,70,760,330\r\n"
        "[Background]\r\nColour=blue\r\n");
    const SkinLayout layout = ReadSkinLayout(file.Config());
    EXPECT_EQ(layout.backgroundFile, L"");
    EXPECT_EQ(layout.entries[5].position, (SkinPosition{20, 70, 760, 330}));
}

TEST(SkinLayout, MissingFileMakesEveryPositionMalformed) {
    const ConfigFile missing(std::filesystem::temp_directory_path() / "tavelin-no-such-skin" / "Skin_800.INI");
    const SkinLayout layout = ReadSkinLayout(missing);
    EXPECT_EQ(layout.backgroundFile, L"");
    for (const SkinEntry& entry : layout.entries) {
        EXPECT_FALSE(entry.position.has_value()) << Narrow(entry.section->name);
    }
}

TEST(SkinLayout, ValuesAreCutAt260CharactersBeforeTheyAreCleaned) {
    const std::string blanks(253, ' ');
    const struct {
        const char* name;
        std::string value;
        std::optional<SkinPosition> expected;
    } cases[] = {
        // 260 characters end with the "4"; the ",9" beyond them is never seen.
        {"fifth entry beyond the limit", "1,2,3," + blanks + "4,9", SkinPosition{1, 2, 3, 4}},
        // The limit falls inside the blanks, before the fourth entry's comma.
        {"fourth entry beyond the limit", "10,20,30" + std::string(252, ' ') + ",40", std::nullopt},
        // The comment starts after the limit: nothing of it is read, and nothing is lost before it.
        {"comment beyond the limit", "1,2,3," + blanks + "4" + std::string(10, ' ') + "; note", SkinPosition{1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        const TempIniFile file("[LIST]\r\nPosition=" + c.value + "\r\n");
        EXPECT_EQ(ReadSkinLayout(file.Config()).entries[5].position, c.expected) << c.name;
    }
    const TempIniFile picture("[Background]\r\nFile=" + std::string(256, 'p') + ".bmpXYZ\r\n");
    EXPECT_EQ(ReadSkinLayout(picture.Config()).backgroundFile, std::wstring(256, L'p') + L".bmp");
}

}  // namespace
}  // namespace tavelin
