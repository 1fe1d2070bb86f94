// The main of every GoogleTest program of the project. GoogleTest's own main exits 0 when tests
// were skipped, and CTest then reads the run as passed: a green run would hide a test that did not
// run. Here a run with no failure but with skipped tests lists them and exits kSkipExitCode, which
// the CTest entries declare as their SKIP_RETURN_CODE, so CTest reports the entry as skipped.
// Entries filter out the tests that are meant to run in another entry, so that a skip always
// means something here could not run.
#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr int kSkipExitCode = 77;

void ListSkippedTests(const ::testing::UnitTest& unit) {
    std::printf("Skipped here (see each test's reason above):\n");
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo& test = *suite.GetTestInfo(t);
            if (test.should_run() && test.result()->Skipped()) {
                std::printf("  %s.%s\n", suite.name(), test.name());
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (result != 0) return result;
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    if (unit.test_to_run_count() == 0) {
        // A filter that matches nothing is a mistake in the entry, not a skip.
        std::printf("No test matched the filter: nothing ran.\n");
        return 1;
    }
    if (unit.skipped_test_count() > 0) {
        ListSkippedTests(unit);
        return kSkipExitCode;
    }
    return 0;
}
