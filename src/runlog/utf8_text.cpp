#include "runlog/utf8_text.h"

#include <cstdint>
#include <type_traits>

namespace tavelin {
namespace {

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::uint32_t UnitAt(std::wstring_view text, std::size_t index) {
    return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[index]));
}

void AppendCodePoint(std::string& bytes, std::uint32_t c) {
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | (c >> 6));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | (c >> 12));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (c >> 18));
        bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string EncodeUtf8(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = UnitAt(text, i);
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(UnitAt(text, i + 1))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (UnitAt(text, i + 1) - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) {
            c = kReplacementCharacter;
        }
        AppendCodePoint(bytes, c);
    }
    return bytes;
}

}  // namespace tavelin
