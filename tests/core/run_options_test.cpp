// The unattended switches: what each argument list gives, and the values that make the switches
// unusable (the program then ends with the bad-switch code and installs nothing).
#include "config/run_options.h"

#include <gtest/gtest.h>

#include "narrow_text.h"

namespace tavelin {
namespace {

struct OptionsCase {
    std::vector<std::wstring> arguments;  // after the program's path
    RunMode mode;
    bool noRestart;
    std::wstring logFile;
    ItemChoice items;
    std::vector<std::int32_t> numbers;
    bool usage;
    bool error;
};

TEST(ParseRunOptions, Table) {
    using M = RunMode;
    using I = ItemChoice;
    const OptionsCase cases[] = {
        {{}, M::Window, false, L"", I::Recommended, {}, false, false},
        {{L"ShowModel", L"whatever"}, M::Window, false, L"", I::Recommended, {}, false, false},
        {{L"/QUIET"}, M::Quiet, false, L"", I::Recommended, {}, false, false},
        {{L"-passive", L"/norestart"}, M::Passive, true, L"", I::Recommended, {}, false, false},
        {{L"/quiet", L"/passive"}, M::Passive, false, L"", I::Recommended, {}, false, false},
        {{L"quiet"}, M::Window, false, L"", I::Recommended, {}, false, false},
        {{L"/log", L"C:\\logs\\run.log", L"/quiet"}, M::Quiet, false, L"C:\\logs\\run.log", I::Recommended, {}, false, false},
        {{L"/items", L"ALL"}, M::Window, false, L"", I::All, {}, false, false},
        {{L"/items", L"recommended"}, M::Window, false, L"", I::Recommended, {}, false, false},
        {{L"/items", L"3, 7,12"}, M::Window, false, L"", I::Numbers, {3, 7, 12}, false, false},
        {{L"/?"}, M::Window, false, L"", I::Recommended, {}, true, false},
        // Unusable values: the run must not go on with a guess.
        {{L"/log"}, M::Window, false, L"", I::Recommended, {}, false, true},
        {{L"/log", L"/quiet"}, M::Quiet, false, L"", I::Recommended, {}, false, true},
        {{L"/items"}, M::Window, false, L"", I::Recommended, {}, false, true},
        {{L"/items", L"3,x"}, M::Window, false, L"", I::Recommended, {}, false, true},
        {{L"/items", L"-3"}, M::Window, false, L"", I::Recommended, {}, false, true},
        {{L"/items", L","}, M::Window, false, L"", I::Recommended, {}, false, true},
        {{L"/items", L"99999999999"}, M::Window, false, L"", I::Recommended, {}, false, true},
    };
    for (const OptionsCase& c : cases) {
        std::vector<std::wstring> arguments{L"D:\\setup.exe"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        std::string label;
        for (const auto& a : c.arguments) label += Narrow(a) + " ";
        const RunOptions options = ParseRunOptions(arguments);
        EXPECT_EQ(options.mode, c.mode) << label;
        EXPECT_EQ(options.noRestart, c.noRestart) << label;
        EXPECT_EQ(options.logFile, c.logFile) << label;
        EXPECT_EQ(options.items, c.items) << label;
        EXPECT_EQ(options.numbers, c.numbers) << label;
        EXPECT_EQ(options.showUsage, c.usage) << label;
        EXPECT_EQ(!options.error.empty(), c.error) << label << Narrow(options.error);
    }
}

// /scan, /report and /norestorepoint: a report file is .json or .html, decided by its name.
TEST(ParseRunOptions, ScanReportAndRestorePointSwitches) {
    const struct {
        std::vector<std::wstring> arguments;
        bool scan;
        std::wstring reportFile;
        ReportFormat format;
        bool noRestorePoint;
        bool error;
    } cases[] = {
        {{L"/scan"}, true, L"", ReportFormat::None, false, false},
        {{L"/SCAN", L"/quiet", L"/report", L"C:\\out\\m1.JSON"}, true, L"C:\\out\\m1.JSON", ReportFormat::Json, false, false},
        {{L"/report", L"page.html", L"-norestorepoint"}, false, L"page.html", ReportFormat::Html, true, false},
        {{L"/report", L"page.htm"}, false, L"page.htm", ReportFormat::Html, false, false},
        {{L"/norestorepoint"}, false, L"", ReportFormat::None, true, false},
        // Unusable: no name, a name of another kind, a switch where the name belongs.
        {{L"/scan", L"/report"}, true, L"", ReportFormat::None, false, true},
        {{L"/report", L"out.txt"}, false, L"out.txt", ReportFormat::None, false, true},
        {{L"/report", L".json"}, false, L".json", ReportFormat::None, false, true},
        {{L"/report", L"/quiet"}, false, L"", ReportFormat::None, false, true},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> arguments{L"D:\\setup.exe"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const RunOptions options = ParseRunOptions(arguments);
        const std::string label = Narrow(c.arguments.back());
        EXPECT_EQ(options.scan, c.scan) << label;
        EXPECT_EQ(options.reportFile, c.reportFile) << label;
        EXPECT_EQ(ReportFormatOf(options.reportFile), c.format) << label;
        EXPECT_EQ(options.noRestorePoint, c.noRestorePoint) << label;
        EXPECT_EQ(!options.error.empty(), c.error) << label << Narrow(options.error);
    }
}

// /timeout takes whole seconds above 0; anything else is a bad switch, not "no limit".
TEST(ParseRunOptions, TimeoutSeconds) {
    struct Case {
        std::vector<std::wstring> arguments;
        std::uint32_t seconds;
        bool error;
        RunMode mode;
    };
    const Case cases[] = {
        {{}, 0, false, RunMode::Window},
        {{L"/timeout", L"300"}, 300, false, RunMode::Window},
        {{L"-TIMEOUT", L"5", L"/quiet"}, 5, false, RunMode::Quiet},
        {{L"/timeout", L"0"}, 0, true, RunMode::Window},
        {{L"/timeout", L"5s"}, 0, true, RunMode::Window},
        {{L"/timeout", L"-5"}, 0, true, RunMode::Window},
        {{L"/timeout", L"9999999999"}, 0, true, RunMode::Window},
        {{L"/timeout"}, 0, true, RunMode::Window},
        // The next switch is not taken for the value, and still counts.
        {{L"/timeout", L"/quiet"}, 0, true, RunMode::Quiet},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> arguments{L"D:\\setup.exe"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        std::string label;
        for (const auto& a : c.arguments) label += Narrow(a) + " ";
        const RunOptions options = ParseRunOptions(arguments);
        EXPECT_EQ(options.timeoutSeconds, c.seconds) << label;
        EXPECT_EQ(!options.error.empty(), c.error) << label;
        EXPECT_EQ(options.mode, c.mode) << label;
    }
}

TEST(ParseRunOptions, TheProgramPathIsNeverASwitch) {
    EXPECT_EQ(ParseRunOptions({L"/quiet"}).mode, RunMode::Window);
}

}  // namespace
}  // namespace tavelin
