#pragma once
// What outlook.exe was started to do, read from its command line.

#include <string>
#include <string_view>

namespace quorvane::standin {

enum class LaunchMode {
    Serve,            // by COM (-Embedding) or with no arguments
    OpenFile,         // /v <path>: open a contact file
    RegisterServer,   // /regserver
    UnregisterServer, // /unregserver
};

struct Launch {
    LaunchMode mode = LaunchMode::Serve;
    std::wstring path;
};

// commandLine is the whole line, program name included (GetCommandLineW).
// After /v the rest of the line is the path, quoted or not, so an unquoted
// path with spaces survives as well.
Launch parseCommandLine(std::wstring_view commandLine);

} // namespace quorvane::standin
