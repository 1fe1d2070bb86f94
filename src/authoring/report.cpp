#include "authoring/report.h"

#include <cstdio>

namespace tavelin {

namespace {

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string EncodeUtf8(const std::wstring& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

std::string HumanReport(const Findings& findings) {
    std::string out;
    std::size_t errors = 0;
    for (const Finding& finding : findings) {
        out += EncodeUtf8(finding.file);
        if (finding.line > 0) out += ":" + std::to_string(finding.line);
        out += std::string(": ") + SeverityName(finding.severity) + ": " + EncodeUtf8(finding.message) + " [" +
               finding.check + "]\n";
        if (finding.severity == Severity::Error) ++errors;
    }
    out += std::to_string(errors) + " error(s), " + std::to_string(findings.size() - errors) + " warning(s)\n";
    return out;
}

std::string JsonReport(const Findings& findings) {
    std::string out = "{\"findings\":[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += i == 0 ? "\n" : ",\n";
        out += "{\"severity\":" + JsonString(SeverityName(f.severity)) + ",\"check\":" + JsonString(f.check) +
               ",\"file\":" + JsonString(EncodeUtf8(f.file)) + ",\"line\":" + std::to_string(f.line) +
               ",\"message\":" + JsonString(EncodeUtf8(f.message)) + "}";
    }
    out += std::string("\n],\"errors\":") + (HasErrors(findings) ? "true" : "false") + "}\n";
    return out;
}

}  // namespace tavelin
