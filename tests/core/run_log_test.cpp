// The run log's portable part: how entries look (stamp, lines, escapes, UTF-8), which log files a
// start keeps, and the log's promise to every writer (whole entries, from any thread, every
// destination).
#include "runlog/run_log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "../support/memory_run_log.h"
#include "narrow_text.h"
#include "runlog/log_files.h"
#include "runlog/log_line.h"
#include "runlog/logged_message_sink.h"
#include "runlog/utf8_text.h"

namespace tavelin {
namespace {

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

TEST(Utf8Text, EveryInputGivesWellFormedUtf8) {
    struct Case {
        const char* name;
        std::wstring text;
        const char* expected;  // bytes in hexadecimal
    };
    std::vector<Case> cases = {
        {"empty", L"", ""},
        {"ASCII", L"A~", "41 7E"},
        {"null character", std::wstring(1, L'\0'), "00"},
        {"two bytes", L"\u00E9\u07FF", "C3 A9 DF BF"},
        {"three bytes", L"\u0800\u20AC\uFFFF", "E0 A0 80 E2 82 AC EF BF BF"},
        {"surrogate pair", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "F0 9F 98 80"},
        {"highest pair", std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)}, "F4 8F BF BF"},
        {"high surrogate at the end", std::wstring{L'a', wchar_t(0xD800)}, "61 EF BF BD"},
        {"high surrogate before a letter", std::wstring{wchar_t(0xD800), L'a'}, "EF BF BD 61"},
        {"low surrogate alone", std::wstring{wchar_t(0xDC00), L'a'}, "EF BF BD 61"},
        {"pair in the wrong order", std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}, "EF BF BD EF BF BD"},
        {"two high surrogates, then a low", std::wstring{wchar_t(0xD800), wchar_t(0xD83D), wchar_t(0xDE00)},
         "EF BF BD F0 9F 98 80"},
    };
    if (sizeof(wchar_t) == 4) {
        // The native build: one unit per character, and units no UTF-16 text can hold.
        cases.push_back({"character outside the BMP", std::wstring(1, wchar_t(0x1F600)), "F0 9F 98 80"});
        cases.push_back({"above U+10FFFF", std::wstring(1, wchar_t(0x110000)), "EF BF BD"});
    }
    for (const Case& c : cases) EXPECT_EQ(Hex(EncodeUtf8(c.text)), c.expected) << c.name;
}

TEST(LogLine, TimestampToTheMillisecond) {
    EXPECT_EQ(Narrow(TimestampText(LogTime{2024, 5, 1, 9, 3, 7, 45})), "2024-05-01 09:03:07.045");
    EXPECT_EQ(Narrow(TimestampText(LogTime{1999, 12, 31, 23, 59, 59, 999})), "1999-12-31 23:59:59.999");
    EXPECT_EQ(Narrow(TimestampText(LogTime{2030, 1, 2, 0, 0, 0, 0})), "2030-01-02 00:00:00.000");
}

