// Card names in Windows code pages, read through the system's own tables.

#include "platform/win32/code_pages_win32.h"

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
