#!/usr/bin/env bash
# Builds Lirondo (installing the Debian packages it needs) and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIRONDO_TESTS=OFF >/dev/null
cmake --build build
exec ./build/bin/lirondo "$@"
