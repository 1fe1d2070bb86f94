#include "install/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(CommandLine, ComposesAndFindsTheWorkingFolder) {
    struct Case {
        const wchar_t* root;
        const wchar_t* command;
        const wchar_t* folder;
        const wchar_t* line;
    };
    const Case cases[] = {
        {L"D:", L"\\Drivers\\VGA\\Setup.exe%%-s -f", L"D:\\Drivers\\VGA", L"\"D:\\Drivers\\VGA\\Setup.exe\" -s -f"},
        {L"D:", L"\\Drivers\\Audio\\Setup.exe", L"D:\\Drivers\\Audio", L"\"D:\\Drivers\\Audio\\Setup.exe\""},
        {L"D:", L"Setup.exe", L"D:Setup.exe", L"\"D:Setup.exe\""},
        {L"D:", L"\\A\\B.exe%%-x%%-y", L"D:\\A", L"\"D:\\A\\B.exe\" -x\" -y"},      // a second "%%" too
        {L"D:", L" \\A\\B.exe %%-s", L"D:\\A", L"\"D: \\A\\B.exe \" -s"},          // folder entry trimmed
        {L"D:", L"\\A B\\Setup.exe", L"D:\\A B", L"\"D:\\A B\\Setup.exe\""},        // blank in the path
        {L"D:", L"%%%%", L"D:", L"\"D:\" \" "},                                     // no path at all
        {L"D:", L"%%", L"D:", L"\"D:\" "},
        {L"E:\\Tools\\Disc", L"\\Setup.exe%%/q", L"E:\\Tools\\Disc", L"\"E:\\Tools\\Disc\\Setup.exe\" /q"},
        {L"E:\\100%%", L"\\Setup.exe%%/q", L"E:\\100%%", L"\"E:\\100%%\\Setup.exe\" /q"},  // root kept whole
        {L"D:", L"", L"D:", L"\"D:\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Narrow(WorkingFolderOf(c.root, c.command)), Narrow(c.folder))
            << "folder of '" << Narrow(c.command) << "' under '" << Narrow(c.root) << "'";
        EXPECT_EQ(Narrow(ComposeCommandLine(c.root, c.command)), Narrow(c.line))
            << "line of '" << Narrow(c.command) << "' under '" << Narrow(c.root) << "'";
    }
}

}  // namespace
}  // namespace tavelin
