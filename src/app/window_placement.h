#pragma once
// Where the main window starts, and what is remembered of it at exit.

#include "base/outcome.h"
#include "platform/main_window_services.h"
#include "platform/settings_store.h"

#include <string>

namespace quorvane {

inline constexpr std::string_view SettingsApplication = "Trelvik";
inline constexpr std::string_view SettingsSection = "Quorvane";

// Centres the window on the whole primary screen (not the work area), with no
// rounding or clamping: on a screen smaller than the window, Left or Top goes
// negative. Left is set before Top.
void CenterForm(MainWindowServices& window);

// Writes "Left", "Top", "Width" and "Height" (twips, decimal text), reading
// the window's state afresh before each; a minimised or maximised window
// writes nothing. Stops at the first failing write.
Outcome<void> SaveWindowPlacement(MainWindowServices& window, SettingsStore& settings);

// Decimal text of a twip value: digits only for whole numbers, a leading
// minus sign for negative ones.
std::string TwipsAsText(float twips);

} // namespace quorvane
