#pragma once
// Names folded by ICU, the Unicode library Debian ships: the tests of the
// portable logic ask of it what the program asks of Windows' own tables.

#include "platform/text_folding.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace quorvane::testing {

class IcuTextFolding final : public TextFolding {
public:
    std::string folded(std::string_view text) const override {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* composition = icu::Normalizer2::getNFCInstance(status);
        icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
            icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
        unicode.foldCase();
        const icu::UnicodeString composed =
            U_SUCCESS(status) ? composition->normalize(unicode, status) : unicode;
        if (U_FAILURE(status))
            return std::string(text);
        std::string utf8;
        composed.toUTF8String(utf8);
        return utf8;
    }
};

} // namespace quorvane::testing
