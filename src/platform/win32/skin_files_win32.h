#pragma once
// The skin lookup's file system on Windows.

#include "platform/skin_files.h"

namespace quorvane::win32 {

class Win32SkinFiles final : public SkinFiles {
public:
    std::string programFolder() const override;
    bool ordinaryFileExists(std::string_view path) const override;
    Outcome<std::string> readText(std::string_view path) const override;
};

} // namespace quorvane::win32
