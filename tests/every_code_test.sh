#!/bin/bash
# Every two-byte code of code page 932 (9,604), each on a line of its own
# between 漢 and あ, through the converter (the editor's passes) to every
# save code and back, compared code by code with peers no one here wrote:
# iconv's EUC-JP-MS, UTF-8 and UTF-16, and nkf's 7-bit JIS.
set -u
CONVERT=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
export LC_ALL=C
for tool in nkf iconv awk; do
    command -v $tool >/dev/null || { echo "MISSING: $tool is not installed (tools/setup.sh installs it)"; exit 1; }
done
fails=0; passes=0
check() {
    name=$1; shift
    if "$@"; then passes=$((passes + 1)); else echo "FAIL: $name"; fails=$((fails + 1)); fi
}

# The codes: every lead and trail that iconv's CP932 reads as one character.
for lead in $(seq 129 159) $(seq 224 252); do
    for trail in $(seq 64 126) $(seq 128 252); do printf '%02X%02X\n' "$lead" "$trail"; done
done >"$T/all.hex"
while read -r h; do printf "\\x${h:0:2}\\x${h:2:2}\n"; done <"$T/all.hex" >"$T/all.raw"
paste -d ' ' "$T/all.hex" "$T/all.raw" | while read -r h c; do
    printf '%s' "$c" | iconv -f CP932 -t UTF-8 >/dev/null 2>&1 && echo "$h"
done >"$T/codes.hex"
count=$(wc -l <"$T/codes.hex")
check "code page 932 has 9,604 two-byte codes (iconv found $count)" [ "$count" -eq 9604 ]

# One line a code: 漢 (8A BF), the code, あ (82 A0).
while read -r h; do printf "\\x8a\\xbf\\x${h:0:2}\\x${h:2:2}\\x82\\xa0\n"; done <"$T/codes.hex" >"$T/codes.sjis"
# The user-defined codes EUC has no place for (F240-F3FC), and JIS (F040-F9FC).
grep -n '^F[23]' "$T/codes.hex" | cut -d: -f1 >"$T/no-euc.lines"
grep -n '^F[0-9]' "$T/codes.hex" | cut -d: -f1 >"$T/no-jis.lines"

# The character of each line as iconv reads it, in UTF-8: twins are equal.
chars() { iconv -f CP932 -t UTF-8 "$1"; }
chars "$T/codes.sjis" >"$T/codes.utf8"
replacement=$(printf '漢〓あ')

# Lines of $1 and $2 (the characters read back) that differ, but for the
# lines listed in $3, which must read 漢〓あ (or, with a fifth argument
# "any", may read anything); prints examples.
compare_back() {  # expected-utf8 back-utf8 lines label [any]
    awk -v R="$replacement" -v label="$4" -v any="${5:-}" '
        FILENAME == ARGV[1] { listed[$1] = 1; next }
        FILENAME == ARGV[2] { want[FNR] = $0; next }
        { n = FNR; wanted = (n in listed) ? R : want[n]
          if ((n in listed) && any != "") next
          if ($0 != wanted) { bad++; if (bad <= 3) printf "  %s line %d: got %s, want %s\n", label, n, $0, wanted } }
        END { if (FNR != length(want)) { print "  " label ": " FNR " lines back of " length(want); bad++ }
              exit bad > 0 }' "$3" "$1" "$2"
}
# Bytes lines of $1 and $2 that differ, but for the lines of $3.
compare_bytes() {  # expected got lines-exempt label
    awk -v label="$4" '
        FILENAME == ARGV[1] { skip[$1] = 1; next }
        FILENAME == ARGV[2] { want[FNR] = $0; next }
        { if (!(FNR in skip) && $0 != want[FNR]) { bad++; if (bad <= 3) printf "  %s line %d differs\n", label, FNR } }
        END { exit bad > 0 }' "$3" "$1" "$2"
}

# Each save code: the status, the bytes beside the peer, and the way back.
save() {  # kanji output expected-status
    "$CONVERT" --kanji="$1" --linebreak=lf "$T/codes.sjis" "$2" >/dev/null 2>"$T/err"
    [ $? -eq "$3" ]
}
back() {  # file -> its characters as this editor reads them, in UTF-8
    "$CONVERT" --kanji=utf8 --linebreak=lf "$1" "$1.back" >/dev/null 2>&1
    [ $? -le 5 ] && cat "$1.back"
}

