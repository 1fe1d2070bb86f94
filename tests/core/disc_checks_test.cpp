#include "config/disc_checks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "temp_ini_file.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c == L'\n' ? std::string("\\n") : std::string(1, static_cast<char>(c));
    return narrow;
}

class RecordedMessages : public MessageSink {
public:
    void ShowMessage(const std::wstring& text) override { shown += (shown.empty() ? L"" : L" | ") + text; }
    std::wstring shown;
};

const std::string kTags =
    "[OS_Language_Tag]\r\n"
    "0409=ENG\r\n"
    "0411=JPN\r\n"
    "WNT_5.1_XP=Windows XP\r\n"
    "WNT_6.0_HOME_PREMIUM=Windows Vista Home Premium\r\n";

TEST(ReadDiscTitle, UsesTheLanguageTagThenTheEnglishFallback) {
    struct Case {
        const char* name;
        std::string driverCd;
        const wchar_t* languageCode;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"english machine", "Title_ENG=Drivers\r\nTitle_JPN=Japanese drivers\r\n", L"0409", L"Drivers"},
        {"japanese machine", "Title_ENG=Drivers\r\nTitle_JPN=Japanese drivers\r\n", L"0411", L"Japanese drivers"},
        {"japanese tag without its title", "Title_ENG=Drivers\r\n", L"0411", L"Drivers"},
        {"japanese title empty", "Title_JPN= ; none yet\r\nTitle_ENG=Drivers\r\n", L"0411", L"Drivers"},
        {"unmapped language reads Title_ENG", "Title_ENG=Drivers\r\nTitle_JPN=Japanese drivers\r\n", L"0407",
         L"Drivers"},
        {"no title at all", "Model=X\r\n", L"0409", L""},
        {"only the lower-case fallback name", "title_eng=Lower\r\n", L"0411", L"Lower"},
    };
    for (const auto& c : cases) {
        const TempIniFile ini(kTags + "[Driver_CD]\r\n" + c.driverCd);
        EXPECT_EQ(Narrow(ReadDiscTitle(ini.Config(), c.languageCode)), Narrow(c.expected)) << c.name;
    }
}

TEST(CheckMachineModel, AllowsListedModelsIgnoringCase) {
    struct Case {
        const char* name;
        std::string driverCd;
        const wchar_t* model;
        bool allowed;
        const wchar_t* machineModel;
    };
    const Case cases[] = {
        {"no model key", "Title_ENG=x\r\n", L" qv-100 ", true, L"QV-100"},
        {"empty model key", "Model= ; every machine\r\n", L"qv-100", true, L"QV-100"},
        {"listed", "Model=QV-100,QV-200\r\n", L"QV-200", true, L"QV-200"},
        {"listed in lower case", "Model=QX-9, qv-100 \r\n", L"QV-100", true, L"QV-100"},
        {"model read in lower case with blanks", "Model=QV-100\r\n", L"\tqv-100  ", true, L"QV-100"},
        {"another machine", "Model=QX-9,QX-10\r\n", L"QV-100", false, L"QV-100"},
        {"prefix is not a match", "Model=QV-1000\r\n", L"QV-100", false, L"QV-100"},
        {"empty model against a list", "Model=QV-100\r\n", L"", false, L""},
        {"empty model against a blank entry", "Model=QV-100, ,QV-200\r\n", L"", true, L""},
    };
    for (const auto& c : cases) {
        const TempIniFile ini("[Driver_CD]\r\n" + c.driverCd);
        const ModelCheck check = CheckMachineModel(ini.Config(), c.model);
        EXPECT_EQ(check.allowed, c.allowed) << c.name;
        EXPECT_EQ(Narrow(check.machineModel), Narrow(c.machineModel)) << c.name;
    }
}

