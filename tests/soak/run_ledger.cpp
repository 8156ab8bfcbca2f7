#include "run_ledger.h"

#include "contact_files.h"
#include "support/box_watch.h"

namespace quorvane::soak {
namespace {

constexpr std::wstring_view ProcessingPrefix = L"Processing: ";
constexpr std::size_t Examples = 10;

} // namespace

RunLedger::RunLedger(const std::vector<std::wstring>& queued)
    : queued_(queued), reported_(queued.size(), false) {
    for (std::size_t i = 0; i < queued_.size(); ++i)
        byFileName_.emplace(fileNameOf(queued_[i]), i);
}

void RunLedger::markReported(const std::wstring& fileName, const std::wstring& text) {
    const auto found = byFileName_.find(fileName);
    if (found == byFileName_.end())
        return;
    // A name in the box counts only with its whole path; the bar shows names.
    if (!text.empty() && text.find(queued_[found->second]) == std::wstring::npos)
        return;
    reported_[found->second] = true;
}

void RunLedger::boxSeen(const test::Box& box, const std::wstring& progressText) {
    ++boxes_;
    const int step = test::reportedStep(box);
    if (step == 0)
        return;
    StepTally& tally = steps_[step];
    if (tally.reports++ == 0)
        tally.example = box.text;
    if (progressText.rfind(ProcessingPrefix, 0) == 0)
        markReported(progressText.substr(ProcessingPrefix.size()), {});
    // Every ".vcf" the text quotes, back to the backslash before it.
    for (auto end = box.text.find(L".vcf"); end != std::wstring::npos;
         end = box.text.find(L".vcf", end + 1)) {
        const auto slash = box.text.rfind(L'\\', end);
        if (slash != std::wstring::npos)
            markReported(box.text.substr(slash + 1, end + 4 - slash - 1), box.text);
    }
}

LedgerVerdict RunLedger::settle(const std::vector<std::wstring>& savedPaths) const {
    std::unordered_map<std::wstring, std::size_t> savedCount;
    LedgerVerdict verdict;
    verdict.queued = queued_.size();
    for (const std::wstring& path : savedPaths)
        ++savedCount[path];
    for (const auto& [path, times] : savedCount) {
        const auto found = byFileName_.find(fileNameOf(path));
        if (found == byFileName_.end() || queued_[found->second] != path)
            verdict.savedNotQueued += times;
    }
    for (std::size_t i = 0; i < queued_.size(); ++i) {
        const auto saved = savedCount.find(queued_[i]);
        const std::size_t times = saved == savedCount.end() ? 0 : saved->second;
        if (times == 1)
            ++verdict.savedOnce;
        if (times > 1) {
            ++verdict.savedTwiceOrMore;
            if (verdict.twiceExamples.size() < Examples)
                verdict.twiceExamples.push_back(queued_[i]);
        }
        if (reported_[i] && times == 0)
            ++verdict.reportedNotSaved;
        if (reported_[i] && times > 0)
            ++verdict.reportedAndSaved;
        if (!reported_[i] && times == 0) {
            ++verdict.lost;
            if (verdict.lostExamples.size() < Examples)
                verdict.lostExamples.push_back(queued_[i]);
        }
    }
    return verdict;
}

} // namespace quorvane::soak
