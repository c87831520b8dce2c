#!/usr/bin/env bash
# qmtool db end to end on a copy of a small database:
#   qmtool_db.sh QMTOOL FIXTURE
set -euo pipefail
qmtool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/games.pgn
cp "$2" "$db"
fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { [ "$1" = "$2" ] || fail "expected [$2], got [$1]"; }

expect "$("$qmtool" db index "$db" | tail -n 1)" "games 3"
expect "$("$qmtool" db list "$db" --white berg | tail -n 1)" "matched 1 of 3"
expect "$("$qmtool" db list "$db" --white berg --ignore-colour | tail -n 1)" "matched 3 of 3"
expect "$("$qmtool" db list "$db" --result 1/2,0-1 --from 1993)" \
    "$(printf '2\tLindqvist, K.\tBergmann, A.\t1993.01.10\tClub ch\tD02\t1/2-1/2\n3\tSmith, J.\tBergmann, A.\t1993.02.01\tBlitz\tB20\t0-1\nmatched 2 of 3')"
"$qmtool" db get "$db" 1 | grep -q 'Qxf7#' || fail "get 1"
# The index lists the game that cannot be read; reading it fails.
if "$qmtool" db get "$db" 3 2> "$work/err"; then fail "get 3 succeeded"; fi
expect "$(cat "$work/err")" "qmtool: Error while parsing"

"$qmtool" db get "$db" 1 > "$work/one.pgn"
"$qmtool" db append "$db" "$work/one.pgn"
expect "$("$qmtool" db index "$db")" "games 4"
"$qmtool" db replace "$db" 2 "$work/one.pgn"
expect "$("$qmtool" db list "$db" --white lindqvist | tail -n 1)" "matched 0 of 4"
"$qmtool" db delete "$db" 3
expect "$("$qmtool" db list "$db" --white smith | tail -n 1)" "matched 0 of 3"
[ ! -e "$db.tmp" ] && [ ! -e "$db.bak" ] || fail "rewrite files left behind"

# Failures: status 1 with the database's text, usage errors status 2.
set +e
"$qmtool" db delete "$db" 9 2>/dev/null; expect $? 1
"$qmtool" db index "$work/missing.pgn" 2> "$work/err"; expect $? 1
expect "$(cat "$work/err")" "qmtool: File not found $work/missing.pgn"
"$qmtool" db get "$db" 0 2>/dev/null; expect $? 2
"$qmtool" db list "$db" --result 2-0 2>/dev/null; expect $? 2
"$qmtool" db list "$db" --white 2>/dev/null; expect $? 2
exit 0
