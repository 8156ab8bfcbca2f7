#pragma once
// The contacts a soak run imports: mostly plain names, some outside the ANSI
// code page, and a few whose full path is longer than MAX_PATH. Every file
// name is unique, so the progress bar's "Processing: <name>" names one file.

#include <string>
#include <vector>

namespace quorvane::soak {

struct ContactFiles {
    std::vector<std::wstring> paths; // in queue order
    // Every contact's name, in queue order: each name stands once in the run.
    std::vector<std::wstring> contacts;
    // The files that hold several contacts, as phone exports do; the rest
    // hold one each.
    std::vector<std::wstring> multiContactPaths;
    std::size_t unicodeNames = 0;
    std::size_t longPaths = 0;
};

// Writes count files below folder (which must exist and be empty); every
// tenth holds three contacts.
ContactFiles writeContactFiles(const std::wstring& folder, std::size_t count);

// The part after the last backslash.
std::wstring fileNameOf(const std::wstring& path);

} // namespace quorvane::soak
