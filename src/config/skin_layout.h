// The skin description of the main dialog: which skin file a screen gets, and what the file says
// about the background picture and the place of each control. Portable: the window code in
// ui/skin.cpp applies the result.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/config_file.h"

namespace tavelin {

struct SkinChoice {
    const wchar_t* fileName;  // in the disc's Lib\Skin folder
    int windowWidth;          // outer size of the dialog window
    int windowHeight;
};

// Screens wider than 800 pixels get the 800 x 600 skin; every other screen the 640 x 480 one.
SkinChoice ChooseSkin(int screenWidth);

// "<disc root>\Lib\Skin\<file name>".
std::wstring SkinFilePath(const std::wstring& discRoot, const SkinChoice& choice);
// The background picture named by a skin: "<disc root>\Lib\Skin\<file>".
std::wstring SkinPicturePath(const std::wstring& discRoot, const std::wstring& file);

// Skin values are read into 260-character buffers where the skin files come from; the limit is
// applied to the raw text, before the comment is cut and the blanks trimmed.
inline constexpr std::size_t kMaxSkinValueLength = 260;
std::wstring ReadSkinValue(const ConfigFile& skin, const std::wstring& section, const std::wstring& key);

struct SkinPosition {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const SkinPosition& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// A "Position" value: exactly four comma-separated entries, each read as its leading number (0
// when it has none). Any other count is a malformed skin.
std::optional<SkinPosition> ParseSkinPosition(const std::wstring& value);

// The controls a skin places, in the order the skin file is read.
enum class SkinTarget {
    AdvanceButton,
    StartButton,
    ExplorerButton,
    FileListButton,
    TechSupportButton,
    ItemList,
    Description,
    VersionText,
};
inline constexpr std::size_t kSkinTargetCount = 8;

// Buttons keep the size their dialog template gives them (their captions are sized for it); the
// list and the description take the skin's size; the version entry is only checked for form.
enum class SkinPlacement { MoveOnly, MoveAndResize, CheckOnly };

struct SkinSection {
    const wchar_t* name;
    SkinTarget target;
    SkinPlacement placement;
};
extern const std::array<SkinSection, kSkinTargetCount> kSkinSections;

struct SkinEntry {
    const SkinSection* section;
    std::optional<SkinPosition> position;  // empty: the section's "Position" is malformed or missing
};

struct SkinLayout {
    std::wstring backgroundFile;  // "File" of "Background"; empty when the skin has none
    std::array<SkinEntry, kSkinTargetCount> entries;
};

SkinLayout ReadSkinLayout(const ConfigFile& skin);

}  // namespace tavelin
