// What a check of Outlook learned applies to the same Outlook version alone.

#include "fakes.h"
#include "import/learned_keeps.h"

#include <gtest/gtest.h>

namespace quorvane::testing {
namespace {

TEST(LearnedKeepsTest, ApplyOnlyToTheOutlookVersionTheyWereLearnedOn) {
    const OutlookKeeps table = BuiltInOutlookKeeps();
    const auto untypedPhone = [](const OutlookKeeps& keeps) {
        return keeps.rowFor("TEL", {}, "")->verdict;
    };
    ASSERT_EQ(untypedPhone(table), KeepVerdict::Maybe);
    FakeSettings settings;
    ASSERT_TRUE(SaveLearned(settings, "16.0.1", {{"TEL", KeepVerdict::Kept}}));
    struct Case {
        const char* version;
        KeepVerdict verdict;
    } const cases[] = {
        {"16.0.1", KeepVerdict::Kept},  // checked: no longer carried
        {"16.0.2", KeepVerdict::Maybe}, // updated since: the table again
        {"", KeepVerdict::Maybe},       // not known: the table again
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.version);
        EXPECT_EQ(untypedPhone(KeepsForOutlook(table, settings, test.version)), test.verdict);
    }
    EXPECT_FALSE(OutlookKeeps(table).learn("NO-SUCH-ROW", KeepVerdict::Kept));
}

} // namespace
} // namespace quorvane::testing
