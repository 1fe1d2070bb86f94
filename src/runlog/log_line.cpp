#include "runlog/log_line.h"

#include <cstdio>

#include "runlog/utf8_text.h"

namespace tavelin {
namespace {

bool IsShownEscaped(wchar_t c) {
    return (c < 0x20 && c != L'\t') || (c >= 0x7F && c <= 0x9F);
}

void AppendEscaped(std::wstring& line, wchar_t c) {
    wchar_t escaped[8] = {};
    std::swprintf(escaped, 8, L"\\x%02X", static_cast<unsigned>(c));
    line += escaped;
}

}  // namespace

std::wstring TimestampText(const LogTime& time) {
    wchar_t text[40] = {};
    std::swprintf(text, 40, L"%04d-%02d-%02d %02d:%02d:%02d.%03d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second, time.millisecond);
    return text;
}

std::vector<std::wstring> LogEntryLines(std::wstring_view text) {
    std::vector<std::wstring> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            if (i + 1 < text.size()) lines.emplace_back(kContinuationIndent);
            continue;
        }
        if (IsShownEscaped(c)) {
            AppendEscaped(lines.back(), c);
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::string FormatLogEntry(const LogTime& time, std::wstring_view text) {
    const std::string stamp = EncodeUtf8(TimestampText(time)) + ' ';
    std::string bytes;
    for (const std::wstring& line : LogEntryLines(text)) {
        bytes += stamp;
        bytes += EncodeUtf8(line);
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace tavelin
