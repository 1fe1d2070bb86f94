#include "report/report_page.h"

#include "config/text.h"
#include "runlog/utf8_text.h"

namespace tavelin {

namespace {

std::string Html(const std::wstring& text) { return EncodeUtf8(EscapeHtml(text)); }

// A reason of two lines keeps its line break.
std::string HtmlLines(const std::wstring& text) {
    std::string out;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = text.find(L'\n', begin);
        out += Html(text.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin));
        if (end == std::wstring::npos) return out;
        out += "<br>";
        begin = end + 1;
    }
}

const char kStyle[] =
    "body{font-family:Segoe UI,Tahoma,Arial,sans-serif;margin:1.5em;color:#222}"
    "h1{font-size:1.4em;margin:0 0 .6em}"
    "table{border-collapse:collapse}"
    "th,td{border:1px solid #bbb;padding:.3em .6em;text-align:left;vertical-align:top}"
    "th{background:#e8e8e8}"
    "table.machine th{width:12em}"
    "tr.install td{background:#dff0d8}"
    "tr.offered td{background:#fcf8e3}"
    "tr.installed td{background:#eeeeee;color:#666}"
    "tr.excluded td{background:#ffffff;color:#888}"
    "tr.done td{background:#b9e3b0}"
    "tr.failed td{background:#f2b8b5}"
    "tr.notrun td{background:#f5deb3}"
    ".legend span{display:inline-block;padding:.1em .5em;margin-right:.4em;border:1px solid #bbb}"
    ".refusal{background:#f2b8b5;padding:.6em;border:1px solid #c66}";

std::string MachineRow(const char* heading, const std::wstring& value) {
    return std::string("<tr><th>") + heading + "</th><td>" + (value.empty() ? "unknown" : Html(value)) + "</td></tr>\n";
}

std::wstring WhatItDoes(const ReportItem& item, const ReportPageTexts& texts) {
    switch (item.result) {
        case ItemRunResult::Done: return texts.done;
        case ItemRunResult::Failed: return texts.failed;
        case ItemRunResult::NotRun: return L"not run";
        case ItemRunResult::NotInRun: break;
    }
    if (item.checked) return L"install";
    return item.status;
}

}  // namespace

std::wstring EscapeHtml(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            case L'\'': out += L"&#39;"; break;
            default:
                if (c < 0x20 && c != L'\n' && c != L'\t') break;
                out += c;
        }
    }
    return out;
}

const char* ReportRowClass(const ReportItem& item) {
    switch (item.result) {
        case ItemRunResult::Done: return "done";
        case ItemRunResult::Failed: return "failed";
        case ItemRunResult::NotRun: return "notrun";
        case ItemRunResult::NotInRun: break;
    }
    if (item.checked) return "install";
    if (item.status == L"offered") return "offered";
    if (item.status == L"installed") return "installed";
    return "excluded";
}

std::string ReportPage(const FleetReport& report, const ReportPageTexts& texts) {
    const bool scan = report.kind == ReportKind::Scan;
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>" + Html(report.disc.title) +
        (scan ? " - scan" : " - installation") + "</title>\n<style>" + kStyle + "</style>\n</head><body>\n";
    page += "<h1>" + Html(report.disc.title) + (scan ? ": what the disc would do on this machine" : ": what the disc did on this machine") + "</h1>\n";
    page += "<table class=\"machine\">\n";
    page += MachineRow("Model", report.machine.model);
    page += MachineRow("Windows", report.machine.osName.empty() ? report.machine.osKey
                                                                : report.machine.osName + L" (" + report.machine.osKey + L")");
    page += MachineRow("64-bit Windows", report.machine.windows64 ? L"yes" : L"no");
    page += MachineRow("Language", report.machine.languageTag.empty()
                                       ? report.machine.languageCode
                                       : report.machine.languageTag + L" (" + report.machine.languageCode + L")");
    page += MachineRow("Disc", report.disc.root);
    page += MachineRow("Program", report.programVersion);
    page += MachineRow("Created", report.created);
    page += MachineRow("Exit code", DecimalText(report.exitCode));
    page += "</table>\n";
    if (!report.refusal.empty()) {
        page += "<p class=\"refusal\">" + HtmlLines(report.refusal) + "</p>\n";
    }
    page += "<p class=\"legend\">";
    if (scan) {
        page += "<span style=\"background:#dff0d8\">install</span>"
                "<span style=\"background:#fcf8e3\">offered, not checked</span>";
    } else {
        page += "<span style=\"background:#b9e3b0\">" + Html(texts.done) + "</span><span style=\"background:#f2b8b5\">" +
                Html(texts.failed) + "</span><span style=\"background:#f5deb3\">not run</span>";
    }
    page += "<span style=\"background:#eeeeee\">installed</span><span>not offered</span></p>\n";
    page += "<table class=\"items\">\n<thead><tr><th>Item</th><th>" + Html(texts.name) + "</th><th>" + Html(texts.type) +
            "</th><th>" + Html(texts.version) + "</th><th>Installed</th><th>" + (scan ? "Will do" : "Result") +
            "</th><th>Reason</th></tr></thead>\n<tbody>\n";
    for (const ReportItem& item : report.items) {
        page += std::string("<tr class=\"") + ReportRowClass(item) + "\" id=\"item-" + std::to_string(item.itemNo) +
                "\"><td>" + std::to_string(item.itemNo) + "</td><td>" + Html(item.title) + "</td><td>" +
                Html(item.typeText) + "</td><td>" + Html(item.discVersion) + "</td><td>" + Html(item.installedVersion) +
                "</td><td>" + Html(WhatItDoes(item, texts)) + "</td><td class=\"reason\">" + HtmlLines(item.reason) +
                "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n</body></html>\n";
    return page;
}

}  // namespace tavelin
