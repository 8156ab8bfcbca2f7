#pragma once
// The pictures Outlook shows for a contact, told by their first bytes as any
// viewer tells them, whatever a card or a file name claims.

#include <string_view>

namespace quorvane::standin {

inline bool isContactPicture(std::string_view bytes) {
    constexpr std::string_view Signatures[] = {"BM", // bmp
                                               "GIF87a",
                                               "GIF89a",                  // gif
                                               "\xFF\xD8\xFF",            // jpeg
                                               {"\x89PNG\r\n\x1A\n", 8}}; // png
    for (const std::string_view signature : Signatures)
        if (bytes.starts_with(signature))
            return true;
    return false;
}

} // namespace quorvane::standin
