#!/usr/bin/env bash
# End-to-end games through the real program's scripted driver, each in a
# fresh temporary home on Qt's offscreen platform:
#  - "Normal" entry: a game to checkmate by taps and drags with an
#    underpromotion chosen in the dialog, take-backs, variations through
#    "Add line" (and its "Change default to"), "Select line", the popup's
#    "Replay moves" check mark, and navigation to the start and the end;
#  - "One tap": a game to checkmate with a promotion chosen by a tap in the
#    dialog;
#  - screenshots of the board in rows 0, 1, 3, 5, 7, 8, 10 and 12, flipped
#    and not, going through every piece set and texture (sixteen pictures:
#    set = n mod 6, texture = n mod 11), kept in WORKDIR.
#   e2e_board.sh PROGRAM WORKDIR
set -euo pipefail
program=$1
work=$2
source "$(dirname "$0")/../common/e2e_common.sh"

# Square centres in row 0 of 240 x 320 (30-pixel squares from the top-left
# corner, White at the bottom).
xy() {
    local f=$(( $(printf '%d' "'${1:0:1}") - 97 )) r=$(( ${1:1:1} - 1 ))
    echo "$(( f * 30 + 15 )) $(( (7 - r) * 30 + 15 ))"
}
tap2() { printf 'tap %s\ntap %s\nwait-idle\n' "$(xy "$1")" "$(xy "$2")"; }   # tap the piece, then its target
drag() { printf 'drag %s %s\nwait-idle\n' "$(xy "$1")" "$(xy "$2")"; }
tap1() { printf 'tap %s\nwait-idle\n' "$(xy "$1")"; }                          # one tap

run_script() {   # name: runs $work/name.txt, output to $work/name.out
    "$program" --screen 240x320 --script "$work/$1.txt" > "$work/$1.out" 2> "$work/$1.err" \
        || { cat "$work/$1.err" >&2; fail "script $1"; }
}

# ---- "Normal": taps and drags, an underpromotion, lines, navigation ----
fresh_home normal
{
    echo "set IDC_CBONECLICK 0"
    echo "set IDC_CBAUTOANSWER 0"
    tap2 h2 h4; drag g7 g5
    tap2 h4 g5; drag g8 f6
    tap2 g5 f6; tap2 f8 g7
    drag f6 g7; tap2 h8 g8
    tap2 h1 h7; tap2 a7 a6
    # Two moves back, then 5. e4 instead of 5. Rxh7: "Add line" asks; it
    # goes in as a side line and "Change default to" becomes "Add line".
    echo "key Left"; echo "wait-idle"; echo "key Left"; echo "wait-idle"
    echo "expect-fen rnbqk1r1/ppppppPp/8/8/8/8/PPPPPPP1/RNBQKBNR w KQq - 1 5"
    echo "choose 1028 Add line"
    echo "answer 1017"
    tap2 e2 e4
    echo "expect-fen rnbqk1r1/ppppppPp/8/8/4P3/8/PPPP1PP1/RNBQKBNR b KQq - 0 5"
    # With the new default the next new move is a side line at once.
    echo "key Left"; echo "wait-idle"
    tap2 d2 d4
    echo "key Left"; echo "wait-idle"
    # Forward at the branch: "Select line" takes the main line by name.
    echo "choose 441 5.Rxh7 a6"
    echo "answer 441"
    echo "key Right"; echo "wait-idle"
    echo "key Right"; echo "wait-idle"
    echo "expect-fen rnbqk1r1/1pppppPR/p7/8/8/8/PPPPPPP1/RNBQKBN1 w Qq - 0 6"
    drag h7 h8; tap2 g8 h8
    echo "answer Knight"
    tap2 g7 h8; tap2 a6 a5
    tap2 e2 e4; drag a5 a4
    tap2 f1 c4; tap2 b7 b6
    drag d1 h5; tap2 a8 a7
    echo "answer OK"   # the checkmate message
    tap2 h5 f7
    echo "print pgn"
    echo "print fen"
    # The replay's check mark in the popup of a tap-and-hold below the board.
    echo "command 40051"
    echo "wait-idle"
    echo "expect-fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
    echo "command 40010"
    echo "hold 120 280"
    echo "print popup"
    echo "command 40010"
    echo "hold 120 280"
    echo "print popup"
    echo "command 40052"
    echo "wait-idle"
    echo "print fen"
    echo "screenshot $work/normal-end.png"
    echo "quit"
} > "$work/normal.txt"
run_script normal
out=$(cat "$work/normal.out")
pgn_moves=$(tr -s '\r\n' '  ' < "$work/normal.out")
for want in "5. Rxh7 (5. e4) (5. d4) 5.. a6" "7. gxh8=N a5" "11. Qxf7# {White mates} 1-0"; do
    grep -qF "$want" <<<"$pgn_moves" || fail "the game's PGN lacks \"$want\": $out"
