#include "ui/skin.h"

#include "config/config_file.h"
#include "config/skin_layout.h"
#include "platform/text_encoding_win.h"
#include "ui/message_box_win.h"
#include "ui/resource.h"

namespace tavelin {
namespace {

// 0 for a section that places no control.
int ControlOf(SkinTarget target) {
    switch (target) {
        case SkinTarget::AdvanceButton: return IDC_ADVANCE;
        case SkinTarget::StartButton: return IDC_START;
        case SkinTarget::ExplorerButton: return IDC_EXPLORER;
        case SkinTarget::FileListButton: return IDC_FILE_LIST;
        case SkinTarget::TechSupportButton: return IDC_TECH_SUPPORT;
        case SkinTarget::ItemList: return IDC_ITEM_LIST;
        case SkinTarget::Description: return IDC_DESCRIPTION;
        case SkinTarget::VersionText: return 0;
    }
    return 0;
}

void PlaceControl(HWND dialog, const SkinSection& section, const SkinPosition& position) {
    if (section.placement == SkinPlacement::CheckOnly) return;
    const int control = ControlOf(section.target);
    if (control == 0) return;
    // No SWP_NOZORDER: a null insert-after window puts the placed control on top, so that
    // controls the skin lays over each other keep the order of the skin file.
    const UINT flags = section.placement == SkinPlacement::MoveOnly ? SWP_NOSIZE : 0;
    SetWindowPos(GetDlgItem(dialog, control), nullptr, position.x, position.y, position.width, position.height,
                 flags);
}

}  // namespace

UniqueGdiObject ApplySkinLayout(HWND dialog, const std::wstring& discRoot, RunLog& log) {
    const SkinChoice choice = ChooseSkin(GetSystemMetrics(SM_CXSCREEN));
    SetWindowPos(dialog, nullptr, 0, 0, choice.windowWidth, choice.windowHeight, SWP_NOMOVE);

    const std::wstring skinPath = SkinFilePath(discRoot, choice);
    log.Write(L"Skin: " + skinPath);
    const ConfigFile skin(skinPath, DecodeAnsiCodePage);
    const SkinLayout layout = ReadSkinLayout(skin);

    const std::wstring picture = SkinPicturePath(discRoot, layout.backgroundFile);
    UniqueGdiObject background(LoadImageW(nullptr, picture.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));

    for (const SkinEntry& entry : layout.entries) {
        if (entry.position) {
            PlaceControl(dialog, *entry.section, *entry.position);
        } else {
            log.Write(L"Refused: Skin error (the Position of [" + std::wstring(entry.section->name) +
                      L"] is malformed or missing)");
            // The window's own message box, not the application's: no icon is added.
            MessageBoxW(dialog, L"Skin error", ApplicationTitle().c_str(), MB_OK);
            PostQuitMessage(0);
        }
    }
    ShowWindow(GetDlgItem(dialog, IDC_DEFAULT), SW_HIDE);
    return background;
}

}  // namespace tavelin
