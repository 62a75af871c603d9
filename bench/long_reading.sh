#!/bin/bash
# A long reading on the real engine: prints resident memory and CPU time once a minute,
# then compares the memory at the end with the memory after the first pass over the
# text (or after the first minute, when no pass ended in the time given). It must not
# grow. Usage: bench/long_reading.sh [minutes=30] [speed=1000]
# At 1000 times speech speed synthesis is the limit and a pass over the 1 MB text takes
# about four minutes, so the run sees several passes; the first pass grows memory as the
# text box lays out the text it scrolls to.
# BENCH_BIN names the program when the build directory is not ./build.
set -euo pipefail

minutes=${1:-30}
speed=${2:-1000}
here=$(cd "$(dirname "$0")" && pwd)
bin=${BENCH_BIN:-$here/../build/bench/bench_long_reading}
if [[ ! -x $bin ]]; then
    echo "no $bin: configure with -DLIRONDO_BENCH=ON and build bench_long_reading" >&2
    exit 2
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
QT_QPA_PLATFORM=offscreen "$bin" "$minutes" "$speed" 2>/dev/null | tee "$log"

# Allowance for allocator noise: a page cache of a few hundred KiB is not a leak.
awk -v slack_kib=1024 '
    /^pass / && !baseline { baseline = $4; from = "after the first pass" }
    /^minute / { last = $4; cpu = $6; m = $2; if (m == 1) first_minute = $4 }
    END {
        if (!baseline) { baseline = first_minute; from = "after the first minute" }
        if (!last) { print "no samples"; exit 2 }
        growth = last - baseline
        printf "rss %s: %d KiB; at the end (minute %d): %d KiB; growth %+d KiB; cpu %.1f s\n",
               from, baseline, m, last, growth, cpu
        if (growth > slack_kib) { print "FAIL: resident memory grew"; exit 1 }
        print "OK: resident memory did not grow"
    }' "$log"
