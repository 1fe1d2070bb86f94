// Random text as a skin file through the reader the main dialog uses: every control's "Position"
// and the background's "File". Checks that each entry names its own section, that a position is
// read only from a value with at least three commas (empty entries between commas do not count),
// that a value reads the same through the layout as on its own, and that nothing longer than the
// skin's value buffer is ever read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "config/skin_layout.h"
#include "scratch_file.h"

namespace {

using namespace tavelin;

std::size_t Commas(const std::wstring& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), L',')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzzing::ScratchFile scratch("tavelin_skin_fuzz_");
    const std::filesystem::path& path = scratch.Write(data, size);
    // A fresh reader each time: the file changes between runs faster than its time stamp does.
    const ConfigFile skin(path);
    const SkinLayout layout = ReadSkinLayout(skin);
    if (layout.backgroundFile.size() > kMaxSkinValueLength) __builtin_trap();
    for (std::size_t i = 0; i < kSkinTargetCount; ++i) {
        const SkinEntry& entry = layout.entries[i];
        if (entry.section != &kSkinSections[i]) __builtin_trap();
        const std::wstring value = ReadSkinValue(skin, entry.section->name, L"Position");
        if (value.size() > kMaxSkinValueLength) __builtin_trap();
        if (entry.position.has_value() && Commas(value) < 3) __builtin_trap();
        if (!(entry.position == ParseSkinPosition(value))) __builtin_trap();
    }
    // The same text as one Position value: never a position without three commas, always one for
    // four plain numbers.
    const std::wstring whole(data, data + size);
    if (ParseSkinPosition(whole).has_value() && Commas(whole) < 3) __builtin_trap();
    if (size >= 4) {
        const std::wstring numbers = std::to_wstring(data[0]) + L"," + std::to_wstring(data[1]) + L"," +
                                     std::to_wstring(data[2]) + L"," + std::to_wstring(data[3]);
        const auto parsed = ParseSkinPosition(numbers);
        if (!parsed || parsed->x != data[0] || parsed->y != data[1] || parsed->width != data[2] ||
            parsed->height != data[3]) {
            __builtin_trap();
        }
    }
    return 0;
}
