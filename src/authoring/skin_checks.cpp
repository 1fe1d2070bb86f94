#include "authoring/skin_checks.h"

#include "authoring/disc_files.h"
#include "authoring/ini_checks.h"
#include "config/skin_layout.h"
#include "config/text.h"

namespace tavelin {

namespace {

// The screens that choose each skin: one wider than 800 pixels, one not.
constexpr int kScreenWidths[] = {1024, 800};

bool Inside(const SkinPosition& p, const SkinChoice& choice, SkinPlacement placement) {
    if (p.x < 0 || p.y < 0 || p.x >= choice.windowWidth || p.y >= choice.windowHeight) return false;
    // Buttons keep their template's size, which only the window knows: their corner must be inside.
    if (placement != SkinPlacement::MoveAndResize) return true;
    return p.width >= 0 && p.height >= 0 && static_cast<long long>(p.x) + p.width <= choice.windowWidth &&
           static_cast<long long>(p.y) + p.height <= choice.windowHeight;
}

std::wstring PositionText(const SkinPosition& p) {
    return DecimalText(p.x) + L"," + DecimalText(p.y) + L"," + DecimalText(p.width) + L"," + DecimalText(p.height);
}

void CheckSkin(const std::filesystem::path& discRoot, const SkinChoice& choice, Findings& findings) {
    const std::wstring relative = std::wstring(L"Lib/Skin/") + choice.fileName;
    const auto path = FindOnDisc(discRoot, relative);
    if (!path) {
        findings.push_back({Severity::Error, "skin-missing", relative, 0,
                            L"the skin for " + DecimalText(choice.windowWidth) + L" x " + DecimalText(choice.windowHeight) +
                                L" windows is missing: the program stops with \"Skin error\" on such screens"});
        return;
    }
    const auto bytes = ReadDiscFile(*path, kMaxConfigFileBytes + 1);
    if (!bytes || bytes->size() > kMaxConfigFileBytes) {
        findings.push_back({Severity::Error, "file-too-large", relative, 0,
                            L"the file is larger than the program reads (4 MB): it reads as empty"});
        return;
    }
    const ProfileOutline outline = OutlineProfile(*bytes);
    ConfigFile skin(*path);
    ReadMap reads;
    ReadRecorder recorder(reads);
    skin.SetReadObserver(&recorder);
    const SkinLayout layout = ReadSkinLayout(skin);
    skin.SetReadObserver(nullptr);

    for (const SkinEntry& entry : layout.entries) {
        const int line = LineOf(outline, entry.section->name, L"Position");
        if (!entry.position) {
            findings.push_back({Severity::Error, "skin-position", relative, line,
                                std::wstring(L"[") + entry.section->name +
                                    L"] needs \"Position=x,y,width,height\": without it the program stops with \"Skin error\""});
        } else if (entry.section->placement != SkinPlacement::CheckOnly &&
                   !Inside(*entry.position, choice, entry.section->placement)) {
            findings.push_back({Severity::Error, "skin-position", relative, line,
                                std::wstring(L"[") + entry.section->name + L"] Position " + PositionText(*entry.position) +
                                    L" falls outside the " + DecimalText(choice.windowWidth) + L" x " +
                                    DecimalText(choice.windowHeight) + L" window"});
        }
    }
    if (layout.backgroundFile.empty()) {
        findings.push_back({Severity::Warning, "skin-picture-missing", relative, LineOf(outline, L"Background", L"File"),
                            L"the skin names no background picture ([Background] File=): the window is plain"});
    } else if (!FindOnDisc(discRoot, L"Lib\\Skin\\" + layout.backgroundFile)) {
        findings.push_back({Severity::Error, "skin-picture-missing", relative, LineOf(outline, L"Background", L"File"),
                            L"the background picture " + layout.backgroundFile + L" is not in Lib\\Skin"});
    }
    const IniFileView view{relative, outline, reads};
    CheckRepeatedNames(view, findings);
    CheckUnreadNames(view, {}, findings);
}

}  // namespace

void CheckSkins(const std::filesystem::path& discRoot, Findings& findings) {
    for (int width : kScreenWidths) CheckSkin(discRoot, ChooseSkin(width), findings);
}

}  // namespace tavelin
