// Card names in Windows code pages, read through the system's own tables.

#include "platform/win32/code_pages_win32.h"
#include "platform/win32/text_folding_win32.h"

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

TEST(Win32CodePages, ReadsWhatTheCodePageDefinesAndRefusesWhatItDoesNot) {
    win32::Win32CodePages codePages;
    struct Case {
        const char* bytes;
        unsigned codePage;
        const char* utf8; // null: a failure is expected
    };
    const Case cases[] = {
        {"Ren\xE9 M\xFCller", 1252, "Ren\xC3\xA9 M\xC3\xBCller"},
        {"\xC0\xED\xED\xE0", 1251, "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0"}, // Анна
        {"\x82\xA0", 932, "\xE3\x81\x82"},                              // あ in Shift-JIS
        {"\x82", 932, nullptr}, // a lead byte with nothing after it
        {"Ann", 999999, nullptr},
    };
    for (const Case& c : cases) {
        auto text = codePages.toUtf8(c.bytes, c.codePage);
        SCOPED_TRACE(std::to_string(c.codePage) + " " + c.bytes);
        if (!c.utf8) {
            ASSERT_FALSE(text);
            EXPECT_NE(text.failure().description.find(std::to_string(c.codePage)),
                      std::string::npos);
            continue;
        }
        ASSERT_TRUE(text) << text.failure().description;
        EXPECT_EQ(text.value(), c.utf8);
    }
}

} // namespace

namespace {

// Names compared by Windows' own tables: composed or not, and letter case in
// every script, Latin Extended-B and Greek with its accents included.
TEST(Win32TextFolding, ComposesAndLowersEveryScript) {
    const quorvane::win32::Win32TextFolding folding;
    EXPECT_EQ(folding.folded("Jose\xCC\x81 M\xC3\x9C"
                             "LLER"),
              "jos\xC3\xA9 m\xC3\xBCller");
    EXPECT_EQ(folding.folded("\xCE\x86\xCE\x9D\xCE\x9D\xCE\x91 \xC5\xB8\xC6\xB3"),
              "\xCE\xAC\xCE\xBD\xCE\xBD\xCE\xB1 \xC3\xBF\xC6\xB4");
    EXPECT_NE(folding.folded("\xC5\xB8vonne"), folding.folded("\xC5\xB9vonne"));
    EXPECT_EQ(folding.folded(""), "");
}

} // namespace
