#include "app/command_line.h"

#include "text/ascii_text.h"

#include <array>
#include <utility>

namespace quorvane {

namespace {

// "/import" and "-import" alike; "-" alone, or a path such as "-x.vcf"
// that is no switch we know, is still told as a switch: a script that meant
// a switch must hear of its mistake rather than import something else.
bool IsSwitch(std::string_view argument) {
    return argument.size() > 1 && (argument.front() == '/' || argument.front() == '-');
}

enum class Switch { Import, Undo, Check, Usage, Folder, Quiet, NoDuplicateCheck };

std::optional<Switch> SwitchNamed(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, Switch>, 8> Names = {{
        {"IMPORT", Switch::Import},
        {"UNDO", Switch::Undo},
        {"CHECK", Switch::Check},
        {"?", Switch::Usage},
        {"HELP", Switch::Usage},
        {"FOLDER", Switch::Folder},
        {"QUIET", Switch::Quiet},
        {"NO-DUPLICATE-CHECK", Switch::NoDuplicateCheck},
    }};
    const std::string upper = UpperAscii(name);
    for (const auto& [known, which] : Names)
        if (known == upper)
            return which;
    return std::nullopt;
}

Failure Wrong(std::string sentence) {
    return Failure{std::move(sentence)};
}

} // namespace

Outcome<Launch> ParseCommandLine(const std::vector<std::string>& arguments) {
    Launch launch;
    std::optional<std::string> modeSwitch;
    bool folderGiven = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (!IsSwitch(argument)) {
            launch.paths.push_back(argument);
            continue;
        }
        const auto which = SwitchNamed(std::string_view(argument).substr(1));
        if (!which)
            return Wrong("Unknown switch: " + argument);
        LaunchMode mode = LaunchMode::Window;
        switch (*which) {
        case Switch::Folder:
            if (folderGiven)
                return Wrong("/folder is given twice.");
            if (at + 1 == arguments.size() || arguments[at + 1].empty())
                return Wrong("/folder needs the folder to import into, such as "
                             "Contacts\\Friends.");
            folderGiven = true;
            launch.folder = arguments[++at];
            continue;
        case Switch::Quiet:
            launch.quiet = true;
            continue;
        case Switch::NoDuplicateCheck:
            launch.noDuplicateCheck = true;
            continue;
        case Switch::Import:
            mode = LaunchMode::Import;
            break;
        case Switch::Undo:
            mode = LaunchMode::Undo;
            break;
        case Switch::Check:
            mode = LaunchMode::Check;
            break;
        case Switch::Usage: {
            // Asked for help, whatever else the line says.
            Launch usage;
            usage.mode = LaunchMode::Usage;
            return usage;
        }
        }
        if (modeSwitch && launch.mode != mode)
            return Wrong(*modeSwitch + " and " + argument + " cannot be given together.");
        modeSwitch = argument;
        launch.mode = mode;
    }
    if (folderGiven && launch.mode != LaunchMode::Import)
        return Wrong("/folder goes only with /import.");
    if (launch.noDuplicateCheck && launch.mode != LaunchMode::Import)
        return Wrong("/no-duplicate-check goes only with /import.");
    if (launch.quiet && launch.mode == LaunchMode::Window)
        return Wrong("/quiet goes only with /import, /undo or /check.");
    if (launch.mode == LaunchMode::Import && launch.paths.empty())
        return Wrong("/import needs the files or folders to import.");
    if ((launch.mode == LaunchMode::Undo || launch.mode == LaunchMode::Check) &&
        !launch.paths.empty())
        return Wrong(*modeSwitch + " takes no files or folders: " + launch.paths.front());
    return launch;
}

ExitCode ExitCodeOf(RunEnd end, const RunTally& tally) {
    if (end == RunEnd::WindowClosed)
        return ExitCode::EndedEarly;
    if (tally.otherRunGoingOn || !tally.walked)
        return ExitCode::NothingImported;
    if (tally.count(ContactResult::Reported) + tally.count(ContactResult::Skipped) > 0)
        return ExitCode::SomeNotStored;
    return ExitCode::AllStored;
}

std::string CommandLineUsage() {
    return "Imports vCard files (.vcf) into Microsoft Outlook.\r\n"
           "\r\n"
           "quorvane.exe [PATH...]\r\n"
           "    Opens the window with the files queued (folders are searched for .vcf\r\n"
           "    files); nothing is imported until Start Importing is pressed.\r\n"
           "\r\n"
           "quorvane.exe /import [/folder FOLDER] [/quiet] [/no-duplicate-check] PATH...\r\n"
           "    Imports the files and folders without item windows, then ends.\r\n"
           "    /folder FOLDER  stores into FOLDER instead of the default Contacts folder:\r\n"
           "                    Contacts\\Friends, or \\\\Outlook Data File\\Contacts\\Friends\r\n"
           "    /quiet          shows no window and no box\r\n"
           "    /no-duplicate-check  imports even when Outlook will not list what the folder\r\n"
           "                    holds (contacts already there may then be stored again)\r\n"
           "\r\n"
           "quorvane.exe /undo [/quiet]\r\n"
           "    Takes back the newest import, as Undo Last Import does.\r\n"
           "\r\n"
           "quorvane.exe /check\r\n"
           "    Checks what Quorvane assumes about this Outlook and writes a report.\r\n"
           "\r\n"
           "Exit codes:\r\n"
           "    0  every contact stored, or already there\r\n"
           "    1  some contacts were not stored; the record names them\r\n"
           "    2  nothing imported: bad arguments, no Outlook that can be driven, the\r\n"
           "       folder not found, the duplicate check refused, another import running\r\n"
           "    3  ended before its end: the window was closed or Windows is ending the\r\n"
           "       session\r\n";
}

} // namespace quorvane
