#!/usr/bin/env bash
# Times full PGN reading and scanning by qmtool against Debian's pgn-extract
# (reads and validates every move) and Scid's import into a new database,
# all on the same file in one run, and prints wall-clock and processor times
# and ratios. qmtool pgn check reads on all processors by default (Scid's
# import uses more than one too); "--jobs 1" is the single-threaded reader.
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
# the wall-clock seconds it took and the processor seconds (user + system)
# it used, as "WALL CPU".
seconds() {
    local TIMEFORMAT='%R %U %S' t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1 ) || true
    awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.2f %.2f", a[1], a[2] + a[3] }'
}

# Reads the file once so that every timing starts from the page cache.
cat "$file" >/dev/null

echo "File: $file ($(stat -c %s "$file") bytes)"
# qmtool pgn check exits with 1 when a game failed; the counts are what
# matter here.
{ "$qmtool" pgn check "$file" || true; } | tail -n 1
{ "$qmtool" pgn scan "$file" || true; } | tail -n 1

read -r t_check c_check <<<"$(seconds "$qmtool" pgn check "$file")"
read -r t_check1 c_check1 <<<"$(seconds "$qmtool" pgn check "$file" --jobs 1)"
read -r t_scan c_scan <<<"$(seconds "$qmtool" pgn scan "$file")"
read -r t_extract c_extract <<<"$(seconds pgn-extract -s -o /dev/null "$file")"
cat > "$work/import.tcl" <<TCL
set b [sc_base create $work/scid]
sc_base import \$b $(realpath "$file")
sc_base close \$b
exit
TCL
read -r t_scid c_scid <<<"$(seconds tkscid "$work/import.tcl")"

echo "Processors: $(nproc)"
printf '%-34s %8s %8s\n' "" "wall s" "cpu s"
printf '%-34s %8s %8s\n' "qmtool pgn check" "$t_check" "$c_check" \
    "qmtool pgn check --jobs 1" "$t_check1" "$c_check1" \
    "qmtool pgn scan" "$t_scan" "$c_scan" \
    "pgn-extract -s" "$t_extract" "$c_extract" "scid import" "$t_scid" "$c_scid"
awk -v c="$t_check" -v c1="$t_check1" -v cc1="$c_check1" -v s="$t_scan" -v e="$t_extract" -v i="$t_scid" \
    -v ci="$c_scid" 'BEGIN {
    printf "pgn-extract / qmtool check        %6.2f (wall)\n", e / c
    printf "scid import / qmtool check        %6.2f (wall)\n", i / c
    printf "scid import / check --jobs 1      %6.2f (wall), %.2f (cpu)\n", i / c1, ci / cc1
    printf "qmtool check --jobs 1 / scan      %6.2f (wall)\n", c1 / (s > 0 ? s : 0.01)
}'
