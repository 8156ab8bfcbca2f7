#pragma once
// The import run's files on Windows: queued files read in blocks, private
// card folders under %TEMP%, the record under %LOCALAPPDATA%\Quorvane\Runs.

#include "platform/run_storage.h"

#include <string>

namespace quorvane::win32 {

// Card folders are named with this prefix; the clean-up at start-up only ever
// touches folders that carry it.
inline constexpr wchar_t CardFolderPrefix[] = L"Quorvane-";

class Win32RunStorage final : public RunStorage {
public:
    Outcome<std::unique_ptr<ByteSource>> openForReading(std::string_view path) override;
    Outcome<std::unique_ptr<CardFolder>> createCardFolder() override;
    Outcome<std::unique_ptr<RunRecordFile>> createRunRecord() override;
    Outcome<std::vector<std::string>> listRunRecords() override;
    Outcome<RunRecordText> readRunRecord(std::string_view path) override;
    Outcome<std::unique_ptr<RunRecordFile>>
    createUndoRecord(std::string_view runRecordPath) override;
    Outcome<std::string> writeCheckReport(std::string_view text) override;
};

// Removes card folders that a run left behind: its program ended without
// cleaning up (a crash, a power cut), or a card was still open in Outlook
// when the run let its folder go. Only folders named and marked as card
// folders are touched; one still in use by a running Quorvane keeps its mark
// open and unshared, and is left alone. A card some live program still holds
// stays, with its folder and mark, for the next start. Returns how many
// folders were removed.
int removeAbandonedCardFolders();

// The folder card folders are made in: the user's temporary folder, with a
// trailing backslash.
std::wstring temporaryFolder();

} // namespace quorvane::win32
