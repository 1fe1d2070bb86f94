#include "runlog/log_files.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "config/text.h"

namespace tavelin {
namespace {

// "YYYY-MM-DD_hh-mm-ss-mmm": digits everywhere but at these positions.
constexpr std::wstring_view kStampPattern = L"0000-00-00_00-00-00-000";
constexpr std::wstring_view kExtension = L".log";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

struct RunLogName {
    std::wstring stamp;  // sorts as the times do: fixed width, most significant first
    long attempt = 1;
    std::wstring fileName;
};

std::optional<RunLogName> ParseRunLogName(const std::wstring& fileName) {
    if (fileName.size() < kStampPattern.size() + kExtension.size()) return std::nullopt;
    const std::wstring_view name(fileName);
    if (!EqualsNoCase(name.substr(name.size() - kExtension.size()), kExtension)) return std::nullopt;
    for (std::size_t i = 0; i < kStampPattern.size(); ++i) {
        const bool digitExpected = kStampPattern[i] == L'0';
        if (digitExpected ? !IsDigit(name[i]) : name[i] != kStampPattern[i]) return std::nullopt;
    }
    RunLogName parsed{std::wstring(name.substr(0, kStampPattern.size())), 1, fileName};
    const std::wstring_view suffix =
        name.substr(kStampPattern.size(), name.size() - kStampPattern.size() - kExtension.size());
    if (suffix.empty()) return parsed;
    // "_<attempt>", as RunLogFileName writes it: no sign, no leading zero, within the attempts.
    if (suffix.size() < 2 || suffix.size() > 4 || suffix[0] != L'_' || suffix[1] == L'0') return std::nullopt;
    long attempt = 0;
    for (wchar_t c : suffix.substr(1)) {
        if (!IsDigit(c)) return std::nullopt;
        attempt = attempt * 10 + (c - L'0');
    }
    parsed.attempt = attempt;
    return parsed;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring_view WithoutTrailingSeparators(std::wstring_view path) {
    while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
    return path;
}

bool SamePathCharacter(wchar_t a, wchar_t b) {
    if (IsSeparator(a) && IsSeparator(b)) return true;
    return ToUpperChar(a) == ToUpperChar(b);
}

}  // namespace

std::wstring RunLogFileName(const LogTime& start, int attempt) {
    wchar_t stamp[40] = {};
    std::swprintf(stamp, 40, L"%04d-%02d-%02d_%02d-%02d-%02d-%03d", start.year, start.month, start.day, start.hour,
                  start.minute, start.second, start.millisecond);
    std::wstring name = stamp;
    if (attempt > 1) name += L"_" + std::to_wstring(attempt);
    return name + std::wstring(kExtension);
}

std::vector<std::wstring> RunLogsToDelete(const std::vector<std::wstring>& fileNames, std::size_t keep) {
    std::vector<RunLogName> logs;
    for (const std::wstring& fileName : fileNames) {
        if (auto parsed = ParseRunLogName(fileName)) logs.push_back(std::move(*parsed));
    }
    std::sort(logs.begin(), logs.end(), [](const RunLogName& a, const RunLogName& b) {
        if (a.stamp != b.stamp) return a.stamp < b.stamp;
        if (a.attempt != b.attempt) return a.attempt < b.attempt;
        return a.fileName < b.fileName;  // the same log with its extension in another case
    });
    // The new log takes one of the places.
    const std::size_t keepOld = keep > 0 ? keep - 1 : 0;
    std::vector<std::wstring> doomed;
    for (std::size_t i = 0; i + keepOld < logs.size(); ++i) doomed.push_back(logs[i].fileName);
    return doomed;
}

bool IsWithinFolder(std::wstring_view path, std::wstring_view folder) {
    folder = WithoutTrailingSeparators(folder);
    path = WithoutTrailingSeparators(path);
    if (folder.empty() || path.size() < folder.size()) return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (!SamePathCharacter(path[i], folder[i])) return false;
    }
    return path.size() == folder.size() || IsSeparator(path[folder.size()]);
}

}  // namespace tavelin
