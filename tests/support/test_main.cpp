// main() for the test programs. GoogleTest's own result printer also hands
// every failure to OutputDebugStringA, which raises an exception; Wine's
// 32-bit loader running under qemu cannot unwind it and the test program
// dies at its first failure. This printer writes the same lines to stdout
// only.
#include <gtest/gtest.h>

#include <stdio.h>

namespace {

class StdoutPrinter : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &test) override
    {
        printf("[ RUN      ] %s.%s\n", test.test_suite_name(), test.name());
        fflush(stdout);
    }

    void OnTestPartResult(const ::testing::TestPartResult &result) override
    {
        if (result.type() == ::testing::TestPartResult::kSuccess)
            return;
        const char *kind = result.type() == ::testing::TestPartResult::kSkip ? "Skipped" : "Failure";
        printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "unknown file", result.line_number(),
               kind, result.message());
        fflush(stdout);
    }

    void OnTestEnd(const ::testing::TestInfo &test) override
    {
        const ::testing::TestResult &result = *test.result();
        const char *tag = result.Skipped() ? "[  SKIPPED ]" : result.Passed() ? "[       OK ]" : "[  FAILED  ]";
        printf("%s %s.%s (%lld ms)\n", tag, test.test_suite_name(), test.name(),
               static_cast<long long>(result.elapsed_time()));
        fflush(stdout);
    }

    void OnTestProgramEnd(const ::testing::UnitTest &unit) override
    {
        printf("[==========] %d tests ran. (%lld ms total)\n", unit.test_to_run_count(),
               static_cast<long long>(unit.elapsed_time()));
        printf("[  PASSED  ] %d tests.\n", unit.successful_test_count());
        if (unit.skipped_test_count() > 0)
            printf("[  SKIPPED ] %d tests.\n", unit.skipped_test_count());
        if (unit.failed_test_count() > 0) {
            printf("[  FAILED  ] %d tests, listed below:\n", unit.failed_test_count());
            for (int i = 0; i < unit.total_test_suite_count(); ++i) {
                const ::testing::TestSuite &suite = *unit.GetTestSuite(i);
                for (int j = 0; j < suite.total_test_count(); ++j) {
                    const ::testing::TestInfo &test = *suite.GetTestInfo(j);
                    if (test.should_run() && test.result()->Failed())
                        printf("[  FAILED  ] %s.%s\n", suite.name(), test.name());
                }
            }
        }
        fflush(stdout);
    }
};

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::TestEventListeners &listeners = ::testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new StdoutPrinter);
    return RUN_ALL_TESTS();
}
