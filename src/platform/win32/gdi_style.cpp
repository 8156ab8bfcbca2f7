#include "platform/win32/gdi_style.h"

#include "platform/win32/dpi.h"
#include "platform/win32/wide_text.h"

namespace quorvane::win32 {

COLORREF toColorRef(Colour colour) {
    if (IsSystemColour(colour))
        return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

ColourBrush makeBrush(Colour colour) {
    if (IsSystemColour(colour))
        return {GetSysColorBrush(static_cast<int>(colour & 0xFF)), ScopedBrush()};
    ScopedBrush brush(CreateSolidBrush(toColorRef(colour)));
    HBRUSH handle = brush.get();
    return {handle, std::move(brush)};
}

ScopedFont makeFont(const SkinFont& font, unsigned dpi) {
    LOGFONTW description{};
    description.lfHeight = fontHeightForPoints(font.points, dpi);
    description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = font.italic ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(description.lfFaceName, toWide(font.face).c_str(), LF_FACESIZE);
    return ScopedFont(CreateFontIndirectW(&description));
}

} // namespace quorvane::win32
