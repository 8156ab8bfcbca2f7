#pragma once
// What quorvane.exe is asked to do by its command line, for a person ("Open
// with", "Send to", a shortcut) or a script (a log-on script, a deployment
// tool). Switches begin with "/" or "-", in any letter case; everything else
// is a file or folder to import.
//
//   quorvane.exe [PATH...]                          the window, with PATHs queued
//   quorvane.exe /import [/folder FOLDER] [/quiet] [/no-duplicate-check] PATH...
//   quorvane.exe /undo [/quiet]
//   quorvane.exe /check
//   quorvane.exe /?

#include "base/outcome.h"
#include "import/import_session.h"
#include "import/run_end.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

enum class LaunchMode {
    Window, // the window, with any paths given queued and nothing imported
    Import, // the paths imported without windows, then the program ends
    Undo,   // Undo Last Import, its question answered yes
    Check,  // Check Outlook, its report written
    Usage,  // what the command line can say
};

struct Launch {
    LaunchMode mode = LaunchMode::Window;
    std::vector<std::string> paths; // as given; relative ones are made whole by the caller
    // Where /import stores: a path below the default store's root as Outlook
    // shows it ("Contacts\Friends"), or a whole folder path
    // ("\\Outlook Data File\Contacts\Friends"); none for the default
    // Contacts folder.
    std::optional<std::string> folder;
    bool quiet = false;            // no window and no box at all
    bool noDuplicateCheck = false; // import even when the folder cannot be read
};

// The arguments after the program's own name, as CommandLineToArgvW splits
// them, in UTF-8. A failure says what is wrong in a sentence fit to print
// above the usage.
Outcome<Launch> ParseCommandLine(const std::vector<std::string>& arguments);

// The usage text /? shows, lines ending in "\r\n".
std::string CommandLineUsage();

// What a script sees when the program ends.
enum class ExitCode : int {
    AllStored = 0,       // every contact stored or already there
    SomeNotStored = 1,   // some contacts were reported, not stored: see the record
    NothingImported = 2, // bad arguments, no Outlook, no such folder, the duplicate
                         // check refused, another import running
    EndedEarly = 3,      // the window was closed or the session ended first
};

// A run's end as a script sees it. Contacts kept by an undo (changed since,
// moved, gone) are no failure of it.
ExitCode ExitCodeOf(RunEnd end, const RunTally& tally);

} // namespace quorvane
