#pragma once
// vCard 2.1 writers (Android's contact export among them) put any name that
// is not plain ASCII in quoted-printable: "=C3=A9" for the two bytes of "é".

#include <string>
#include <string_view>

namespace quorvane {

// The bytes `encoded` stands for. "=XX" (either letter case) is one byte; a
// soft line break ("=" before CR LF, LF or CR, or at the very end) is nothing;
// an "=" that starts neither is kept as it is, since writers that forget to
// encode an "=" are common and the name should still read.
//
// The result is bytes, not text: a soft line break may fall between the
// bytes of one UTF-8 character, so the charset is applied afterwards.
std::string DecodeQuotedPrintable(std::string_view encoded);

} // namespace quorvane
