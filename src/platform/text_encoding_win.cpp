#include "platform/text_encoding_win.h"

#include <windows.h>

#include <climits>

namespace tavelin {

std::wstring DecodeAnsiCodePage(std::string_view bytes) {
    // MultiByteToWideChar takes an int length; a configuration file of 2 GB is not one.
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
    const int byteCount = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, text.data(), length);
    return text;
}

}  // namespace tavelin
