// The demo disc's scan on the demo machine, as a page and as a document, left in the artefacts
// folder for the browser check (tests/browser/report-page.sh), which opens the page in a real
// browser and finds each item of the document in it.
#include <gtest/gtest.h>

#include "driver/program_driver.h"
#include "driver/test_machines.h"
#include "../support/file_contents_win.h"

namespace tavelin::testing {
namespace {

TEST(ReportPage, TheDemoDiscsScanWritesThePageAndTheDocument) {
    const std::wstring artifacts = PathFromEnvironment("TAVELIN_ARTIFACTS");
    ASSERT_FALSE(artifacts.empty()) << "the build makes the folder";
    AddDemoDevices();
    TestDisc disc(L"report-page");
    CopyDemoDisc(disc);
    for (const wchar_t* file : {L"report-page.html", L"report-page.json"}) {
        const std::wstring report = artifacts + L"\\" + file;
        DeleteFileW(report.c_str());
        RunningProgram program(disc.ProgramPath(), L"setup.exe /scan /quiet /report \"" + report + L"\"");
        EXPECT_TRUE(program.EndsWithoutShowingAnyWindow(60000));
        EXPECT_EQ(program.ExitCode(), 0x20000001u) << "the demo machine lacks the demo disc's drivers";
        EXPECT_FALSE(ReadFileBytes(report).empty()) << "no report written";
    }
}

}  // namespace
}  // namespace tavelin::testing
