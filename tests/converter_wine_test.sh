#!/bin/bash
# The Windows converter under Wine, as a user at the command prompt runs
# it: a conversion, and failures that report the Windows error and leave
# nothing behind.
set -u
HERE=$(cd "$(dirname "$0")/.." && pwd)
CONVERT=$1
SAMPLES=$HERE/samples
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
win() { printf 'Z:%s' "$1" | tr / '\\'; }
run() { "$HERE/tools/wine-run.sh" "$CONVERT" "$@"; }
fails=0; passes=0
check() {
    name=$1; shift
    if "$@"; then passes=$((passes + 1)); else echo "FAIL: $name"; fails=$((fails + 1)); fi
}
converts() {
    run --kanji=sjis --linebreak=crlf "$(win "$SAMPLES/seasons-euc-lf.txt")" "$(win "$T/out.txt")" >"$T/report" 2>/dev/null &&
    grep -q "kanji=EUC linebreak=Lf" "$T/report" && [ -s "$T/out.txt" ]
}
check "converts under Wine" converts
long_output() {
    # A folder whose path leaves no room for any name under MAX_PATH.
    deep="$T"
    while [ ${#deep} -lt 250 ]; do deep="$deep/dddddddddddddddddddd"; done
    mkdir -p "$deep"
    run "$(win "$SAMPLES/memo-jis-lf.txt")" "$(win "$deep/a-long-output-name.txt")" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 2 ] && grep -q "vexa-convert:" "$T/err" && ! grep -q "Success\|No error" "$T/err" &&
        [ -z "$(find "$T" -name '.vx*')" ] && [ ! -e "$deep/a-long-output-name.txt" ]
}
check "an output path over MAX_PATH gives 2 with the Windows error, leaves nothing" long_output
# Small pieces: every other one is converted on the helper thread, and the
# file is scouted in two halves at once, through a second handle; the bytes
# are those of the whole text converted at once.
{ head -c 100 /dev/zero | tr '\0' x; for i in $(seq 400); do printf '\346\274\242\n'; done; } >"$T/utf8-half-in-character.txt"
{ cat "$T/utf8-half-in-character.txt"; printf '\202\240\n'; } >"$T/utf8-then-sjis.txt"
pieces_under_wine() {  # file
    run --kanji=euc "$(win "$1")" "$(win "$T/whole")" >"$T/r1" 2>/dev/null &&
    run --kanji=euc --piece-size=5 "$(win "$1")" "$(win "$T/cut")" >"$T/r2" 2>/dev/null &&
    cmp -s "$T/whole" "$T/cut" && cmp -s "$T/r1" "$T/r2"
}
for f in "$T/utf8-half-in-character.txt" "$T/utf8-then-sjis.txt" "$SAMPLES/seasons-euc-lf.txt"; do
    check "pieces under Wine: $(basename "$f")" pieces_under_wine "$f"
done
echo "$passes passed, $fails failed"
[ $fails -eq 0 ]
