#pragma once
// The floor for a folder search: one FindFirstFileExW listing per folder
// (basic information, large fetch), depth first, collecting the full path of
// every "*.vcf" file. No yields, no queue, no window.

#include <string>
#include <vector>

namespace quorvane::bench {

void bareWalk(const std::wstring& folder, std::vector<std::wstring>& vcfPaths);

} // namespace quorvane::bench
