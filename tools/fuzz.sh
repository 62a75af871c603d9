#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 60). New inputs go to build-fuzz/corpus/<target>/; the seeds in fuzz/corpus
# are only read. Crashes are written to build-fuzz/crashes/.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${LIRONDO_FUZZ_BUILD:-$root/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLIRONDO_FUZZ=ON -DLIRONDO_TESTS=OFF -DLIRONDO_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_all -j"$(nproc)"

mkdir -p "$build/crashes"
status=0
while read -r target; do
    [ -n "$target" ] || continue
    work="$build/corpus/$target"
    mkdir -p "$work"
    seeds=()
    [ -d "$root/fuzz/corpus/$target" ] && seeds=("$root/fuzz/corpus/$target")
    echo "== $target: ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "$work" "${seeds[@]}"; then
        echo "!! $target failed; see $build/crashes/" >&2
        status=1
    fi
done <"$build/fuzz/fuzzers.txt"
exit "$status"
