#pragma once
// Files and folders a test makes for itself: fresh folders under the
// temporary folder, files written whole, and logs read back line by line.
// Paths are full Windows paths; the ones longer than MAX_PATH work too.

#include <string>
#include <vector>

namespace quorvane::test {

// %TEMP%\quorvane-<name>, empty: whatever an earlier run left there is gone.
// `name` may hold backslashes, for a folder below another.
std::wstring tempFolder(const std::wstring& name);

// Makes the folder and every folder on the way to it.
void makeFolders(const std::wstring& path);

// Removes a file or a whole folder tree, read-only, hidden and system entries
// included. A link is removed without following it into its target.
void removeTree(const std::wstring& path);

// Writes `content` as the whole file; throws when the file cannot be made.
void writeFile(const std::wstring& path, const std::string& content);

// The file's lines without their line ends (LF or CRLF); none when the file
// is missing. The stand-in and the drag source write UTF-8.
std::vector<std::string> readUtf8Lines(const std::wstring& path);
std::vector<std::wstring> readLines(const std::wstring& path);

} // namespace quorvane::test
