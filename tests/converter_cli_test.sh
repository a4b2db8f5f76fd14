#!/bin/sh
# The converter as a user runs it: detection report, conversions both ways,
# standard output, and failures that leave existing files alone.
set -u
CONVERT=$1
SAMPLES=$2
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fails=0; passes=0
check() {  # check NAME COMMAND...
    name=$1; shift
    if "$@"; then passes=$((passes + 1)); else echo "FAIL: $name"; fails=$((fails + 1)); fi
}

expect_report() {  # file expected-line
    [ "$("$CONVERT" "$1" "$T/out")" = "$2" ]
}
check "report sjis crlf" expect_report "$SAMPLES/welcome-sjis-crlf.txt" "kanji=ShiftJIS linebreak=CrLf"
check "report euc lf" expect_report "$SAMPLES/seasons-euc-lf.txt" "kanji=EUC linebreak=Lf"
check "report jis lf" expect_report "$SAMPLES/memo-jis-lf.txt" "kanji=JIS linebreak=Lf"
check "report sjis cr" expect_report "$SAMPLES/memo-sjis-cr.txt" "kanji=ShiftJIS linebreak=Cr"
check "report euc lfcr" expect_report "$SAMPLES/welcome-euc-lfcr.txt" "kanji=EUC linebreak=LfCr"
check "report utf8 lf" expect_report "$SAMPLES/notes-utf8-lf.txt" "kanji=UTF8 linebreak=Lf"
check "report utf8 with mark" expect_report "$SAMPLES/notes-utf8bom-crlf.txt" "kanji=UTF8 linebreak=CrLf"

