#pragma once
#include <string>
#include <string_view>

namespace quorvane {

// UTF-16 as Windows hands it over, turned into the UTF-8 the program keeps
// inside. A surrogate without its partner becomes U+FFFD, as
// WideCharToMultiByte makes it, so a malformed name still reads as text.
std::string Utf8FromUtf16(std::u16string_view utf16);
// The same for the wchar_t text of the Win32 API, where wchar_t holds UTF-16.
std::string Utf8FromUtf16(std::wstring_view utf16);

enum class ByteOrder { LittleEndian, BigEndian };
// The same for UTF-16 as a file holds it, two bytes a unit in `order`. A lone
// last byte (a file cut off mid-unit) becomes U+FFFD too.
std::string Utf8FromUtf16Bytes(std::string_view bytes, ByteOrder order);

// UTF-8 as a UTF-16 file holds it, two bytes a unit in `order`. A byte of
// malformed UTF-8 becomes U+FFFD, as MultiByteToWideChar makes it.
std::string Utf16BytesFromUtf8(std::string_view utf8, ByteOrder order);

} // namespace quorvane
