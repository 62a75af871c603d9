#!/usr/bin/env bash
# Builds Lirondo and runs the whole test suite.
#   tools/test.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh test
dir=${1:-build-tests}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLIRONDO_TESTS=ON "$@" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure
