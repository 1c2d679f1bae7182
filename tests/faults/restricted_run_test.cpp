// A child that dies instead of answering must fail the test that ran it, not
// look like a restriction that cannot be set up here (which skips).

#include "tests/support/restricted_run.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <string>

#include <unistd.h>

namespace tovrel {
namespace {

TEST(RestrictedRun, AChildThatDiesFailsTheTest) {
    const struct {
        const char* name;
        std::function<std::string()> fn;
    } deaths[] = {
        {"exits", []() -> std::string { _exit(7); }},
        {"is killed",
         []() -> std::string {
             raise(SIGKILL);
             return "";
         }},
    };
    for (const auto& d : deaths) {
        SCOPED_TRACE(d.name);
        std::optional<std::string> text;
        EXPECT_NONFATAL_FAILURE(text = test::runWithFileSizeLimit(1 << 20, d.fn),
                                "the child ended");
        EXPECT_FALSE(text.has_value());
    }
}

TEST(RestrictedRun, AChildThatAnswersGivesItsText) {
    const auto text = test::runWithFileSizeLimit(1 << 20, [] { return std::string("答复"); });
    EXPECT_EQ(text, "答复");
}

} // namespace
} // namespace tovrel
