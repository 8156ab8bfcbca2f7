#include "contact_file.h"

#include "cards/card_reader.h"
#include "cards/memory_byte_source.h"
#include "platform/win32/code_pages_win32.h"
#include "platform/win32/scoped_handles.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace quorvane::standin {

namespace {

// Test files are small; a real Outlook reads a card file whole as well.
std::optional<std::string> readWholeFile(const std::wstring& path) {
    const win32::ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char block[64 * 1024];
    DWORD read = 0;
    while (ReadFile(file.get(), block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    return bytes;
}

} // namespace

std::optional<FirstContact> readFirstContact(const std::wstring& path) {
    auto bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    MemoryByteSource source(std::move(*bytes));
    win32::Win32CodePages codePages;
    CardReader reader(source, codePages);
    Card card;
    auto next = reader.next(card);
    if (!next || !next.value())
        return std::nullopt;
    return FirstContact{win32::toWide(card.displayName)};
}

} // namespace quorvane::standin
