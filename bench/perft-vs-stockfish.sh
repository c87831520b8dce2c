#!/usr/bin/env bash
# Times `qmtool perft DEPTH` from the start position against Debian's
# stockfish (`go perft DEPTH`) on this machine, in one run, and prints both
# node rates and their ratio. Installs stockfish when it is missing.
#   bench/perft-vs-stockfish.sh [DEPTH]   (default 6)
set -euo pipefail
cd "$(dirname "$0")/.."
depth=${1:-6}

stockfish=$(command -v stockfish || true)
[ -n "$stockfish" ] || [ ! -x /usr/games/stockfish ] || stockfish=/usr/games/stockfish
if [ -z "$stockfish" ]; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq stockfish >/dev/null
    stockfish=/usr/games/stockfish
fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_TESTS=OFF -DQM_GUI=OFF >/dev/null
cmake --build build/bench --target qmtool >/dev/null

now() { date +%s.%N; }
runs=${RUNS:-3}

# Each side runs several times, alternating, and keeps its best time, so that
# a busy moment of the machine does not decide the ratio.
our_time=""; sf_time=""
for run in $(seq "$runs"); do
    start=$(now)
    ours=$(build/bench/bin/qmtool perft "$depth" | tail -n 1 | awk '{print $2}')
    end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
    our_time=$(awk -v a="$our_time" -v b="$t" 'BEGIN {print (a == "" || b < a) ? b : a}')

    # Stockfish is timed from its first readyok (after its start-up); the
    # perft command follows 0.5 s later.
    sf_out=$( { echo "uci"; echo "isready"; sleep 0.5; echo "go perft $depth"; sleep 0.1; echo "isready"; } |
        "$stockfish" | while IFS= read -r line; do
            case "$line" in
                readyok) echo "ready $(now)" ;;
                "Nodes searched:"*) echo "$line"; echo "done $(now)" ;;
            esac
        done )
    sf_nodes=$(echo "$sf_out" | awk '/Nodes searched/ {print $3}')
    sf_ready=$(echo "$sf_out" | awk '/^ready/ {print $2; exit}')
    sf_done=$(echo "$sf_out" | awk '/^done/ {print $2}')
    t=$(awk -v a="$sf_ready" -v b="$sf_done" 'BEGIN {print b - a - 0.5}')
    sf_time=$(awk -v a="$sf_time" -v b="$t" 'BEGIN {print (a == "" || b < a) ? b : a}')
done

[ "$ours" = "$sf_nodes" ] || { echo "node counts differ: qmtool $ours, stockfish $sf_nodes" >&2; exit 1; }
awk -v depth="$depth" -v n="$ours" -v ot="$our_time" -v st="$sf_time" 'BEGIN {
    printf "perft %d: %d nodes\n", depth, n
    printf "qmtool:    %7.3f s  %6.1f Mnodes/s\n", ot, n / ot / 1e6
    printf "stockfish: %7.3f s  %6.1f Mnodes/s\n", st, n / st / 1e6
    printf "ratio qmtool/stockfish: %.3f (target at least 0.25)\n", st / ot
}'