done
mate="1nbqk2N/r1pppQ2/1p6/8/p1B1P3/8/PPPP1PP1/RNB1K1N1 b Q - 0 11"
[ "$(grep -c "^$mate$" <<<"$out")" = 2 ] || fail "checkmate position, before and after the start-to-end trip: $out"
grep -qx 'New game | Load game... | Next game | Previous game | Levels... | Options... | Comment move... | Replay moves \[x\] | Back to start | Forward to end' <<<"$out" \
    || fail "the popup during the replay: $out"
[ "$(grep -c 'Replay moves |' <<<"$out")" = 1 ] || fail "the popup after the replay: $out"
grep -q 'closed unanswered' "$work/normal.err" && fail "a dialog was left unanswered: $(cat "$work/normal.err")"
grep -q 'IDC_CBVARIATIONMODE = int 3' "$XDG_CONFIG_HOME/quillmarsh/software/Brindlewick/Quillmarsh/Settings.conf" \
    || fail "\"Change default to\" did not reach the stored setting"

# ---- "One tap": Scholar's mate, then a promotion tapped in the dialog ----
fresh_home onetap
{
    echo "set IDC_CBONECLICK 1"
    echo "set IDC_CBAUTOANSWER 0"
    tap1 e4          # the only move to e4
    tap1 e5
    tap1 c4; tap1 f1 # two moves reach c4: picked as target, then the bishop
    tap1 c6
    tap1 b8
    tap1 h5          # only the queen reaches h5
    tap1 f6
    tap1 g8
    drag f7 h5       # the target dragged onto the capturing queen
    echo "print pgn"
    echo "expect-fen r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4"
    # Take back the mate and the knight move; a7 pawn race instead.
    echo "key Left"; echo "wait-idle"
    echo "key Left"; echo "wait-idle"
    echo "expect-fen r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 3 3"
    echo "quit"
} > "$work/onetap.txt"
run_script onetap
grep -qF "4. Qxf7# {White mates} 1-0" <<<"$(tr -s '\r\n' '  ' < "$work/onetap.out")" || fail "one-tap game: $(cat "$work/onetap.out")"

# The promotion dialog of row 0: 160 x 100, the pieces from x 20 in 30-pixel
# columns at y 40; a tap on the rook's column. With one tap, the pawn's only
# moves are its promotions on b8.
fresh_home promote
{
    echo "set IDC_CBONECLICK 1"
    echo "set IDC_CBAUTOANSWER 0"
    # 1. a4 b5 2. axb5 a6 3. bxa6 Bb7 4. axb7 Nc6 5. bxa8: the pawn takes the rook.
    tap2 a2 a4; tap2 b7 b5; tap1 b5; tap2 a7 a6; tap2 b5 a6; tap2 c8 b7; tap2 a6 b7; tap2 b8 c6
    echo "answer at 65 55"
    tap2 b7 a8
    echo "print fen"
    echo "quit"
} > "$work/promote.txt"
run_script promote
grep -q '^R2qkbnr/2pppppp/2n5/8/8/8/1PPPPPPP/RNBQKBNR b KQk - 0 5$' "$work/promote.out" \
    || fail "the rook chosen in the dialog: $(cat "$work/promote.out")"

# ---- Screenshots: every playing row the issue names, flipped and not ----
fresh_home shots
shot=0
for screen_row in 240x320:0 240x320:1 320x240:3 240x240:5 480x640:7 480x640:8 640x480:10 480x480:12; do
    size=${screen_row%:*} row=${screen_row#*:}
    for flip in 0 1; do
        set=$(( shot % 6 )) texture=$(( shot % 11 ))
        name=row$row-flip$flip-set$set-texture$texture
        printf 'set IDM_SIZE_BOARD %s\nset IDM_FLIP_BOARD %s\nset IDC_CBPIECESET %s\nset IDC_CBSQUARES %s\nprint status\nscreenshot %s\nquit\n' \
            "$row" "$flip" "$set" "$texture" "$work/$name.png" > "$work/$name.txt"
        out=$("$program" --screen "$size" --script "$work/$name.txt") || fail "screenshot $name"
        grep -q "layout $row, flipped $flip" <<<"$out" || fail "$name: $out"
        [ -s "$work/$name.png" ] || fail "no screenshot $name"
        shot=$(( shot + 1 ))
    done
done
# Every picture differs from every other.
count=$(ls "$work"/*.png | wc -l)
distinct=$(md5sum "$work"/row*.png | awk '{print $1}' | sort -u | wc -l)
[ "$distinct" = "$(ls "$work"/row*.png | wc -l)" ] || fail "some screenshots are identical"
echo "e2e_board: all passed ($count screenshots in $work)"
