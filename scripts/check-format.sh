#!/usr/bin/env bash
# Fails when a C++ file in the repository is not as clang-format, with the
# repo's .clang-format, would write it; names each place. `make test` runs it
# first. To reformat: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
