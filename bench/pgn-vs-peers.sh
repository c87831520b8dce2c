#!/usr/bin/env bash
# Times full PGN reading and scanning by qmtool against Debian's pgn-extract
# (reads and validates every move) and Scid's import into a new database,
# all on the same file in one run, and prints the times and ratios.
#   bash bench/pgn-vs-peers.sh [FILE]
# FILE defaults to the largest shared collection. Builds qmtool in
# build/bench (Release) and installs the peers when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
file=${1:-../shared/data/pgn-corpus/master-games.pgn}
[ -f "$file" ] || { echo "error: no file $file" >&2; exit 1; }
export PATH="$PATH:/usr/games"

missing=()
command -v pgn-extract >/dev/null || missing+=(pgn-extract)
command -v tkscid >/dev/null || missing+=(scid)
dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q 'install ok installed' || missing+=(libbenchmark-dev)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BENCH=ON -DQM_TESTS=OFF -DQM_GUI=OFF >/dev/null
cmake --build build/bench --target qmtool >/dev/null
qmtool=build/bench/bin/qmtool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# seconds COMMAND...: runs the command with its output discarded and prints
# the wall-clock seconds it took.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

# Reads the file once so that every timing starts from the page cache.
cat "$file" >/dev/null

echo "File: $file ($(stat -c %s "$file") bytes)"
# qmtool pgn check exits with 1 when a game failed; the counts are what
# matter here.
{ "$qmtool" pgn check "$file" || true; } | tail -n 1
{ "$qmtool" pgn scan "$file" || true; } | tail -n 1

t_check=$(seconds "$qmtool" pgn check "$file")
t_scan=$(seconds "$qmtool" pgn scan "$file")
t_extract=$(seconds pgn-extract -s -o /dev/null "$file")
cat > "$work/import.tcl" <<TCL
set b [sc_base create $work/scid]
sc_base import \$b $(realpath "$file")
sc_base close \$b
exit
TCL
t_scid=$(seconds tkscid "$work/import.tcl")

printf '%-28s %8s s\n' "qmtool pgn check" "$t_check" "qmtool pgn scan" "$t_scan" \
    "pgn-extract -s" "$t_extract" "scid import" "$t_scid"
awk -v c="$t_check" -v s="$t_scan" -v e="$t_extract" -v i="$t_scid" 'BEGIN {
    printf "pgn-extract / qmtool check   %6.2f\n", e / c
    printf "scid import / qmtool check   %6.2f\n", i / c
    printf "qmtool check / qmtool scan   %6.2f\n", c / (s > 0 ? s : 0.01)
}'
