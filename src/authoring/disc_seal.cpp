#include "authoring/disc_seal.h"

#include <fstream>

#include "authoring/catalogue_edit.h"
#include "authoring/catalogue_survey.h"
#include "authoring/disc_files.h"
#include "config/config_file.h"
#include "config/profile_outline.h"
#include "config/text.h"
#include "install/command_line.h"
#include "install/installer_seal.h"

namespace tavelin {

std::optional<Sha256Digest> DiscFileSha256(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Sha256 hash;
    std::vector<char> buffer(64 * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        hash.Update(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return hash.Finish();
}

SealOutcome SealDisc(const std::filesystem::path& discRoot) {
    SealOutcome outcome;
    const auto path = FindOnDisc(discRoot, L"Lib/TAVELIN.INI");
    if (!path) {
        outcome.error = L"the disc has no Lib\\TAVELIN.INI";
        return outcome;
    }
    const auto bytes = ReadDiscFile(*path, kMaxConfigFileBytes + 1);
    if (!bytes || bytes->size() > kMaxConfigFileBytes) {
        outcome.error = L"the catalogue cannot be read, or is larger than the program reads (4 MB)";
        return outcome;
    }
    const ProfileOutline outline = OutlineProfile(*bytes);
    ConfigFile config(*path);
    const CatalogueSurvey survey = SurveyCatalogue(config, outline);

    struct Command {
        const wchar_t* key;
        const wchar_t* sealKey;
        const std::wstring CItem::*text;
    };
    const Command commands[] = {{L"Slient_Install_Cmd", kInstallSealKey, &CItem::m_strInstallCmd},
                                {L"Slient_Uninstall_Cmd", kUninstallSealKey, &CItem::m_strUninstallCmd}};
    std::vector<ValueEdit> edits;
    for (const auto& [itemNo, item] : survey.items) {
        const std::wstring section = L"Item_" + DecimalText(itemNo);
        for (const Command& command : commands) {
            const std::wstring& text = (*item).*command.text;
            if (TrimWhiteSpace(text).empty()) continue;
            const std::wstring program = TrimWhiteSpace(ProgramPathOf(text));
            const auto file = FindOnDisc(discRoot, program);
            const std::optional<Sha256Digest> digest =
                file && std::filesystem::is_regular_file(*file) ? DiscFileSha256(*file) : std::nullopt;
            if (!digest) {
                outcome.notOnDisc.push_back(section + L" " + command.key + L" (" + program + L")");
                continue;
            }
            edits.push_back({section, command.sealKey, Sha256Text(*digest)});
            outcome.sealed.push_back(section + L" " + command.sealKey + L" = " + Sha256Text(*digest) + L" (" +
                                     program + L")");
        }
    }
    const std::string sealed = ApplyValueEdits(*bytes, edits);
    if (sealed == *bytes) return outcome;
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out.write(sealed.data(), static_cast<std::streamsize>(sealed.size()));
    out.close();
    if (!out) outcome.error = L"the catalogue could not be written";
    return outcome;
}

}  // namespace tavelin
