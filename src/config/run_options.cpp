#include "config/run_options.h"

#include <algorithm>

#include "config/text.h"

namespace tavelin {

namespace {

// The name of a switch argument without its "/" or "-", or empty for an argument that is none.
std::wstring SwitchName(const std::wstring& argument) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) return {};
    return argument.substr(1);
}

bool IsDecimal(const std::wstring& text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// "recommended", "all" or item numbers separated by commas; false with the error set otherwise.
bool ParseItemChoice(const std::wstring& value, RunOptions& options) {
    if (EqualsNoCase(value, L"recommended")) {
        options.items = ItemChoice::Recommended;
        return true;
    }
    if (EqualsNoCase(value, L"all")) {
        options.items = ItemChoice::All;
        return true;
    }
    std::vector<std::int32_t> numbers;
    for (const std::wstring& piece : SplitList(value, L",")) {
        if (!IsDecimal(piece)) {
            options.error = L"/items: \"" + piece + L"\" is not an item number (recommended, all, or numbers such as 3,7)";
            return false;
        }
        numbers.push_back(static_cast<std::int32_t>(ParseLeadingInt(piece)));
    }
    if (numbers.empty()) {
        options.error = L"/items: no item numbers given";
        return false;
    }
    options.items = ItemChoice::Numbers;
    options.numbers = std::move(numbers);
    return true;
}

}  // namespace

RunOptions ParseRunOptions(const std::vector<std::wstring>& arguments) {
    RunOptions options;
    // Argument 0 is the program's path, never a switch of this set.
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring name = SwitchName(arguments[i]);
        const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].empty();
        if (EqualsNoCase(name, L"quiet")) {
            options.mode = RunMode::Quiet;
        } else if (EqualsNoCase(name, L"passive")) {
            options.mode = RunMode::Passive;
        } else if (EqualsNoCase(name, L"norestart")) {
            options.noRestart = true;
        } else if (EqualsNoCase(name, L"scan")) {
            options.scan = true;
        } else if (EqualsNoCase(name, L"norestorepoint")) {
            options.noRestorePoint = true;
        } else if (EqualsNoCase(name, L"report")) {
            if (!hasValue || !SwitchName(arguments[i + 1]).empty()) {
                if (options.error.empty()) options.error = L"/report: a file name ending in .json or .html must follow";
                continue;
            }
            options.reportFile = arguments[++i];
            if (ReportFormatOf(options.reportFile) == ReportFormat::None && options.error.empty()) {
                options.error = L"/report: \"" + options.reportFile + L"\" does not end in .json or .html";
            }
        } else if (name == L"?" || EqualsNoCase(name, L"help")) {
            options.showUsage = true;
        } else if (EqualsNoCase(name, L"log")) {
            if (!hasValue || !SwitchName(arguments[i + 1]).empty()) {
                if (options.error.empty()) options.error = L"/log: a file name must follow";
                continue;
            }
            options.logFile = arguments[++i];
        } else if (EqualsNoCase(name, L"timeout")) {
            const bool usable = hasValue && IsDecimal(arguments[i + 1]) && ParseLeadingInt(arguments[i + 1]) > 0;
            if (!usable) {
                if (options.error.empty()) options.error = L"/timeout: a number of seconds above 0 must follow";
                if (hasValue && SwitchName(arguments[i + 1]).empty()) ++i;
                continue;
            }
            options.timeoutSeconds = static_cast<std::uint32_t>(ParseLeadingInt(arguments[++i]));
        } else if (EqualsNoCase(name, L"items")) {
            if (!hasValue || !SwitchName(arguments[i + 1]).empty()) {
                if (options.error.empty()) options.error = L"/items: recommended, all, or item numbers must follow";
                continue;
            }
            RunOptions parsed = options;
            if (ParseItemChoice(arguments[++i], parsed)) {
                options.items = parsed.items;
                options.numbers = parsed.numbers;
            } else if (options.error.empty()) {
                options.error = parsed.error;
            }
        }
    }
    return options;
}

ReportFormat ReportFormatOf(const std::wstring& fileName) {
    const auto endsWith = [&fileName](const wchar_t* extension) {
        const std::wstring suffix = extension;
        return fileName.size() > suffix.size() &&
               EqualsNoCase(fileName.substr(fileName.size() - suffix.size()), suffix);
    };
    if (endsWith(L".json")) return ReportFormat::Json;
    if (endsWith(L".html") || endsWith(L".htm")) return ReportFormat::Html;
    return ReportFormat::None;
}

std::wstring RunOptionsUsage() {
    return L"setup.exe [/quiet | /passive] [/norestart] [/log FILE] [/items recommended|all|N,N,...]\n"
           L"          [/scan] [/report FILE.json|FILE.html] [/norestorepoint] [/timeout SECONDS]\n"
           L"\n"
           L"  /quiet       no window and no message box; installs and ends by itself\n"
           L"  /passive     shows the run's progress, asks nothing, closes at the end\n"
           L"  /norestart   never restarts Windows; exit code 3010 when a restart is needed\n"
           L"  /log FILE    writes the run's log to FILE as well\n"
           L"  /items LIST  recommended (the default), all (everything that applies and is not\n"
           L"               installed), or the disc's item numbers, separated by commas\n"
           L"  /scan        evaluates the disc on this machine and installs nothing\n"
           L"  /report FILE writes what the program will do (/scan) or did, and why, as\n"
           L"               JSON (.json) or as a page (.html)\n"
           L"  /norestorepoint  makes no system restore point before the first driver\n"
           L"  /timeout SECONDS  ends an installer still running after SECONDS (with every\n"
           L"               process it started) and fails its item; overrides the disc's limits\n"
           L"  /?           this text\n"
           L"\n"
           L"Exit codes: 0 success, 3010 success with a restart needed, 1641 restart started,\n"
           L"1602 stopped by the user with items left, 1603 an item failed or an error ended\n"
           L"the run, 1618 another copy is running, 1633 the disc refuses this machine,\n"
           L"87 a bad switch. /scan: 0 nothing to install, 536870913 (0x20000001)\n"
           L"something to install.\n";
}

}  // namespace tavelin
