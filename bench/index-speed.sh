#!/usr/bin/env bash
# Times `qmtool db index` on the largest PGN collection of the shared data
# against `grep -c '^\[Event '` on the same file (the least any indexer must
# read), and reports the ratio, the peak resident memory of the indexing run
# and that memory per indexed game above an empty run.
#   bench/index-speed.sh [PGN-FILE]
# Builds qmtool in build/bench (Release). Each time is the best of three runs.
set -euo pipefail
cd "$(dirname "$0")/.."
data=${QM_SHARED_DATA:-../shared/data}

if [ ! -x /usr/bin/time ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends time >/dev/null
fi

file=${1:-}
if [ -z "$file" ]; then
    file=$(ls -S "$data"/pgn-corpus/*.pgn 2>/dev/null | head -n 1 || true)
fi
if [ -z "$file" ] || [ ! -f "$file" ]; then
    echo "no PGN file: give one, or set QM_SHARED_DATA to the shared data folder" >&2
    exit 1
fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BENCH=ON -DQM_TESTS=OFF -DQM_GUI=OFF >/dev/null
cmake --build build/bench --target qmtool >/dev/null
qmtool=build/bench/bin/qmtool

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
: > "$tmp/empty.pgn"

# best SECONDS-VARIABLE COMMAND...: the best wall time of three runs, in seconds.
best() {
    local out=$1 best="" t
    shift
    for _ in 1 2 3; do
        /usr/bin/time -f %e -o "$tmp/t" "$@" > "$tmp/out"
        t=$(cat "$tmp/t")
        if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    done
    printf -v "$out" %s "$best"
}

# Peak resident memory in kilobytes of one run.
peak() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}'
}

cat "$file" > /dev/null   # both read from the page cache
best grep_s grep -c '^\[Event ' "$file"
grep_games=$(cat "$tmp/out")
best index_s "$qmtool" db index "$file"
games=$(tail -n 1 "$tmp/out" | awk '{print $2}')
index_kb=$(peak "$qmtool" db index "$file")
empty_kb=$(peak "$qmtool" db index "$tmp/empty.pgn")

echo "file:          $file ($(stat -c %s "$file") bytes)"
echo "grep -c:       $grep_s s, $grep_games lines starting with [Event"
echo "qmtool index:  $index_s s, $games games"
awk -v a="$index_s" -v b="$grep_s" 'BEGIN { if (b > 0) printf "ratio:         %.2f (target at most 3)\n", a / b; else print "ratio:         grep too fast to time" }'
echo "peak memory:   $index_kb kB indexing, $empty_kb kB for an empty file"
awk -v i="$index_kb" -v e="$empty_kb" -v g="$games" \
    'BEGIN { if (g > 0) printf "per game:      %.1f bytes (target at most 120)\n", (i - e) * 1024 / g }'
