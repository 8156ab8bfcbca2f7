#pragma once
// vCard 2.1 writers (Android's contact export among them) put any name that
// is not plain ASCII in quoted-printable: "=C3=A9" for the two bytes of "é".

#include <string>
#include <string_view>

namespace quorvane {

// Sets `bytes` to the bytes `encoded` stands for, in the room `bytes` already
// has where it can (`encoded` must not lie within it). "=XX" (either letter
// case) is one byte; a soft line break ("=" before CR LF, LF or CR, or at the
// very end) is nothing; an "=" that starts neither is kept as it is, since
// writers that forget to encode an "=" are common and the name should still
// read.
//
// The result is bytes, not text: a soft line break may fall between the
// bytes of one UTF-8 character, so the charset is applied afterwards.
void DecodeQuotedPrintable(std::string_view encoded, std::string& bytes);

} // namespace quorvane
