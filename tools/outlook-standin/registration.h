#pragma once
// Installs and removes the stand-in as this machine's "Outlook": the COM
// class behind "Outlook.Application" and the App Paths entry that lets
// ShellExecute find `outlook`. Removing it is how a test shows a machine
// without Outlook.

#include <windows.h>

namespace quorvane::standin {

// Machine-wide (HKLM\Software\Classes): Wine does not read per-user classes.
HRESULT registerServer();
HRESULT unregisterServer();

} // namespace quorvane::standin
