#!/usr/bin/env bash
# End-to-end runs of the real program through its scripted driver, each in a
# fresh temporary home: start and screenshot in each screen size, the about
# box, the help at an anchor, exit through the menu with the settings written
# and read back, bad script lines, and a second start handing over.
#   e2e_shell.sh PROGRAM WORKDIR
set -euo pipefail
program=$1
work=$2
source "$(dirname "$0")/../common/e2e_common.sh"

# Runs the program; sets `status` and `err` (its standard error).
run_failing() {
    set +e
    err=$("$program" "$@" 2>&1 >/dev/null)
    status=$?
    set -e
}

# Width x height from a PNG's header (big-endian words at bytes 16 and 20).
png_size() {
    local w h
    w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    echo "${w}x${h}"
}

# Start, paint and a screenshot in each of the six screen sizes.
for size in 240x320 320x240 240x240 480x640 640x480 480x480; do
    fresh_home "shot-$size"
    "$program" --screen "$size" --screenshot "$work/start-$size.png" || fail "--screenshot $size"
    [ "$(png_size "$work/start-$size.png")" = "$size" ] || fail "screenshot $size has size $(png_size "$work/start-$size.png")"
    printf 'print title\nscreenshot %s\nprint status\nquit\n' "$work/script-$size.png" > "$work/s-$size.txt"
    out=$("$program" --screen "$size" --script "$work/s-$size.txt") || fail "script $size"
    grep -q '^QMS: QuillEngine' <<<"$out" || fail "title with the engine's name in $size: $out"
    grep -q "screen $size" <<<"$out" || fail "status in $size: $out"
    [ "$(png_size "$work/script-$size.png")" = "$size" ] || fail "script screenshot $size"
done

# The about box and the help at its anchor, then Exit through the menu
# command; the settings written at exit are read at the next start.
fresh_home about
cat > "$work/about.txt" <<'S'
answer OK
command 40024
command 40055
set IDC_CBHASHTABLESIZE 2048
set IDM_FLIP_BOARD 1
print status
command 40001
S
out=$("$program" --screen 240x320 --script "$work/about.txt") || fail "about script: $out"
grep -q 'flipped 1' <<<"$out" || fail "set did not change the flip flag: $out"
grep -q 'IDC_CBHASHTABLESIZE = int 2048' "$XDG_CONFIG_HOME/quillmarsh/software/Brindlewick/Quillmarsh/Settings.conf" \
    || fail "hash size not written at exit"
printf 'print status\nquit\n' > "$work/again.txt"
out=$("$program" --screen 240x320 --script "$work/again.txt") || fail "second start"
grep -q 'flipped 1' <<<"$out" || fail "flip flag not read back: $out"
[ -f "$XDG_DATA_HOME/applications/quillmarsh.desktop" ] || fail "desktop entry not written"
[ -f "$XDG_DATA_HOME/mime/packages/quillmarsh.xml" ] || fail "MIME package not written"

# Moves by taps on the 30-pixel squares of row 0, then a take-back by key.
fresh_home moves
cat > "$work/moves.txt" <<'S'
tap 135 195
tap 135 135
wait 800
tap 135 45
tap 135 105
wait 800
expect-fen rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2
print pgn
key Left
wait 800
expect-fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1
quit
S
out=$("$program" --screen 240x320 --script "$work/moves.txt") || fail "moves script: $out"
grep -q '^1\. e4 e5 \*' <<<"$out" || fail "the game's PGN: $out"

# Keys: Ctrl+Q exits like the menu.
printf 'key Ctrl+Q\n' > "$work/ctrlq.txt"
"$program" --script "$work/ctrlq.txt" || fail "Ctrl+Q"

# A bad line stops before anything runs, with its number and status 2.
printf 'print title\ntap 1 one\n' > "$work/bad.txt"
run_failing --script "$work/bad.txt"
[ $status -eq 2 ] || fail "bad line gave status $status"
grep -q 'line 2' <<<"$err" || fail "bad line message: $err"

# A failed expectation: status 1 with both positions.
printf 'expect-fen 8/8/8/8/8/8/8/8 w - - 0 1\n' > "$work/expect.txt"
run_failing --script "$work/expect.txt"
[ $status -eq 1 ] || fail "expect-fen gave status $status"
grep -q 'expected: 8/8/8/8/8/8/8/8 w - - 0 1' <<<"$err" || fail "expect-fen message: $err"

# Single instance: a second start hands its file to the first and ends.
fresh_home single
printf 'wait 3000\nprint status\nquit\n' > "$work/long.txt"
"$program" --script "$work/long.txt" > "$work/first.out" &
first=$!
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/quillmarsh.sock" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/quillmarsh.sock" ] || fail "first instance did not listen"
"$program" "$work/single/book.obk" || fail "second start did not end cleanly"
wait $first || fail "first instance failed"
grep -q 'Bookfilename = string "'"$work"'/single/book.obk"' \
    "$XDG_CONFIG_HOME/quillmarsh/software/Brindlewick/Quillmarsh/Settings.conf" || fail "book not handed over"

# Without a display and without --script the program says how to run it.
set +e
err=$(env -u QT_QPA_PLATFORM "$program" 2>&1)
status=$?
set -e
[ $status -eq 1 ] || fail "no display gave status $status"
grep -q 'xvfb-run' <<<"$err" || fail "no display message: $err"
echo "e2e_shell: all passed"