# Auto writes a file back in its own codes, byte for byte.
for f in "$SAMPLES"/*.txt; do
    check "auto keeps $(basename "$f")" sh -c "'$CONVERT' '$f' '$T/same' >/dev/null && cmp -s '$f' '$T/same'"
done

# Through the internal form and back to the original codes.
roundtrip() {  # file kanji linebreak
    "$CONVERT" --kanji=sjis --linebreak=crlf "$1" "$T/internal" >/dev/null &&
    "$CONVERT" --kanji="$2" --linebreak="$3" "$T/internal" "$T/back" >/dev/null &&
    cmp -s "$1" "$T/back"
}
check "roundtrip euc lf" roundtrip "$SAMPLES/seasons-euc-lf.txt" euc lf
check "roundtrip jis lf" roundtrip "$SAMPLES/memo-jis-lf.txt" jis lf
check "roundtrip sjis cr" roundtrip "$SAMPLES/memo-sjis-cr.txt" sjis cr
check "roundtrip euc lfcr" roundtrip "$SAMPLES/welcome-euc-lfcr.txt" euc lfcr
check "roundtrip utf8 lf" roundtrip "$SAMPLES/notes-utf8-lf.txt" utf8 lf

# UTF-8 output: a mark only where the input had one.
utf8_out() {  # input expected-first-three-bytes-in-hex
    "$CONVERT" --kanji=utf8 "$1" - 2>/dev/null | head -c 3 | od -An -tx1 | tr -d ' \n' | grep -qx "$2"
}
check "sjis to utf8 has no mark" utf8_out "$SAMPLES/welcome-sjis-crlf.txt" 564558
check "utf8 with mark keeps it" utf8_out "$SAMPLES/notes-utf8bom-crlf.txt" efbbbf
check "utf8 to sjis to utf8" sh -c "'$CONVERT' --kanji=sjis '$SAMPLES/notes-utf8-lf.txt' '$T/n.sjis' >/dev/null &&
    '$CONVERT' --kanji=utf8 '$T/n.sjis' '$T/n.utf8' >/dev/null && cmp -s '$SAMPLES/notes-utf8-lf.txt' '$T/n.utf8'"

# Characters that Shift-JIS cannot hold become 〓 (81 AC): the output is
# written, standard error counts them, and the status says so.
replaced() {
    printf '\360\240\256\267 and \352\260\200 \343\201\202\n' >"$T/outside.txt"
    "$CONVERT" --kanji=sjis "$T/outside.txt" "$T/outside.sjis" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 5 ] && grep -q "2 character" "$T/err" &&
    [ "$(od -An -tx1 "$T/outside.sjis" | tr -d ' \n')" = "81ac20616e642081ac2082a00a" ]
}
check "characters outside Shift-JIS give 5" replaced

# Standard output: the bytes there, the report on standard error.
stdout_case() {
    "$CONVERT" --kanji=sjis --linebreak=crlf "$SAMPLES/seasons-euc-lf.txt" - >"$T/so" 2>"$T/se" &&
    [ "$(cat "$T/se")" = "kanji=EUC linebreak=Lf" ] &&
    "$CONVERT" --kanji=sjis --linebreak=crlf "$SAMPLES/seasons-euc-lf.txt" "$T/file" >/dev/null &&
    cmp -s "$T/so" "$T/file"
}
check "standard output" stdout_case

# Failures: status is the error code, one line names the file.
missing() {
    "$CONVERT" "$T/nope.txt" "$T/o" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 2 ] && grep -q "nope.txt" "$T/err" && [ ! -e "$T/o" ]
}
check "missing input gives 2" missing
target_is_folder() {
    mkdir -p "$T/dir" && echo keep >"$T/dir/inside"
    "$CONVERT" "$SAMPLES/memo-jis-lf.txt" "$T/dir" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 2 ] && [ "$(cat "$T/dir/inside")" = keep ] && ! ls "$T" | grep -q vexa-tmp
}
check "folder as output gives 2, leaves nothing behind" target_is_folder
bad_option() { "$CONVERT" --kanji=utf32 a b 2>/dev/null; [ $? -eq 64 ]; }
check "unknown option" bad_option
help() { "$CONVERT" --help | grep -q "usage: vexa-convert"; }
check "help" help
existing_replaced() {
    echo old >"$T/existing"
    "$CONVERT" --kanji=euc "$SAMPLES/welcome-sjis-crlf.txt" "$T/existing" >/dev/null &&
    [ "$(head -c 4 "$T/existing")" = "VEXA" ] && ! ls "$T" | grep -q vexa-tmp
}
check "existing output replaced whole" existing_replaced

# Inputs that are not files say what they are; standard input is read.
folder_input() {
    "$CONVERT" "$SAMPLES" "$T/o" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 2 ] && grep -q "is a folder" "$T/err" && [ ! -e "$T/o" ]
}
check "folder as input gives 2" folder_input
pipe_input() {
    mkfifo "$T/fifo" && "$CONVERT" "$T/fifo" "$T/o" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 2 ] && grep -q "is a pipe" "$T/err" && [ ! -e "$T/o" ]
}
check "named pipe as input gives 2" pipe_input
stdin_input() {
    "$CONVERT" --kanji=sjis --linebreak=crlf "$SAMPLES/seasons-euc-lf.txt" "$T/file" >"$T/r1" &&
    "$CONVERT" --kanji=sjis --linebreak=crlf - "$T/piped" <"$SAMPLES/seasons-euc-lf.txt" >"$T/r2" &&
    cat "$SAMPLES/welcome-euc-lfcr.txt" | "$CONVERT" - - >"$T/both" 2>"$T/r3" &&
    cmp -s "$T/file" "$T/piped" && cmp -s "$T/r1" "$T/r2" &&
    cmp -s "$T/both" "$SAMPLES/welcome-euc-lfcr.txt" && [ "$(cat "$T/r3")" = "kanji=EUC linebreak=LfCr" ]
}
check "standard input as INPUT -" stdin_input
grown_input() {
    # /proc files say they are empty and then give bytes.
    "$CONVERT" /proc/self/status "$T/o" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 4 ] && grep -q "changed size" "$T/err" && [ ! -e "$T/o" ] && ! ls -a "$T" | grep -q '^\.vx'
}
check "input that changed size gives 4" grown_input

# Outputs: a read-only file is refused as the editor refuses it; a replaced
# file keeps its permissions; a long legal name works.
readonly_output() {
    echo keep >"$T/ro" && chmod 444 "$T/ro"
    "$CONVERT" "$SAMPLES/memo-jis-lf.txt" "$T/ro" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 2 ] && grep -q "read-only" "$T/err" && [ "$(cat "$T/ro")" = keep ] && ! ls -a "$T" | grep -q '^\.vx'
}
check "read-only output gives 2 and stays" readonly_output
mode_kept() {
    echo old >"$T/m640" && chmod 640 "$T/m640" &&
    "$CONVERT" "$SAMPLES/memo-jis-lf.txt" "$T/m640" >/dev/null &&
    [ "$(stat -c %a "$T/m640")" = 640 ] && cmp -s "$T/m640" "$SAMPLES/memo-jis-lf.txt"
}
check "replaced output keeps its mode" mode_kept
long_name() {
    name=$(printf 'n%.0s' $(seq 250)).txt
    "$CONVERT" "$SAMPLES/memo-jis-lf.txt" "$T/$name" >/dev/null && cmp -s "$T/$name" "$SAMPLES/memo-jis-lf.txt"
}
check "output name of 254 bytes" long_name

# The converter reads a text a piece at a time and cuts it only where no
# pass carries anything over: tiny pieces give the same bytes and report as
# one piece holding the whole text, for texts of every kind.
awk 'BEGIN { srand(42); for (i = 0; i < 6000; i++) printf "%c", (r = int(rand() * 256)) == 0 ? 65 : r }' >"$T/random.bin"
{ cat "$SAMPLES/welcome-euc-lfcr.txt"; printf 'ascii only\r\n\n\r\r\n'; cat "$SAMPLES/seasons-euc-lf.txt"; } >"$T/mixed-euc.txt"
{ cat "$SAMPLES/seasons-euc-lf.txt"; cat "$SAMPLES/memo-jis-lf.txt"; cat "$SAMPLES/seasons-euc-lf.txt"; } >"$T/euc-then-esc.txt"
{ printf '\0'; head -c 73 /dev/zero | tr '\0' x; printf '\0'; head -c 53 /dev/zero | tr '\0' y; cat "$SAMPLES/memo-sjis-cr.txt"; } >"$T/macbinary.txt"
{ cat "$SAMPLES/welcome-sjis-crlf.txt"; printf 'end\0after the end'; } >"$T/zero.txt"
{ printf 'no evidence here\n%.0s' $(seq 40); cat "$SAMPLES/welcome-sjis-crlf.txt"; } >"$T/late-evidence.txt"
# EUC whose pairs take an ASCII second byte (CC 20): the load's Shift-JIS
# for them may lead the next byte in the save.
{ printf '\244\242'; for i in $(seq 30); do printf '\202\314 LF\201A\214\343\244\316 abc\n'; done; } >"$T/euc-odd-pairs.txt"
printf 'line %s\r\n' $(seq 300) >"$T/ascii-only.txt"
# UTF-8 after a long ASCII start; and UTF-8 that turns out not to be, so
# that the other codes' rule decides at the end.
{ printf 'plain %s\n' $(seq 200); cat "$SAMPLES/notes-utf8-lf.txt"; } >"$T/late-utf8.txt"
{ cat "$SAMPLES/notes-utf8-lf.txt"; printf 'tail \202\240\n'; } >"$T/utf8-then-sjis.txt"
{ cat "$SAMPLES/notes-utf8bom-crlf.txt"; printf '\200 stray \343\201'; } >"$T/utf8-mark-ill-formed.txt"
{ printf 'plain %s\n' $(seq 100); printf '\033$B0!\033(B\n'; cat "$SAMPLES/seasons-euc-lf.txt"; } >"$T/ascii-then-jis-then-euc.txt"
# A file of many pieces is scouted in two halves at once: halves cut inside
# a character, at a stray continuation byte, and before four of them.
{ head -c 100 /dev/zero | tr '\0' x; for i in $(seq 100); do printf '\346\274\242'; done; } >"$T/half-in-character.txt"
{ head -c 201 /dev/zero | tr '\0' x; printf '\200'; for i in $(seq 66); do printf '\346\274\242'; done; printf 'xx'; } >"$T/half-at-stray-byte.txt"
{ head -c 201 /dev/zero | tr '\0' x; printf '\200\200\200\200'; for i in $(seq 66); do printf '\346\274\242'; done; } >"$T/half-before-four-continuations.txt"
pieces() {  # file kanji linebreak
    "$CONVERT" --kanji="$2" --linebreak="$3" "$1" "$T/whole" >"$T/r1" 2>"$T/e1"; s1=$?
    "$CONVERT" --piece-size=3 --kanji="$2" --linebreak="$3" "$1" "$T/cut" >"$T/r2" 2>"$T/e2"; s2=$?
    { [ $s1 -eq 0 ] || [ $s1 -eq 5 ] || [ $s1 -eq 6 ]; } && [ $s1 -eq $s2 ] &&
    cmp -s "$T/whole" "$T/cut" && cmp -s "$T/r1" "$T/r2" && cmp -s "$T/e1" "$T/e2"
}
# UTF-16 both ways, with a character beyond U+FFFF (a surrogate pair), an
# odd last byte, and U+0000 in the middle.
{ printf '\377\376'; iconv -f CP932 -t UTF-16LE "$SAMPLES/welcome-sjis-crlf.txt"; printf '\075\330\000\336x'; } >"$T/utf16le.txt"
{ printf '\376\377'; iconv -f CP932 -t UTF-16BE "$SAMPLES/memo-sjis-cr.txt"; printf '\000a\000\000\000b'; } >"$T/utf16be-zero.txt"
for f in "$SAMPLES"/*.txt "$T"/random.bin "$T"/*.txt; do
    for k in auto sjis euc jis utf8 utf16 utf16be; do
        for l in auto crlf lf cr lfcr; do
            check "pieces: $(basename "$f") $k $l" pieces "$f" $k $l
        done
    done
done

# A zero byte ends the text: what came before is written, standard error
# says how many bytes were left out, and the status is 6.
zero_byte() {
    printf 'abc\0def' >"$T/z.txt"
    "$CONVERT" "$T/z.txt" "$T/z.out" >/dev/null 2>"$T/err"; st=$?
    [ $st -eq 6 ] && [ "$(cat "$T/z.out")" = abc ] && grep -q "the 4 byte(s) from it on were left out" "$T/err"
}
check "zero byte: status 6, the count on standard error" zero_byte
# UTF-16: detected by its mark, reported, written back with it.
utf16_report() {
    r1=$("$CONVERT" "$T/utf16le.txt" "$T/u.out" 2>/dev/null); s1=$?
    r2=$("$CONVERT" --kanji=sjis "$T/utf16be-zero.txt" "$T/u.out" 2>/dev/null); s2=$?
    [ $s1 -eq 5 ] && [ "$r1" = "kanji=UTF16 linebreak=CrLf" ] && [ $s2 -eq 6 ] && [ "$r2" = "kanji=UTF16BE linebreak=Cr" ]
}
check "utf16: reported in both orders" utf16_report
utf16_like_iconv() {
    "$CONVERT" --kanji=utf16 "$SAMPLES/welcome-sjis-crlf.txt" "$T/u16" >/dev/null &&
    { printf '\377\376'; iconv -f CP932 -t UTF-16LE "$SAMPLES/welcome-sjis-crlf.txt"; } | cmp -s - "$T/u16" &&
    "$CONVERT" --kanji=utf16be "$SAMPLES/welcome-sjis-crlf.txt" "$T/u16be" >/dev/null &&
    { printf '\376\377'; iconv -f CP932 -t UTF-16BE "$SAMPLES/welcome-sjis-crlf.txt"; } | cmp -s - "$T/u16be" &&
    "$CONVERT" "$T/u16" "$T/u16again" >/dev/null && cmp -s "$T/u16" "$T/u16again"
}
check "utf16: as iconv writes it with a mark, and back unchanged under auto" utf16_like_iconv

# --from reads a file the detection misreads in the code named: the text
# is what iconv reads, and auto writes the file back byte for byte.
printf '\261\262\263\212\277\216\232\n' >"$T/kana-first.sjis"    # ｱｲｳ漢字: taken for EUC
printf '\216\261\264\301\273\372\n' >"$T/kana-first.euc"          # ｱ漢字: taken for Shift-JIS
printf '\320\237\321\200\320\270\320\262\320\265\321\202 \320\274\320\270\321\200\n' >"$T/cyrillic.utf8"
printf '\346\274\242\345\255\227\n' | iconv -f UTF-8 -t UTF-16LE >"$T/nomark.utf16"
reads_as() {  # file from iconv-code report
    [ "$("$CONVERT" --from="$2" --kanji=utf8 "$1" "$T/as.utf8")" = "$4" ] &&
    iconv -f "$3" -t UTF-8 "$1" | cmp -s - "$T/as.utf8" &&
    "$CONVERT" --from="$2" "$1" "$T/as.back" >/dev/null && cmp -s "$1" "$T/as.back"
}
check "--from=sjis: katakana first" reads_as "$T/kana-first.sjis" sjis CP932 "kanji=ShiftJIS linebreak=Lf"
check "--from=euc: a single shift first" reads_as "$T/kana-first.euc" euc EUC-JP-MS "kanji=EUC linebreak=Lf"
check "--from=utf8: Cyrillic" reads_as "$T/cyrillic.utf8" utf8 UTF-8 "kanji=UTF8 linebreak=Lf"
utf16_without_mark() {
    [ "$("$CONVERT" --from=utf16 --kanji=sjis "$T/nomark.utf16" "$T/nomark.sjis")" = "kanji=UTF16 linebreak=Lf" ] &&
    iconv -f UTF-16LE -t CP932 "$T/nomark.utf16" | cmp -s - "$T/nomark.sjis"
}
check "--from=utf16: no mark, read whole" utf16_without_mark
check "--from: an unknown code is a usage error" sh -c "'$CONVERT' --from=latin1 '$T/nomark.utf16' '$T/x' 2>/dev/null; [ \$? -eq 64 ]"

echo "$passes passed, $fails failed"
[ $fails -eq 0 ]
