// The command line a script or a shortcut gives, read as the program acts on it.

#include "app/command_line.h"

#include <gtest/gtest.h>

namespace quorvane::testing {
namespace {

Launch Of(LaunchMode mode, std::vector<std::string> paths = {},
          std::optional<std::string> folder = {}, bool quiet = false,
          bool noDuplicateCheck = false) {
    Launch launch;
    launch.mode = mode;
    launch.paths = std::move(paths);
    launch.folder = std::move(folder);
    launch.quiet = quiet;
    launch.noDuplicateCheck = noDuplicateCheck;
    return launch;
}

constexpr auto Window = LaunchMode::Window;
constexpr auto Import = LaunchMode::Import;

struct LineCase {
    std::vector<std::string> arguments;
    // What it must launch, or the start of the error when it must fail.
    std::optional<Launch> launch;
    std::string error;
};

TEST(CommandLineTest, ReadsSwitchesAndPathsAsAScriptMeansThem) {
    const LineCase cases[] = {
        {{}, Of(Window), {}},
        {{"C:\\Users\\Ann\\Phone export.vcf", "D:\\Cards"},
         Of(Window, {"C:\\Users\\Ann\\Phone export.vcf", "D:\\Cards"}),
         {}},
        {{"/import", "cards", "more.vcf"}, Of(Import, {"cards", "more.vcf"}), {}},
        {{"-IMPORT", "/Quiet", "/folder", "Contacts\\Friends", "\\\\server\\share\\a.vcf"},
         Of(Import, {"\\\\server\\share\\a.vcf"}, "Contacts\\Friends", true),
         {}},
        {{"/import", "/no-duplicate-check", "/folder", "\\\\Outlook Data File\\Contacts", "x"},
         Of(Import, {"x"}, "\\\\Outlook Data File\\Contacts", false, true),
         {}},
        {{"/undo", "/quiet"}, Of(LaunchMode::Undo, {}, {}, true), {}},
        {{"/check"}, Of(LaunchMode::Check), {}},
        {{"/import", "x", "/?"}, Of(LaunchMode::Usage), {}},
        {{"Jos\xC3\xA9 M\xC3\xBCller.vcf"}, Of(Window, {"Jos\xC3\xA9 M\xC3\xBCller.vcf"}), {}},
        {{"/import"}, std::nullopt, "/import needs the files"},
        {{"/imprt", "x"}, std::nullopt, "Unknown switch: /imprt"},
        {{"/import", "x", "/folder"}, std::nullopt, "/folder needs"},
        {{"/import", "/folder", "A", "/folder", "B", "x"}, std::nullopt, "/folder is given twice"},
        {{"/folder", "A", "x"}, std::nullopt, "/folder goes only with /import"},
        {{"/quiet", "x"}, std::nullopt, "/quiet goes only"},
        {{"/undo", "x"}, std::nullopt, "/undo takes no files"},
        {{"/import", "/undo", "x"}, std::nullopt, "/import and /undo cannot"},
        {{"/undo", "/no-duplicate-check"}, std::nullopt, "/no-duplicate-check goes only"},
    };
    for (const LineCase& test : cases) {
        std::string shown;
        for (const std::string& argument : test.arguments)
            shown += " [" + argument + "]";
        SCOPED_TRACE(shown);
        Outcome<Launch> launch = ParseCommandLine(test.arguments);
        if (!test.launch) {
            ASSERT_FALSE(launch);
            EXPECT_TRUE(launch.failure().description.starts_with(test.error))
                << launch.failure().description;
            continue;
        }
        ASSERT_TRUE(launch) << launch.failure().description;
        EXPECT_EQ(launch->mode, test.launch->mode);
        EXPECT_EQ(launch->paths, test.launch->paths);
        EXPECT_EQ(launch->folder, test.launch->folder);
        EXPECT_EQ(launch->quiet, test.launch->quiet);
        EXPECT_EQ(launch->noDuplicateCheck, test.launch->noDuplicateCheck);
    }
}

} // namespace
} // namespace quorvane::testing
