// Random formats for a progress bar's text. The format comes from the disc's language library,
// so it is input: whatever it holds, the text is made without overrunning anything, a format
// without a percent sign is shown as written, and the text stays within a bound of its format.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "controls/xlist_geometry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(std::int32_t)) return 0;
    std::int32_t percent = 0;
    std::memcpy(&percent, data, sizeof(percent));
    std::wstring format;
    for (std::size_t i = sizeof(percent); i + 1 < size; i += 2) {
        format += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    const std::wstring text = tavelin::FormatProgressText(format, percent);
    if (!format.empty() && format.find(L'%') == std::wstring::npos && text != format) __builtin_trap();
    // Each conversion gives at most a field of 999 characters or so plus the number; every other
    // character of the format gives at most itself.
    if (text.size() > (format.size() + 1) * 2100) __builtin_trap();
    return 0;
}
