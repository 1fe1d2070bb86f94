// The switches of an unattended deployment, beside the five diagnostic ones: how the run is shown,
// whether it may restart Windows, where a copy of its log goes, and what it installs. Parsed
// before anything is shown, so that a bad switch ends the program with its own exit code and
// nothing installed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavelin {

enum class RunMode {
    Window,   // the dialog, as a user runs the disc
    Quiet,    // /quiet: no window and no message box at all
    Passive,  // /passive: the window shows the run's progress, asks nothing, closes itself
};

enum class ItemChoice {
    Recommended,  // what the recommended view would check
    All,          // every item that applies and is not installed
    Numbers,      // the catalogue's item numbers in `numbers`
};

struct RunOptions {
    RunMode mode = RunMode::Window;
    bool noRestart = false;       // /norestart
    std::wstring logFile;         // /log <file>; empty for none
    ItemChoice items = ItemChoice::Recommended;
    std::vector<std::int32_t> numbers;  // /items 3,7,12
    bool scan = false;            // /scan: evaluates, installs nothing
    std::wstring reportFile;      // /report <file>: .json or .html; empty for none
    bool noRestorePoint = false;  // /norestorepoint
    // /timeout SECONDS: every installer's time limit, over the disc's Install_Timeout; 0 for none.
    std::uint32_t timeoutSeconds = 0;
    bool showUsage = false;       // /?
    std::wstring error;           // why the switches are unusable; empty when they are fine

    bool Unattended() const { return mode != RunMode::Window; }
};

// Switch names are compared without regard to case and may start with "/" or "-"; a value is the
// next argument. Arguments that are not switches of this set are ignored (the diagnostic switches
// and anything else), as they always were. The last of /quiet and /passive wins.
RunOptions ParseRunOptions(const std::vector<std::wstring>& arguments);

// The kind of report a /report file name asks for, by its extension (without regard to case).
enum class ReportFormat { None, Json, Html };
ReportFormat ReportFormatOf(const std::wstring& fileName);

// The usage text for /?.
std::wstring RunOptionsUsage();

}  // namespace tavelin
