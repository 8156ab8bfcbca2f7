#pragma once
// The card reader's code pages on Windows: every code page the system has
// installed, through MultiByteToWideChar.

#include "platform/code_pages.h"

namespace quorvane::win32 {

class Win32CodePages final : public CodePages {
public:
    Outcome<std::string> toUtf8(std::string_view bytes, unsigned codePage) override;
};

} // namespace quorvane::win32
