#include "config/diagnostics.h"

#include <gtest/gtest.h>

#include "narrow_text.h"

namespace tavelin {
namespace {

TEST(ParseDiagnosticSwitches, MatchesEveryArgumentWithoutRegardToCase) {
    const DiagnosticSwitches none = ParseDiagnosticSwitches({L"D:\\setup.exe", L"/s", L"ShowOSX", L"Show OS"});
    EXPECT_FALSE(none.m_bShowModel || none.m_bShowOS || none.m_bShowErrorMessage || none.m_bShowItemStatus ||
                 none.m_bShowItemVersionStatus);

    const DiagnosticSwitches some = ParseDiagnosticSwitches({L"setup.exe", L"showos", L"SHOWMODEL", L"showos"});
    EXPECT_TRUE(some.m_bShowOS);
    EXPECT_TRUE(some.m_bShowModel);
    EXPECT_FALSE(some.m_bShowErrorMessage);

    // Argument 0 counts like any other.
    const DiagnosticSwitches first = ParseDiagnosticSwitches({L"ShowErrorMessage"});
    EXPECT_TRUE(first.m_bShowErrorMessage);

    const DiagnosticSwitches all = ParseDiagnosticSwitches(
        {L"x", L"showitemstatus", L"ShowItemVersionStatus", L"ShowErrorMessage", L"ShowModel", L"ShowOS"});
    EXPECT_TRUE(all.m_bShowModel && all.m_bShowOS && all.m_bShowErrorMessage && all.m_bShowItemStatus &&
                all.m_bShowItemVersionStatus);
}

TEST(DiagnosticSwitchesText, NamesTheSwitchesThatAreOn) {
    EXPECT_EQ(Narrow(DiagnosticSwitchesText(DiagnosticSwitches{})), "none");
    EXPECT_EQ(Narrow(DiagnosticSwitchesText(ParseDiagnosticSwitches({L"x", L"showos", L"ShowItemStatus"}))),
              "ShowOS ShowItemStatus");
    EXPECT_EQ(Narrow(DiagnosticSwitchesText(ParseDiagnosticSwitches(
                  {L"ShowItemVersionStatus", L"ShowItemStatus", L"ShowErrorMessage", L"ShowOS", L"ShowModel"}))),
              "ShowModel ShowOS ShowErrorMessage ShowItemStatus ShowItemVersionStatus");
}

}  // namespace
}  // namespace tavelin
