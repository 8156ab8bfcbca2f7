#pragma once
#include <string_view>

namespace quorvane {

// Whether a long file name matches a listing pattern the way Windows matches
// it: letter case ignored (for the ASCII letters, which is all our patterns
// use), "*" any run of characters, "?" any one character, and a trailing ".*"
// also matching nothing at all, so "*.*" takes "README" too. The folder search
// uses it to check the long name again, since Windows also matches 8.3 short
// names and would take "abcdefgh.vcfx" (short name "ABCDEF~1.VCF") for "*.vcf".
bool MatchesWildcard(std::string_view name, std::string_view pattern);

} // namespace quorvane
