// The skinned main dialog as a user sees it: the window sized for the screen, the controls where
// the disc's skin puts them, the background picture behind them, and the two ways a skin can be
// incomplete. Registered once on a wide screen and once on an 800-pixel one; TAVELIN_EXPECTED_SKIN
// says which skin the registration must get, so that a prefix of the wrong size fails loudly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/program_driver.h"
#include "platform/handles.h"

namespace tavelin::testing {
namespace {

const char kPlainDisc[] =
    "[Driver_CD]\r\n"
    "Title_ENG=Skin Test Disc\r\n"
    "[Items]\r\n"
    "Item_Quantity=0\r\n";

struct Skin {
    const wchar_t* iniName;
    const wchar_t* pictureName;
    int windowWidth;
    int windowHeight;
    const char* name;  // "800" or "640", for messages and screenshot names
};

const Skin kWideSkin = {L"Skin_800.INI", L"Back_800.bmp", 800, 600, "800"};
const Skin kNarrowSkin = {L"Skin_640.INI", L"Back_640.bmp", 640, 480, "640"};

const Skin& SkinForThisScreen() {
    return GetSystemMetrics(SM_CXSCREEN) > 800 ? kWideSkin : kNarrowSkin;
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* expected = std::getenv("TAVELIN_EXPECTED_SKIN");
        ASSERT_NE(expected, nullptr) << "TAVELIN_EXPECTED_SKIN is not set";
        ASSERT_EQ(std::string(SkinForThisScreen().name), expected)
            << "screen width " << GetSystemMetrics(SM_CXSCREEN);
    }
};

RECT ControlRect(HWND dialog, int id) {
    RECT bounds = {};
    GetWindowRect(GetDlgItem(dialog, id), &bounds);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

SIZE WindowSize(HWND window) {
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

COLORREF ScreenPixel(HWND dialog, POINT client) {
    ClientToScreen(dialog, &client);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, client.x, client.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The pixel once the window has painted: a window just shown on a busy machine may not have yet,
// so the screen is read again (after asking for a repaint) until it shows the expected colour or
// three seconds have passed; the last reading is returned either way.
COLORREF PaintedPixel(HWND dialog, POINT client, COLORREF expected) {
    COLORREF colour = ScreenPixel(dialog, client);
    for (int i = 0; i < 60 && colour != expected; ++i) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(50);
        colour = ScreenPixel(dialog, client);
    }
    return colour;
}

class Picture {
public:
    explicit Picture(const std::wstring& path)
        : m_bitmap(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)),
          m_dc(CreateCompatibleDC(nullptr)),
          m_selected(m_dc.Get(), m_bitmap.Get()) {}
    bool Loaded() const { return m_bitmap.Valid(); }
    COLORREF Pixel(POINT at) const { return GetPixel(m_dc.Get(), at.x, at.y); }

private:
    UniqueGdiObject m_bitmap;
    UniqueMemoryDc m_dc;
    SelectedObject m_selected;
};

std::string Hex(COLORREF colour) {
    char text[16];
    snprintf(text, sizeof(text), "#%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

TEST_F(SkinTest, DemoSkinFitsTheScreenAndShowsItsPicture) {
    const Skin& skin = SkinForThisScreen();
    TestDisc disc(std::wstring(L"demo-skin-") + Widen(skin.name));
    disc.WriteIni(kPlainDisc);
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    EXPECT_TRUE(program.CollectMessagesUntilSettled().empty());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    const SIZE size = WindowSize(window);
    EXPECT_EQ(size.cx, skin.windowWidth) << skin.name;
    EXPECT_EQ(size.cy, skin.windowHeight) << skin.name;
    EXPECT_FALSE(ReadControl(window, 1005).visible) << "the Default button is hidden";
    EXPECT_TRUE(ReadControl(window, 1005).exists);
    for (int id : {1007, 1008, 1009, 1010, 1015, 1016, 1017}) {
        EXPECT_TRUE(ReadControl(window, id).visible) << id;
    }
    SaveScreenshot(window, std::wstring(L"skin-demo-") + Widen(skin.name));

    // The picture shows where no control covers it, and through the empty description text.
    const Picture picture(disc.DiscRoot() + L"\\Lib\\Skin\\" + skin.pictureName);
    ASSERT_TRUE(picture.Loaded());
    const RECT description = ControlRect(window, 1010);
    const RECT start = ControlRect(window, 1008);
    const struct {
        const char* where;
        POINT at;
    } points[] = {
        {"title band", {10, 10}},
        {"lower title band", {300, skin.windowHeight == 600 ? 50 : 38}},
        {"description", {(description.left + description.right) / 2, (description.top + description.bottom) / 2}},
        {"beside the Start button", {start.left - 4, (start.top + start.bottom) / 2}},
    };
    for (const auto& p : points) {
        EXPECT_EQ(Hex(PaintedPixel(window, p.at, picture.Pixel(p.at))), Hex(picture.Pixel(p.at))) << p.where;
    }
    EXPECT_TRUE(program.Close());
}

struct Place {
    int id;
    RECT rect;  // client coordinates; for buttons only the top left corner counts
};

// A skin whose button sizes are deliberately tiny: the buttons must keep their own.
std::string PlacingSkin(const Skin& skin, const std::vector<Place>& places) {
    const auto line = [](const char* section, const std::string& value) {
        return std::string("[") + section + "]\r\nPosition = " + value + "\r\n";
    };
    const auto numbers = [](const RECT& r) {
        return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right - r.left) + ", " +
               std::to_string(r.bottom - r.top);
    };
    std::string text = std::string("[Background]\r\nFile=") + (skin.windowWidth == 800 ? "Back_800.bmp" : "Back_640.bmp") +
                       "\r\n";
    for (const Place& p : places) {
        switch (p.id) {
            case 1009: text += line("BTN_Mode", numbers(p.rect) + " ; a comment after the numbers"); break;
            case 1008: text += line("btn_start", std::to_string(p.rect.left) + "px, " + std::to_string(p.rect.top) + "px, 1, 1"); break;
            case 1015: text += line("BTN_EXPLORER", numbers(p.rect)); break;
            case 1016: text += line("BTN_FILELIST", numbers(p.rect)); break;
            case 1017: text += line("BTN_TECHSUPPORT", numbers(p.rect)); break;
            case 1007: text += line("LIST", numbers(p.rect)); break;
            case 1010: text += line("DESCRIPTION", numbers(p.rect)); break;
            default: break;
        }
    }
    text += line("VERSION", "0, 0, 0, 0");
    return text;
}

TEST_F(SkinTest, ControlsGoWhereTheSkinSays) {
    // Both skin files are written, each with its own places, so that the wrong choice shows.
    const std::vector<Place> widePlaces = {
        {1009, {500, 500, 512, 509}}, {1008, {600, 510, 601, 511}}, {1015, {40, 480, 52, 489}},
        {1016, {150, 480, 162, 489}}, {1017, {260, 480, 272, 489}}, {1007, {30, 90, 530, 290}},
        {1010, {30, 300, 430, 340}},
    };
    const std::vector<Place> narrowPlaces = {
        {1009, {400, 380, 412, 389}}, {1008, {500, 390, 501, 391}}, {1015, {20, 360, 32, 369}},
        {1016, {120, 360, 132, 369}}, {1017, {220, 360, 232, 369}}, {1007, {24, 64, 424, 214}},
        {1010, {24, 230, 324, 260}},
    };
    const Skin& skin = SkinForThisScreen();
    TestDisc disc(std::wstring(L"placed-") + Widen(skin.name));
    disc.WriteIni(kPlainDisc);
    disc.WriteFile(L"Lib\\Skin\\Skin_800.INI", PlacingSkin(kWideSkin, widePlaces));
    disc.WriteFile(L"Lib\\Skin\\Skin_640.INI", PlacingSkin(kNarrowSkin, narrowPlaces));

    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    EXPECT_TRUE(program.CollectMessagesUntilSettled().empty());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    SaveScreenshot(window, std::wstring(L"skin-placed-") + Widen(skin.name));

    const std::vector<Place>& places = skin.windowWidth == 800 ? widePlaces : narrowPlaces;
    for (const Place& p : places) {
        const RECT actual = ControlRect(window, p.id);
        EXPECT_EQ(actual.left, p.rect.left) << skin.name << " control " << p.id;
        EXPECT_EQ(actual.top, p.rect.top) << skin.name << " control " << p.id;
        const bool resized = p.id == 1007 || p.id == 1010;
        if (resized) {
            EXPECT_EQ(actual.right - actual.left, p.rect.right - p.rect.left) << skin.name << " control " << p.id;
            EXPECT_EQ(actual.bottom - actual.top, p.rect.bottom - p.rect.top) << skin.name << " control " << p.id;
        } else {
            EXPECT_GT(actual.right - actual.left, 40) << skin.name << " button " << p.id << " keeps its width";
            EXPECT_GT(actual.bottom - actual.top, 15) << skin.name << " button " << p.id << " keeps its height";
        }
    }
    // The resource gives Explorer, File List and Tech. Support one size, Advance and Start a
    // narrower one; the skin's sizes change neither.
    const auto width = [&](int id) {
        const RECT r = ControlRect(window, id);
        return r.right - r.left;
    };
    EXPECT_EQ(width(1015), width(1016));
    EXPECT_EQ(width(1015), width(1017));
    EXPECT_EQ(width(1008), width(1009));
    EXPECT_GT(width(1015), width(1008));
    EXPECT_FALSE(ReadControl(window, 1005).visible) << "the Default button is hidden";
    EXPECT_TRUE(program.Close());
}

TEST_F(SkinTest, PositionWithThreeNumbersEndsTheProgram) {
    const std::string broken =
        "[Background]\r\nFile=Back_800.bmp\r\n"
        "[LIST]\r\nPosition=20, 70, 760\r\n";
    TestDisc disc(L"three-numbers");
    disc.WriteIni(kPlainDisc);
    // Every other section is well formed, so that LIST is the only fault.
    for (const Skin* skin : {&kWideSkin, &kNarrowSkin}) {
        std::string text = broken;
        for (const char* section : {"BTN_Mode", "BTN_START", "BTN_EXPLORER", "BTN_FILELIST", "BTN_TECHSUPPORT",
                                    "DESCRIPTION", "VERSION"}) {
            text += std::string("[") + section + "]\r\nPosition=10, 10, 10, 10\r\n";
        }
        disc.WriteFile(std::wstring(L"Lib\\Skin\\") + skin->iniName, text);
    }
    RunningProgram program(disc.ProgramPath(), L"setup.exe");
    const std::vector<MessageBoxSeen> messages = program.CollectMessageBoxesUntilSettled();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().text, L"Skin error");
    EXPECT_FALSE(messages.front().showsIcon) << "the window's own message box adds no icon";
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(program.EndsWithoutShowingAnyWindow()) << "the program ends by itself, its window never shown";
}

// A skin without a [Background] section, or one naming a picture the disc lacks: no message, the
// controls placed, and nothing drawn over the dialog's own background.
TEST_F(SkinTest, SkinWithoutItsPictureRunsWithoutOne) {
    const Skin& skin = SkinForThisScreen();
    const std::vector<Place> places = {
        {1009, {400, 380, 475, 403}}, {1008, {500, 380, 575, 403}}, {1015, {20, 380, 110, 403}},
        {1016, {120, 380, 210, 403}}, {1017, {220, 380, 310, 403}}, {1007, {20, 60, 600, 300}},
        {1010, {20, 320, 600, 350}},
    };
    std::string noSection = PlacingSkin(skin, places);
    noSection.erase(0, noSection.find("\r\n[") + 2);  // the [Background] section goes
    ASSERT_EQ(noSection.find("Background"), std::string::npos);
    std::string missingPicture = PlacingSkin(skin, places);
    const std::size_t file = missingPicture.find("File=") + 5;
    missingPicture.replace(file, missingPicture.find("\r\n", file) - file, "Missing.bmp");
    const struct {
        const wchar_t* name;
        std::string skinText;
    } cases[] = {{L"no-background-", noSection}, {L"missing-picture-", missingPicture}};
    for (const auto& c : cases) {
        TestDisc disc(c.name + Widen(skin.name));
        disc.WriteIni(kPlainDisc);
        disc.WriteFile(std::wstring(L"Lib\\Skin\\") + skin.iniName, c.skinText);
        RunningProgram program(disc.ProgramPath(), L"setup.exe");
        EXPECT_TRUE(program.CollectMessagesUntilSettled().empty()) << c.name;
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(window, nullptr) << c.name;
        EXPECT_EQ(ControlRect(window, 1007).left, 20) << c.name;
        SaveScreenshot(window, std::wstring(L"skin-") + c.name + Widen(skin.name));
        EXPECT_EQ(Hex(PaintedPixel(window, {10, 10}, GetSysColor(COLOR_3DFACE))), Hex(GetSysColor(COLOR_3DFACE)))
            << c.name;
        EXPECT_TRUE(program.Close()) << c.name;
    }
}

}  // namespace
}  // namespace tavelin::testing
