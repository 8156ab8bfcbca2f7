#pragma once
// The two commands that fill the queue from folders: Add Folder and a drop on
// the list. Both return once their last row is queued (the walk runs on the
// searches' own thread) and leave the unreadable folders in the search for
// the caller to report.

#include "platform/run_window.h"
#include "queue/folder_search.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Queues every "*.vcf" file in `chosenFolder` and in all folders below it,
// each row built with JoinPath, so a drive root gives "D:\a.vcf". Names that
// begin with "~" (the lock and temporary files Office leaves) are skipped.
YieldResult QueueFolderFiles(FolderSearch& search, std::string_view chosenFolder);

// Queues the dropped paths in their order: a dropped folder stands for every
// file in it and below it, whatever the extension ("~" names skipped), joined
// with a plain backslash, so a dropped "D:\" gives "D:\\a.vcf"; anything else
// is queued unchanged, whatever its type. A path counts as a folder only when
// a folder listing finds it (so a hidden or system folder does not) and its
// attributes carry the directory bit; a path that has vanished or cannot be
// read is queued as it came, and the import run will report it. Files dropped
// before the first folder are queued at once; from the first folder on, the
// drop waits for any search already under way.
YieldResult QueueDroppedPaths(FolderSearch& search, const std::vector<std::string>& droppedPaths);

// The one message after a search that met unreadable folders: how many, and
// the first few with the system's reason. Nothing when all could be read.
std::optional<std::string> UnreadableFoldersMessage(const FolderSearch& search);

} // namespace quorvane
