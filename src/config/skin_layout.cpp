#include "config/skin_layout.h"

#include "config/text.h"

namespace tavelin {

const std::array<SkinSection, kSkinTargetCount> kSkinSections = {{
    {L"BTN_Mode", SkinTarget::AdvanceButton, SkinPlacement::MoveOnly},
    {L"BTN_START", SkinTarget::StartButton, SkinPlacement::MoveOnly},
    {L"BTN_EXPLORER", SkinTarget::ExplorerButton, SkinPlacement::MoveOnly},
    {L"BTN_FILELIST", SkinTarget::FileListButton, SkinPlacement::MoveOnly},
    {L"BTN_TECHSUPPORT", SkinTarget::TechSupportButton, SkinPlacement::MoveOnly},
    {L"LIST", SkinTarget::ItemList, SkinPlacement::MoveAndResize},
    {L"DESCRIPTION", SkinTarget::Description, SkinPlacement::MoveAndResize},
    {L"VERSION", SkinTarget::VersionText, SkinPlacement::CheckOnly},
}};

SkinChoice ChooseSkin(int screenWidth) {
    if (screenWidth > 800) return {L"Skin_800.INI", 800, 600};
    return {L"Skin_640.INI", 640, 480};
}

std::wstring SkinFilePath(const std::wstring& discRoot, const SkinChoice& choice) {
    return discRoot + L"\\Lib" + L"\\Skin\\" + choice.fileName;
}

std::wstring SkinPicturePath(const std::wstring& discRoot, const std::wstring& file) {
    return discRoot + L"\\Lib\\Skin\\" + file;
}

std::wstring ReadSkinValue(const ConfigFile& skin, const std::wstring& section, const std::wstring& key) {
    const std::wstring raw = skin.ReadRaw(section, key);
    return CleanIniValue(std::wstring_view(raw).substr(0, kMaxSkinValueLength));
}

std::optional<SkinPosition> ParseSkinPosition(const std::wstring& value) {
    const std::vector<std::wstring> entries = SplitList(value, L",");
    if (entries.size() != 4) return std::nullopt;
    return SkinPosition{ParseLeadingInt(entries[0]), ParseLeadingInt(entries[1]), ParseLeadingInt(entries[2]),
                        ParseLeadingInt(entries[3])};
}

SkinLayout ReadSkinLayout(const ConfigFile& skin) {
    SkinLayout layout;
    layout.backgroundFile = ReadSkinValue(skin, L"Background", L"File");
    for (std::size_t i = 0; i < kSkinSections.size(); ++i) {
        const SkinSection& section = kSkinSections[i];
        layout.entries[i] = {&section, ParseSkinPosition(ReadSkinValue(skin, section.name, L"Position"))};
    }
    return layout;
}

}  // namespace tavelin
