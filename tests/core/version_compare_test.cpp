#include "evaluate/version_compare.h"

#include <gtest/gtest.h>

namespace tavelin {
namespace {

struct CompareCase {
    const char* name;
    const wchar_t* iniVersion;
    const wchar_t* iniDate;
    const wchar_t* registryVersion;
    const wchar_t* registryDate;
    int expected;
};

TEST(CompareVersionAndDate, Table) {
    const CompareCase cases[] = {
        {"same version and date", L"6.14.10.6555", L"6-21-2006", L"6.14.10.6555", L"6-21-2006", VERSION_STATUS_SAME},
        {"installed newer by date", L"6.14.10.6555", L"6-21-2006", L"6.14.10.6555", L"5-2-2007",
         VERSION_STATUS_REGISTRY_NEWER},
        {"disc newer by date", L"1.0", L"5-2-2007", L"1.0", L"6-21-2006", VERSION_STATUS_INI_NEWER},
        {"extra zero component is not comparable", L"1.2", L"", L"1.2.0", L"", VERSION_STATUS_ERROR},
        {"components compare as numbers", L"1.10", L"", L"1.9", L"", VERSION_STATUS_INI_NEWER},
        {"two against ten", L"2.0", L"", L"10.0", L"", VERSION_STATUS_REGISTRY_NEWER},
        {"letters after digits read as the digits", L"1.0a", L"", L"1.0", L"", VERSION_STATUS_SAME},
        {"word component reads as zero", L"1.beta", L"", L"1.0", L"", VERSION_STATUS_SAME},
        {"empty component dropped", L"1..2", L"", L"1.2", L"", VERSION_STATUS_SAME},
        {"empty installed date ignores disc date", L"3.1", L"garbage", L"3.1", L"", VERSION_STATUS_SAME},
        {"empty disc date against a full date", L"3.1", L"", L"3.1", L"1-2-2003", VERSION_STATUS_ERROR},
        {"year before month", L"1.0", L"12-31-2006", L"1.0", L"1-1-2007", VERSION_STATUS_REGISTRY_NEWER},
        {"month before day", L"1.0", L"2-1-2007", L"1.0", L"1-31-2007", VERSION_STATUS_INI_NEWER},
        {"day decides last", L"1.0", L"1-30-2007", L"1.0", L"1-31-2007", VERSION_STATUS_REGISTRY_NEWER},
        {"parts after the third ignored", L"1.0", L"1-1-2007-9", L"1.0", L"1-1-2007-1", VERSION_STATUS_SAME},
        {"date part counts differ", L"1.0", L"1-1-2007", L"1.0", L"1-2007", VERSION_STATUS_ERROR},
        {"short dates are not ordered", L"1.0", L"1-2007", L"1.0", L"2-2007", VERSION_STATUS_ERROR},
        {"newer date never outweighs older version", L"1.0", L"1-1-2099", L"2.0", L"1-1-1999",
         VERSION_STATUS_REGISTRY_NEWER},
        {"empty against absent value", L"1.0", L"", L"", L"", VERSION_STATUS_ERROR},
        {"single number against empty", L"3", L"", L"", L"", VERSION_STATUS_INI_NEWER},
        {"zero against empty", L"0", L"", L"", L"", VERSION_STATUS_SAME},
        {"blanks around components", L" 1 . 2 ", L"", L"1.2", L"", VERSION_STATUS_SAME},
        {"first difference decides", L"2.0.9", L"", L"1.9.0", L"", VERSION_STATUS_INI_NEWER},
        // Plain ASCII digits are read in one pass, anything else as the CRT reads a number: both
        // ways must agree where they meet.
        {"nine digits read whole", L"999999999.1", L"", L"999999998.1", L"", VERSION_STATUS_INI_NEWER},
        {"ten digits and more clamp as the CRT does", L"2147483648.1", L"", L"99999999999.1", L"",
         VERSION_STATUS_SAME},
        {"the clamp against the largest number", L"2147483647", L"", L"2147483648", L"", VERSION_STATUS_SAME},
        {"a sign", L"+1.-1", L"", L"1.0", L"", VERSION_STATUS_REGISTRY_NEWER},
        {"digits beyond ASCII", L"\uff11.\uff10", L"", L"1.0", L"", VERSION_STATUS_SAME},
        {"a digit then a blank", L"1 .2", L"", L"1.3", L"", VERSION_STATUS_REGISTRY_NEWER},
        {"dates of plain digits and of padded ones", L"1.0", L"01-02-2007", L"1.0", L"1- 2 -2007",
         VERSION_STATUS_SAME},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(CompareVersionAndDate(c.iniVersion, c.iniDate, c.registryVersion, c.registryDate), c.expected)
            << c.name;
    }
}

}  // namespace
}  // namespace tavelin