TEST(CheckOperatingSystem, RefusesWithTheSystemsTheDiscIsFor) {
    struct Case {
        const char* name;
        std::string driverCd;
        const wchar_t* osKey;
        bool is64Bit;
        bool showErrorMessage;
        const wchar_t* expectedError;
        const wchar_t* expectedMessages;
    };
    const wchar_t* const kHead = L"Suitable OS for this driver disk :\n";
    const Case cases[] = {
        {"nothing restricted", "", L"WNT_5.1_XP", false, true, L"", L""},
        {"32-bit disc on 32-bit windows", "System_Type=32BIT\r\n", L"WNT_5.1_XP", false, true, L"", L""},
        {"64-bit disc on 32-bit windows", "System_Type=64BIT\r\n", L"WNT_5.1_XP", false, true,
         L"64 bit\n", L"Wrong system"},
        {"both bitnesses on 32-bit", "System_Type=32BIT, 64BIT\r\n", L"WNT_5.1_XP", false, true, L"", L""},
        {"both bitnesses on 64-bit", "System_Type=32bit,64bit\r\n", L"WNT_5.1_XP", true, true, L"", L""},
        {"32-bit disc on 64-bit, no switch", "System_Type=32BIT\r\n", L"WNT_5.1_XP", true, false, L"32 bit\n",
         L""},
        {"unknown bitness entry refuses everywhere", "System_Type=X86\r\n", L"WNT_5.1_XP", false, true,
         L" bit\n", L"Wrong system"},
        {"unknown entry beside a known one", "System_Type=X86,64BIT\r\n", L"WNT_5.1_XP", true, true, L"", L""},
        {"os listed in other case", "OS_VERSION=windows xp,Windows Vista Home Premium\r\n", L"WNT_5.1_XP",
         false, true, L"", L""},
        {"os not listed", "OS_VERSION=Windows Vista Home Premium\r\n", L"WNT_5.1_XP", false, true,
         L"Windows Vista Home Premium\n", L"Wrong OS"},
        {"os key without display name", "OS_VERSION=Windows XP, Windows Vista Home Premium\r\n", L"WNT_6.1",
         false, true, L"Windows XP\nWindows Vista Home Premium\n", L"Wrong OS"},
        {"empty display name passes a blank entry", "OS_VERSION=Windows XP, ,Windows 7\r\n", L"", false, true,
         L"", L""},
        {"bitness refusal still lists every os",
         "System_Type=64BIT\r\nOS_VERSION=Windows XP,Windows Vista Home Premium\r\n", L"WNT_5.1_XP", false, true,
         L"64 bit\nWindows XP\nWindows Vista Home Premium\n", L"Wrong system"},
        {"both wrong, messages in order", "System_Type=32BIT\r\nOS_VERSION=Windows XP\r\n",
         L"WNT_6.0_HOME_PREMIUM", true, true, L"32 bit\nWindows XP\n", L"Wrong system | Wrong OS"},
        {"both wrong without the switch", "System_Type=32BIT\r\nOS_VERSION=Windows XP\r\n",
         L"WNT_6.0_HOME_PREMIUM", true, false, L"32 bit\nWindows XP\n", L""},
        {"os refusal with both bitnesses listed", "System_Type=64BIT,32BIT\r\nOS_VERSION=Windows XP\r\n",
         L"WNT_6.0_HOME_PREMIUM", false, true, L"64, 32 bit\nWindows XP\n", L"Wrong OS"},
    };
    for (const auto& c : cases) {
        const TempIniFile ini(kTags + "[Driver_CD]\r\n" + c.driverCd);
        MachineFacts facts;
        facts.m_szOSKey = c.osKey;
        facts.m_b64Bit = c.is64Bit;
        RecordedMessages messages;
        const OsCheck check = CheckOperatingSystem(ini.Config(), facts, c.showErrorMessage,
                                                   L"  Suitable OS for this driver disk : ", messages);
        const std::wstring expected = *c.expectedError == L'\0' ? L"" : kHead + std::wstring(c.expectedError);
        EXPECT_EQ(Narrow(check.errorText), Narrow(expected)) << c.name;
        EXPECT_EQ(Narrow(messages.shown), Narrow(c.expectedMessages)) << c.name;
    }
}

TEST(CheckOperatingSystem, GivesTheDisplayNameOfTheOsKey) {
    struct Case {
        const char* name;
        std::string tags;
        const wchar_t* osKey;
        std::wstring expected;
    };
    const std::string longName(300, 'N');
    const Case cases[] = {
        {"mapped", kTags, L"WNT_6.0_HOME_PREMIUM", L"Windows Vista Home Premium"},
        {"unmapped", kTags, L"WNT_5.2_2003", L""},
        {"empty key", kTags, L"", L""},
        {"over-long name is cut", "[OS_Language_Tag]\r\nWNT_5.1_XP=" + longName + "\r\n", L"WNT_5.1_XP",
         std::wstring(259, L'N')},
    };
    for (const auto& c : cases) {
        const TempIniFile ini(c.tags);
        MachineFacts facts;
        facts.m_szOSKey = c.osKey;
        RecordedMessages messages;
        const OsCheck check = CheckOperatingSystem(ini.Config(), facts, true, L"", messages);
        EXPECT_EQ(Narrow(check.osDisplayName), Narrow(c.expected)) << c.name;
    }
}

}  // namespace
}  // namespace tavelin
