#pragma once
// The floor for a folder search: one FindFirstFileExW listing per folder
// (basic information, large fetch), depth first, collecting the full path of
// every "*.vcf" file. No yields, no queue, no window.

#include <string>
#include <vector>

namespace quorvane::bench {

void bareWalk(const std::wstring& folder, std::vector<std::wstring>& vcfPaths);

// The same walk keeping nothing: only what listing the folders costs.
std::size_t bareCount(const std::wstring& folder);

} // namespace quorvane::bench
