// The run log's file under Wine: made in %TEMP%\Tavelin, readable while the program writes it,
// the oldest logs deleted so that the newest few stay, and nothing at all (no file, no message,
// no failure) where no log can be written. Each test points TMP and TEMP, which the system asks
// for the temporary folder, at a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "../support/file_contents_win.h"
#include "runlog/log_files.h"
#include "runlog/run_log_file_win.h"
#include "standin_test_support.h"

namespace tavelin {
namespace {

using testing::Narrow;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& name : testing::FileNamesIn(folder)) {
        const std::wstring path = folder + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

class RunLogFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_temp = L"C:\\tavelin-run-log-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(m_temp);
        CreateDirectoryW(m_temp.c_str(), nullptr);
        UseTemporaryFolder(m_temp);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TMP", m_savedTmp.empty() ? nullptr : m_savedTmp.c_str());
        SetEnvironmentVariableW(L"TEMP", m_savedTemp.empty() ? nullptr : m_savedTemp.c_str());
        RemoveTree(m_temp);
    }
    void UseTemporaryFolder(const std::wstring& folder) {
        SetEnvironmentVariableW(L"TMP", folder.c_str());
        SetEnvironmentVariableW(L"TEMP", folder.c_str());
    }
    std::wstring LogFolder() const { return m_temp + L"\\Tavelin"; }
    // The disc: somewhere else than the temporary folder.
    static std::wstring Disc() { return L"C:\\tavelin-run-log-disc"; }

    std::wstring m_temp;

private:
    static std::wstring Saved(const wchar_t* name) {
        wchar_t value[MAX_PATH + 1] = {};
        const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
        return length > 0 && length <= MAX_PATH ? std::wstring(value, length) : std::wstring();
    }
    std::wstring m_savedTmp = Saved(L"TMP");
    std::wstring m_savedTemp = Saved(L"TEMP");
};

TEST_F(RunLogFolder, EachStartWritesAFileOfItsOwnThatCanBeReadMeanwhile) {
    const std::shared_ptr<RunLog> first = StartRunLog(Disc());
    const std::shared_ptr<RunLog> second = StartRunLog(Disc());  // in the same millisecond, perhaps
    first->Write(L"Command line: setup.exe ShowOS");
    first->Write(L"Refused: \u00C9tat \u65E5\u672C \U0001F600\ntwo lines");
    second->Write(L"Another copy of the program is running; this one ends");
    first->Persist();

    const std::vector<std::wstring> files = testing::FileNamesIn(LogFolder());
    ASSERT_EQ(files.size(), 2u) << "one file per start";
    EXPECT_TRUE(RunLogsToDelete(files, 3).empty()) << "both named as run logs: " << Narrow(files[0]);

    // Still open for writing, both read; each is UTF-8 with a byte-order mark, a stamped line per line.
    std::string firstBytes = testing::ReadFileBytes(LogFolder() + L"\\" + files[0]);
    std::string secondBytes = testing::ReadFileBytes(LogFolder() + L"\\" + files[1]);
    if (firstBytes.find("Another copy") != std::string::npos) std::swap(firstBytes, secondBytes);
    ASSERT_EQ(firstBytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << firstBytes;
    const std::vector<std::string> expected = {
        "Command line: setup.exe ShowOS",
        "Refused: \xC3\x89tat \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",
        "    two lines",
    };
    std::vector<std::string> lines;
    for (std::size_t start = 3, end; (end = firstBytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = firstBytes.substr(start, end - start);
        ASSERT_GE(line.size(), 24u) << line;
        EXPECT_EQ(line[4], '-');
        EXPECT_EQ(line[19], '.') << "milliseconds: " << line;
        lines.push_back(line.substr(24));
    }
    EXPECT_EQ(lines, expected);
    EXPECT_NE(secondBytes.find(" Another copy of the program is running; this one ends\r\n"), std::string::npos);
}

TEST_F(RunLogFolder, TheOldestLogsGoSoThatTenStay) {
    CreateDirectoryW(LogFolder().c_str(), nullptr);
    std::vector<std::wstring> old;
    for (int day = 1; day <= 12; ++day) {
        old.push_back(RunLogFileName(LogTime{2020, 1, day, 8, 0, 0, 0}, 1));
        WriteBytes(LogFolder() + L"\\" + old.back(), "old run\r\n");
    }
    WriteBytes(LogFolder() + L"\\notes.log", "the user's own\r\n");
    const std::wstring folderNamedLikeALog = RunLogFileName(LogTime{2019, 1, 1, 0, 0, 0, 0}, 1);
    CreateDirectoryW((LogFolder() + L"\\" + folderNamedLikeALog).c_str(), nullptr);

    const std::shared_ptr<RunLog> log = StartRunLog(Disc());
    log->Write(L"new run");

    const std::vector<std::wstring> files = testing::FileNamesIn(LogFolder());
    std::vector<std::wstring> expected(old.begin() + 3, old.end());  // the nine newest old ones
    expected.push_back(L"notes.log");
    expected.push_back(folderNamedLikeALog);
    std::size_t newLogs = 0;
    for (const std::wstring& name : files) {
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) ++newLogs;
    }
    EXPECT_EQ(newLogs, 1u);
    EXPECT_EQ(files.size(), expected.size() + 1);
    for (const std::wstring& name : expected) {
        EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << Narrow(name) << " stays";
    }
}

// Where no log can be written the program is told nothing and goes on: the log just keeps nothing.
TEST_F(RunLogFolder, NoLogWhereNoneCanBeWritten) {
    struct Case {
        const char* name;
        std::wstring temporary;  // what TMP and TEMP name
        std::wstring disc;
        std::wstring mustNotExist;
    };
    // A file where the log folder would be.
    WriteBytes(m_temp + L"\\Tavelin", "not a folder");
    CreateDirectoryW((m_temp + L"\\disc").c_str(), nullptr);
    const Case cases[] = {
        {"a file named Tavelin", m_temp, Disc(), L""},
        {"a temporary folder that does not exist", m_temp + L"\\missing", Disc(), m_temp + L"\\missing"},
        {"a temporary folder on the disc", m_temp + L"\\disc\\Temp", m_temp + L"\\disc", m_temp + L"\\disc\\Temp\\Tavelin"},
    };
    CreateDirectoryW((m_temp + L"\\disc\\Temp").c_str(), nullptr);
    for (const Case& c : cases) {
        UseTemporaryFolder(c.temporary);
        const std::shared_ptr<RunLog> log = StartRunLog(c.disc);
        ASSERT_NE(log, nullptr) << c.name;
        log->Write(L"nowhere");
        log->Persist();
        if (!c.mustNotExist.empty()) {
            EXPECT_FALSE(Exists(c.mustNotExist)) << c.name;
        }
    }
    EXPECT_EQ(testing::ReadFileBytes(m_temp + L"\\Tavelin"), "not a folder") << "the file in the way is left as it was";
}

}  // namespace
}  // namespace tavelin
