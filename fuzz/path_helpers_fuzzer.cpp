// JoinPath and GetFileName take any text the user, a dialog or a drop gives.
// Beyond not crashing they keep their promises: JoinPath repairs a drive
// root's doubled backslash in one left-to-right pass and changes nothing else,
// and GetFileName gives the text after the last backslash.

#include "require.h"
#include "text/backslash_path.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace quorvane;
using quorvane::fuzz::require;

namespace {

// The same repair told by backslash runs instead of by matches: a run of two
// or more backslashes right after a colon loses one backslash (the pass
// resumes behind the ":\" it wrote, so the rest of the run stays), and every
// other character stays as it is.
std::string repairedByRuns(std::string_view text) {
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '\\') {
            result += text[at++];
            continue;
        }
        const std::size_t runStart = at;
        while (at < text.size() && text[at] == '\\')
            ++at;
        std::size_t run = at - runStart;
        if (run >= 2 && runStart > 0 && text[runStart - 1] == ':')
            --run;
        result.append(run, '\\');
    }
    return result;
}

void checkFileName(std::string_view path) {
    const std::string_view name = GetFileName(path);
    require(name.data() + name.size() == path.data() + path.size(),
            "GetFileName gives the end of the path");
    require(name.size() <= path.size(), "GetFileName gives part of the path");
    require(name.find('\\') == std::string_view::npos, "GetFileName holds no backslash");
    require(name.size() == path.size() || path[path.size() - name.size() - 1] == '\\',
            "GetFileName starts right after a backslash or at the start");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The folder, a NUL, the name: the way the open dialog separates them.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = text.find('\0');
    const std::string folder(text.substr(0, nul));
    const std::string name(nul == std::string_view::npos ? "" : text.substr(nul + 1));

    const std::string joined = JoinPath(folder, name);
    std::string plain = folder;
    plain.append(1, '\\').append(name);
    require(joined == repairedByRuns(plain), "JoinPath changes only a colon's doubled backslash");
    require(joined.size() <= plain.size(), "JoinPath never adds text");

    checkFileName(folder);
    checkFileName(name);
    checkFileName(joined);
    // The import run names a row's file by GetFileName: the join must keep it.
    if (name.find('\\') == std::string::npos)
        require(GetFileName(joined) == name, "GetFileName of a joined path is the name");
    return 0;
}
