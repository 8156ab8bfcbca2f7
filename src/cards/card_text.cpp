#include "cards/card_text.h"

#include "text/byte_order_mark.h"
#include "text/utf16_text.h"

namespace quorvane {

std::string_view CardTextOf(std::string_view card, TextEncoding encoding, std::string& converted) {
    if (!IsUtf16(encoding))
        return WithoutUtf8ByteOrderMark(card);
    const ByteOrder order =
        encoding == TextEncoding::Utf16Le ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
    if (card.starts_with(Utf16LeByteOrderMark) || card.starts_with(Utf16BeByteOrderMark))
        card.remove_prefix(2);
    converted = Utf8FromUtf16Bytes(card, order);
    return converted;
}

} // namespace quorvane
