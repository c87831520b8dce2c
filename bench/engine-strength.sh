#!/usr/bin/env bash
# QuillEngine against Debian's Stockfish limited with UCI_LimitStrength and
# UCI_Elo, played through "qmtool match" and the UCI bridge, from balanced
# openings (a weighted walk of 8 plies through gnuchess-book's Polyglot
# book, each opening played with both colours).
#   bench/engine-strength.sh [GAMES] [ELO] [TC]     defaults: 100 2000 10+0.1
# Prints one line per game and, last, "QuillEngine 1.0 wins W, draws D,
# losses L, score ..." with the nodes per second of both engines above it.
# The games go to build/bench/engine-strength.pgn.
set -euo pipefail
cd "$(dirname "$0")/.."
games=${1:-100}
elo=${2:-2000}
tc=${3:-10+0.1}

need=()
[ -x /usr/games/stockfish ] || command -v stockfish >/dev/null || need+=(stockfish)
[ -f /usr/share/games/gnuchess/book.bin ] || need+=(gnuchess-book)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
stockfish=/usr/games/stockfish
[ -x "$stockfish" ] || stockfish=$(command -v stockfish)

# A benchmark build does not gate on warnings (compilers differ in what they flag at -O3).
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BENCH=ON -DQM_TESTS=OFF -DQM_GUI=OFF \
    -DQM_ALLOW_WARNINGS=ON >/dev/null
cmake --build build/bench -j2 --target qmtool QuillEngine UciBridge >/dev/null
bin=build/bench/bin
name="Stockfish$elo"
"$bin/qmtool" engine add-uci "$name" --option Threads=1 --option UCI_LimitStrength=true \
    --option UCI_Elo="$elo" "$stockfish" >/dev/null
pgn=build/bench/engine-strength.pgn
rm -f "$pgn"
echo "QuillEngine against $name, $games games at $tc"
"$bin/qmtool" match --engine QuillEngine --engine "$name" --games "$games" --tc "$tc" \
    --book /usr/share/games/gnuchess/book.bin --pgn "$pgn"
