#pragma once
// A skin's colours and fonts as GDI values.

#include "platform/skin_style.h"
#include "platform/win32/scoped_handles.h"

#include <windows.h>

namespace quorvane::win32 {

// A system colour (0x800000nn) is read as the system's current value.
COLORREF toColorRef(Colour colour);

// A brush for `colour`: the system's shared brush for a system colour (which
// must never be deleted, so the owner gets an empty handle) or a new one.
struct ColourBrush {
    HBRUSH brush = nullptr; // what to paint with
    ScopedBrush owned;      // set when `brush` is ours to delete
};
ColourBrush makeBrush(Colour colour);

// The font at `dpi`; point sizes stay the same size on every screen.
ScopedFont makeFont(const SkinFont& font, unsigned dpi);

} // namespace quorvane::win32