TEST(LogLine, ATextBecomesLinesThatStayLines) {
    struct Case {
        const char* name;
        std::wstring text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", L"", {""}},
        {"one line", L"Model: \"QV-7100\"", {"Model: \"QV-7100\""}},
        {"line feeds", L"Item Name : A\nDevice Exist status : TRUE", {"Item Name : A", "    Device Exist status : TRUE"}},
        {"every kind of line end", L"a\r\nb\rc\nd", {"a", "    b", "    c", "    d"}},
        {"a break at the end adds nothing", L"a\nb\n", {"a", "    b"}},
        {"a lone break", L"\r\n", {""}},
        {"empty lines inside are kept", L"a\n\nb", {"a", "    ", "    b"}},
        {"tab kept", L"a\tb", {"a\tb"}},
        {"controls escaped", std::wstring(L"\x1B[31mred") + wchar_t(0) + L"\x7F\x85\x9F",
         {"\\x1B[31mred\\x00\\x7F\\x85\\x9F"}},
        {"no-break space and letters kept", L"a\u00A0\u00E9", {"a\u00A0\u00E9"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        for (const std::wstring& line : LogEntryLines(c.text)) lines.push_back(EncodeUtf8(line));
        EXPECT_EQ(lines, c.lines) << c.name;
    }
}

TEST(LogLine, EntryBytesStampEveryLine) {
    EXPECT_EQ(FormatLogEntry(LogTime{2024, 5, 1, 9, 3, 7, 45}, L"Refused: caf\u00E9\nsecond"),
              "2024-05-01 09:03:07.045 Refused: caf\xC3\xA9\r\n"
              "2024-05-01 09:03:07.045     second\r\n");
    EXPECT_EQ(FormatLogEntry(LogTime{2024, 5, 1, 9, 3, 7, 45}, L""), "2024-05-01 09:03:07.045 \r\n");
}

TEST(RunLogFiles, NamesSortAsTheStartsDid) {
    const LogTime start{2024, 5, 1, 9, 3, 7, 45};
    EXPECT_EQ(Narrow(RunLogFileName(start, 1)), "2024-05-01_09-03-07-045.log");
    EXPECT_EQ(Narrow(RunLogFileName(start, 2)), "2024-05-01_09-03-07-045_2.log");
    EXPECT_EQ(Narrow(RunLogFileName(start, kRunLogNameAttempts)), "2024-05-01_09-03-07-045_100.log");
    EXPECT_LT(RunLogFileName(LogTime{2024, 5, 1, 9, 3, 7, 45}, 1), RunLogFileName(LogTime{2024, 10, 1, 0, 0, 0, 0}, 1));
}

std::vector<std::wstring> Logs(int first, int count) {
    std::vector<std::wstring> names;
    for (int i = first; i < first + count; ++i) names.push_back(RunLogFileName(LogTime{2024, 1, i, 12, 0, 0, 0}, 1));
    return names;
}

TEST(RunLogFiles, TheOldestGoSoThatTheNewestFewStay) {
    struct Case {
        const char* name;
        std::vector<std::wstring> files;
        std::size_t keep;
        std::vector<std::string> deleted;
    };
    std::vector<std::wstring> shuffled = Logs(1, 12);
    std::swap(shuffled[0], shuffled[7]);
    std::swap(shuffled[3], shuffled[11]);
    const Case cases[] = {
        {"room for the new one", Logs(1, 9), 10, {}},
        {"full: the oldest makes room", Logs(1, 10), 10, {"2024-01-01_12-00-00-000.log"}},
        {"in any order", shuffled, 10,
         {"2024-01-01_12-00-00-000.log", "2024-01-02_12-00-00-000.log", "2024-01-03_12-00-00-000.log"}},
        {"later attempts in the same millisecond are newer, counted as numbers",
         {L"2024-01-01_12-00-00-000_10.log", L"2024-01-01_12-00-00-000_9.log", L"2024-01-01_12-00-00-000.log",
          L"2024-01-01_12-00-00-000_2.log"},
         3,
         {"2024-01-01_12-00-00-000.log", "2024-01-01_12-00-00-000_2.log"}},
        {"the extension in any case", {L"2024-01-01_12-00-00-000.LOG", L"2024-01-02_12-00-00-000.log"}, 2,
         {"2024-01-01_12-00-00-000.LOG"}},
        {"keeping one leaves room only for the new one", Logs(1, 2), 1,
         {"2024-01-01_12-00-00-000.log", "2024-01-02_12-00-00-000.log"}},
        {"keeping none deletes every old one", Logs(1, 1), 0, {"2024-01-01_12-00-00-000.log"}},
        {"other files are never touched",
         {L"notes.log", L"2000-01-01_00-00-00-000.txt", L"2000-01-01_00-00-00-000_0.log",
          L"2000-01-01_00-00-00-000_x.log", L"2000-01-01_00-00-00-000_-2.log", L"2000-1-01_00-00-00-000.log",
          L"2000-01-01 00-00-00-000.log", L"2000-01-01_00-00-00-000_12345.log", L"x2000-01-01_00-00-00-000.log",
          L"2024-01-01_12-00-00-000.log"},
         1,
         {"2024-01-01_12-00-00-000.log"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> deleted;
        for (const std::wstring& name : RunLogsToDelete(c.files, c.keep)) deleted.push_back(Narrow(name));
        EXPECT_EQ(deleted, c.deleted) << c.name;
    }
}

TEST(RunLogFiles, WhatLiesWithinAFolder) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        bool within;
    };
    const Case cases[] = {
        {L"D:\\Temp\\Tavelin", L"D:", true},
        {L"D:\\Temp\\Tavelin", L"D:\\", true},
        {L"d:\\temp\\tavelin", L"D:\\TEMP", true},
        {L"D:/Temp/Tavelin", L"D:\\Temp\\", true},
        {L"D:\\Temp", L"D:\\Temp", true},
        {L"D:\\Temp\\", L"D:\\Temp", true},
        {L"D:\\Temporary\\Tavelin", L"D:\\Temp", false},
        {L"C:\\Temp\\Tavelin", L"D:", false},
        {L"D:", L"D:\\Temp", false},
        {L"D:\\Temp\\Tavelin", L"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWithinFolder(c.path, c.folder), c.within) << Narrow(c.path) << " in " << Narrow(c.folder);
    }
}

TEST(RunLog, KeepsNothingWithoutADestinationAndNeverFails) {
    RunLog nowhere;
    nowhere.Write(L"nothing happens");
    nowhere.Persist();
    MemoryRunLog memory;
    memory.Log().Write(L"first");
    memory.time.millisecond = 46;
    memory.Log().Write(L"second");
    EXPECT_EQ(memory.bytes, "2024-05-01 09:03:07.045 first\r\n2024-05-01 09:03:07.046 second\r\n");
}

// A second destination (a copy the user asks for) gets every entry written after it is added,
// the same bytes as the first.
TEST(RunLog, EveryDestinationGetsTheSameEntries) {
    MemoryRunLog memory;
    std::string copy;
    int copyPersists = 0;
    struct Copy : LogDestination {
        Copy(std::string& bytes, int& persists) : m_bytes(bytes), m_persists(persists) {}
        void Append(const std::string& utf8Lines) override { m_bytes += utf8Lines; }
        void Persist() override { ++m_persists; }
        std::string& m_bytes;
        int& m_persists;
    };
    memory.Log().Write(L"before the copy");
    memory.Log().AddDestination(std::make_unique<Copy>(copy, copyPersists));
    memory.Log().Write(L"Item 1: install ended, exit code 0");
    memory.Log().Persist();
    EXPECT_EQ(copy, "2024-05-01 09:03:07.045 Item 1: install ended, exit code 0\r\n");
    EXPECT_EQ(memory.bytes.substr(memory.bytes.size() - copy.size()), copy);
    EXPECT_EQ(copyPersists, 1);
    EXPECT_EQ(memory.persists, 1);
}

// The dialog and the installation worker write at the same time: every entry arrives whole.
TEST(RunLog, EntriesFromSeveralThreadsStayWhole) {
    MemoryRunLog memory;
    const int kEntries = 2000;
    auto writer = [&memory](const std::wstring& text) {
        for (int i = 0; i < kEntries; ++i) memory.Log().Write(text);
    };
    const std::wstring first(60, L'a');
    const std::wstring second = L"multi-line\n" + std::wstring(60, L'b');
    std::thread one(writer, first);
    std::thread two(writer, second);
    one.join();
    two.join();
    const std::vector<std::string> lines = memory.Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(3 * kEntries));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == std::string(60, 'a')) continue;
        ASSERT_EQ(lines[i], "multi-line") << "line " << i;
        ASSERT_LT(i + 1, lines.size());
        ASSERT_EQ(lines[i + 1], "    " + std::string(60, 'b')) << "line " << i + 1 << ": an entry was split";
        ++i;
    }
}

TEST(LoggedMessageSink, WritesTheTextThenShowsIt) {
    MemoryRunLog memory;
    struct Shown : MessageSink {
        explicit Shown(MemoryRunLog& log) : m_log(log) {}
        void ShowMessage(const std::wstring& text) override {
            texts.push_back(Narrow(text));
            loggedFirst = loggedFirst && !m_log.Lines().empty();
        }
        MemoryRunLog& m_log;
        std::vector<std::string> texts;
        bool loggedFirst = true;
    } shown(memory);
    LoggedMessageSink sink(memory.Log(), shown);
    sink.ShowMessage(L"OS Version = \"WNT_6.1\"");
    EXPECT_EQ(shown.texts, std::vector<std::string>{"OS Version = \"WNT_6.1\""});
    EXPECT_TRUE(shown.loggedFirst) << "a box that is never answered must not keep its text from the log";
    EXPECT_EQ(memory.Lines(), std::vector<std::string>{"Message: OS Version = \"WNT_6.1\""});
}

}  // namespace
}  // namespace tavelin
