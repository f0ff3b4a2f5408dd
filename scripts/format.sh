#!/usr/bin/env bash
# Formats the program, its tools, tests, benchmarks and fuzzers with the
# project's .clang-format. The embedded model table keeps its own layout.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files 'core/*' 'platform/*' 'render/*' 'music/*' 'texture/*' 'mesh/*' 'fx/*' 'scenes/*' 'devtools/*' \
  'app/*' 'tools/*' 'tests/*' 'bench/*' 'fuzz/*' |
  grep -E '\.(c|cpp|h)$' | grep -v 'mesh/model_data.cpp' | xargs clang-format -i