# EUC: iconv's EUC-JP-MS but for F240-F3FC, which become 〓 with status 5.
iconv -f CP932 -t EUC-JP-MS "$T/codes.sjis" >"$T/iconv.euc"
check "EUC save exits 5" save euc "$T/codes.euc" 5
check "EUC save names 376 characters" grep -q ': 376 character' "$T/err"
check "EUC bytes are iconv's EUC-JP-MS but for F240-F3FC" compare_bytes "$T/iconv.euc" "$T/codes.euc" "$T/no-euc.lines" EUC
only_replacements() {  # file lines replacement-line: the listed lines are all the replacement
    awk -v R="$3" 'NR == FNR { l[$1]; next } (FNR in l) && $0 != R { bad++ } END { exit bad > 0 }' "$2" "$1"
}
check "EUC's F240-F3FC are 〓 (A2 AE)" only_replacements "$T/codes.euc" "$T/no-euc.lines" "$(printf '\xb4\xc1\xa2\xae\xa4\xa2')"
back "$T/codes.euc" >"$T/euc.back"
check "every EUC code comes back as itself or its twin" compare_back "$T/codes.utf8" "$T/euc.back" "$T/no-euc.lines" EUC
# What iconv's EUC-JP-MS writes loads as the same characters, but for
# F240-F3FC, whose rows are read as the NEC-selected extensions.
back "$T/iconv.euc" >"$T/iconv-euc.back"
check "iconv's EUC-JP-MS loads as the same characters" compare_back "$T/codes.utf8" "$T/iconv-euc.back" "$T/no-euc.lines" iconv-EUC any

# JIS: 7-bit throughout, nkf -j's bytes but for the user-defined area.
nkf -S -j "$T/codes.sjis" >"$T/nkf.jis"
check "JIS save exits 5" save jis "$T/codes.jis" 5
check "JIS save names 1,880 characters" grep -q ': 1880 character' "$T/err"
seven_bit() { ! LC_ALL=C grep -q "$(printf '[\177-\377]')" "$1"; }
check "no JIS byte is 0x7F or above" seven_bit "$T/codes.jis"
check "JIS bytes are nkf -j's but for the user-defined area" compare_bytes "$T/nkf.jis" "$T/codes.jis" "$T/no-jis.lines" JIS
back "$T/codes.jis" >"$T/jis.back"
check "every JIS code comes back as itself or its twin" compare_back "$T/codes.utf8" "$T/jis.back" "$T/no-jis.lines" JIS

# UTF-8 and UTF-16: iconv's bytes, every code back.
check "UTF-8 save exits 0" save utf8 "$T/codes.u8" 0
check "UTF-8 bytes are iconv's" cmp -s "$T/codes.u8" "$T/codes.utf8"
check "UTF-16 save exits 0" save utf16 "$T/codes.u16" 0
check "UTF-16 bytes are iconv's behind a mark" sh -c "{ printf '\\377\\376'; iconv -f CP932 -t UTF-16LE '$T/codes.sjis'; } | cmp -s - '$T/codes.u16'"
back "$T/codes.u16" >"$T/u16.back"
check "every UTF-16 code comes back" cmp -s "$T/u16.back" "$T/codes.utf8"

# What nkf writes for the IBM extensions (EUC rows 89-92, JIS rows 79-7C)
# loads as the same kanji.
grep -n '^F[ABC]' "$T/codes.hex" | cut -d: -f1 >"$T/ibm.lines"
awk 'NR==FNR{l[$1];next} FNR in l' "$T/ibm.lines" "$T/codes.sjis" >"$T/ibm.sjis"
chars "$T/ibm.sjis" >"$T/ibm.utf8"
nkf -S -e "$T/ibm.sjis" >"$T/ibm.euc"
nkf -S -j "$T/ibm.sjis" >"$T/ibm.jis"
back "$T/ibm.euc" >"$T/ibm-euc.back"
back "$T/ibm.jis" >"$T/ibm-jis.back"
check "nkf -e's IBM extensions load as the same kanji" cmp -s "$T/ibm-euc.back" "$T/ibm.utf8"
check "nkf -j's IBM extensions load as the same kanji" cmp -s "$T/ibm-jis.back" "$T/ibm.utf8"

echo "every code: $passes passed, $fails failed"
[ $fails -eq 0 ]
