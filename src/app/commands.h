#pragma once

namespace quorvane {

// Command IDs of the toolbar buttons. Dispatch goes by ID, never by position:
// the bar shows "Clear File List" (1003) before "Start Importing" (1002).
enum class CommandId : int {
    AddFiles = 1000,
    AddFolder = 1001,
    Start = 1002,
    ClearList = 1003,
    Help = 1004,
    // Import with no item window on the screen, into the default Contacts
    // folder or into a contacts folder picked in Outlook's chooser.
    ImportWithoutWindows = 1005,
    ImportWithoutWindowsIntoFolder = 1006,
    // Deletes the contacts the last run without windows stored.
    UndoLastImport = 1007,
    // Tries what Quorvane assumes about Outlook on this machine, with
    // contacts of its own in a folder it makes and removes.
    CheckOutlook = 1008,
};

} // namespace quorvane
