#pragma once
// What a check of Outlook learned about what this Outlook keeps of a card,
// kept for later runs under HKCU\Software\Trelvik\Quorvane\OutlookCheck with
// the Outlook version it was learned on: another version means the table as
// built again, until it is checked.

#include "cards/outlook_keeps.h"
#include "platform/settings_store.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

inline constexpr std::string_view LearnedApplication = "Trelvik";
inline constexpr std::string_view LearnedSection = "Quorvane\\OutlookCheck";
inline constexpr std::string_view LearnedVersionKey = "Outlook version";

// A row of the table (by OutlookKeeps::RowKey) and what this Outlook does
// with its values.
using LearnedRow = std::pair<std::string, KeepVerdict>;

// `table` as the Outlook of `outlookVersion` keeps a card: with what a check
// of that version learned.
OutlookKeeps KeepsForOutlook(const OutlookKeeps& table, SettingsStore& settings,
                             std::string_view outlookVersion);

// Keeps what a check of the Outlook of `outlookVersion` learned.
Outcome<void> SaveLearned(SettingsStore& settings, std::string_view outlookVersion,
                          const std::vector<LearnedRow>& rows);

} // namespace quorvane
