#include "import/learned_keeps.h"

namespace quorvane {

namespace {

constexpr std::string_view KeptWord = "kept";
constexpr std::string_view CarriedWord = "carried";
constexpr std::string_view DroppedWord = "dropped";

} // namespace

OutlookKeeps KeepsForOutlook(const OutlookKeeps& table, SettingsStore& settings,
                             std::string_view outlookVersion) {
    OutlookKeeps keeps = table;
    if (outlookVersion.empty())
        return keeps;
    const auto learned = settings.readSection(LearnedApplication, LearnedSection);
    const auto version = learned.find(std::string(LearnedVersionKey));
    if (version == learned.end() || version->second != outlookVersion)
        return keeps;
    for (const auto& [key, word] : learned) {
        if (word == KeptWord)
            keeps.learn(key, KeepVerdict::Kept);
        else if (word == CarriedWord)
            keeps.learn(key, KeepVerdict::Maybe);
        else if (word == DroppedWord)
            keeps.learn(key, KeepVerdict::Dropped);
    }
    return keeps;
}

Outcome<void> SaveLearned(SettingsStore& settings, std::string_view outlookVersion,
                          const std::vector<LearnedRow>& rows) {
    // Unset while the rows change: a check cut short between them leaves
    // nothing that any version would take for learned.
    if (auto unset =
            settings.saveSetting(LearnedApplication, LearnedSection, LearnedVersionKey, "");
        !unset)
        return unset;
    for (const auto& [key, verdict] : rows) {
        const std::string_view word = verdict == KeepVerdict::Kept    ? KeptWord
                                      : verdict == KeepVerdict::Maybe ? CarriedWord
                                                                      : DroppedWord;
        if (auto saved = settings.saveSetting(LearnedApplication, LearnedSection, key, word);
            !saved)
            return saved;
    }
    return settings.saveSetting(LearnedApplication, LearnedSection, LearnedVersionKey,
                                outlookVersion);
}

} // namespace quorvane
