#pragma once
// The system's code pages as a Western Windows has them, cut down to what the
// tests use: 1252 (also the ANSI code page) and the Cyrillic letters of 1251.
// Any other code page is "not installed", as an odd CHARSET may be on a real
// system.

#include "platform/code_pages.h"
#include "text/utf16_text.h"

#include <array>
#include <string>
#include <vector>

namespace quorvane::testing {

class FakeCodePages final : public CodePages {
public:
    std::vector<unsigned> asked; // every code page asked for, in order

    Outcome<std::string> toUtf8(std::string_view bytes, unsigned codePage) override {
        asked.push_back(codePage);
        if (codePage == SystemAnsiCodePage)
            codePage = 1252;
        if (codePage != 1252 && codePage != 1251)
            return Failure{"The system does not support code page " + std::to_string(codePage)};
        std::u16string utf16;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            const char32_t character =
                codePage == 1252 ? fromWindows1252(byte) : fromWindows1251(byte);
            if (character == NotInTable)
                return Failure{"No mapping for the Unicode character exists in the target "
                               "multi-byte code page."};
            utf16 += static_cast<char16_t>(character);
        }
        return Utf8FromUtf16(utf16);
    }

private:
    static constexpr char32_t NotInTable = 0xFFFFFFFF;

    static char32_t fromWindows1252(unsigned char byte) {
        // 0x80-0x9F; the five holes read as the C1 controls, as Windows reads them.
        static constexpr std::array<char32_t, 32> High = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        return byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : byte;
    }

    static char32_t fromWindows1251(unsigned char byte) {
        if (byte < 0x80)
            return byte;
        if (byte >= 0xC0)
            return 0x0410 + (byte - 0xC0);
        if (byte == 0xA8)
            return 0x0401;
        if (byte == 0xB8)
            return 0x0451;
        return NotInTable;
    }
};

} // namespace quorvane::testing
