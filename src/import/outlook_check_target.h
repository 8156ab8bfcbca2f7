#pragma once
// Check Outlook…: what Quorvane assumes about Outlook, tried on the user's own
// machine with cards of its own, in a contacts folder it makes for the check
// and removes after. Each assumption passes or says what Outlook did
// instead; the report names them all, with Outlook's version and the kind of
// store, and nothing of the user's. Where this Outlook keeps more or less of
// a card than the table says, later runs learn it (learned_keeps.h).

#include "cards/outlook_keeps.h"
#include "import/import_target.h"
#include "platform/code_pages.h"
#include "platform/outlook_session.h"
#include "platform/regional_settings.h"
#include "platform/run_storage.h"
#include "platform/settings_store.h"
#include "platform/system_facts.h"
#include "platform/text_folding.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// What the check asks before it does anything.
std::string CheckQuestion();

// One assumption, as the check found it.
struct CheckFinding {
    std::string assumption; // "A phone without a type"
    bool passed = false;
    std::string words; // "in Other, as expected." / "expected in Other; Outlook kept nothing."
};

// What the check works with besides Outlook.
struct CheckServices {
    RunStorage& storage;
    SettingsStore& settings;
    CodePages& codePages;
    const RegionalSettings& regional;
    const TextFolding& folding;
    const SystemFacts& system;
};

class OutlookCheckTarget final : public CheckTarget {
public:
    OutlookCheckTarget(OutlookSessions& outlook, CheckServices services, const OutlookKeeps& table);
    ~OutlookCheckTarget() override;

    std::optional<std::size_t> prepare(RunContext& run) override;
    std::string stepText(std::size_t step) const override;
    void runStep(std::size_t step, RunContext& run) override;
    void release() override;
    std::string closingSummary() override;

private:
    struct Step {
        std::string text;
        std::function<void()> run;
    };
    struct Stored; // a sample the check stored

    void removeLeftovers();
    void plan();
    std::optional<Stored> import(std::string_view card, bool carry, const std::string& what);
    void checkFirstCardOnly();
    void checkCodePage();
    void checkProbe(const struct CheckProbe& probe);
    void checkCarrying();
    void checkTableAndDuplicates();
    void checkFoundAgainAndDeleted();
    void find(std::string assumption, bool passed, std::string words);
    std::string report() const;

    OutlookSessions& outlook_;
    CheckServices services_;
    OutlookKeeps table_;                // as built, the assumptions checked
    OutlookKeeps learned_;              // with what this check learned, for its carrying
    std::vector<std::string> readBack_; // where a value is looked for
    std::unique_ptr<OutlookSession> session_;
    std::unique_ptr<OutlookFolder> folder_;
    std::unique_ptr<CardFolder> cards_;
    std::string folderPath_;
    std::string version_;
    std::string storeKind_;
    std::string startedAt_;
    std::vector<Step> steps_;
    std::vector<CheckFinding> findings_;
    std::vector<std::pair<std::string, KeepVerdict>> learnedRows_;
    std::vector<std::string> leftBehind_; // what could not be removed, in words
    std::string richEntryId_;
    std::string richStoreId_;
    std::optional<std::string> reportPath_;
    bool released_ = false;
};

} // namespace quorvane
