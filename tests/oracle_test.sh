#!/bin/bash
# Checks the converter against peers that no one here wrote (nkf, glibc
# iconv) on real Japanese text from Debian packages: the edict dictionary
# (EUC-JP) and the Japanese manual pages (UTF-8).
set -u
CONVERT=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
export LC_ALL=C
fails=0; passes=0; skipped=0
# A missing peer or text fails the run: a check that did not run is no pass.
SKIP=1
check() {
    name=$1; shift
    if "$@"; then passes=$((passes + 1)); else echo "FAIL: $name"; fails=$((fails + 1)); fi
}
for tool in nkf iconv; do
    command -v $tool >/dev/null || { echo "MISSING: $tool is not installed (tools/setup.sh installs it)"; exit $SKIP; }
done

# Line-break variants of an LF file, made with sed and tr.
variants() {  # base
    cp "$1" "$1.lf"
    sed 's/$/\r/' "$1" >"$1.crlf"
    tr '\n' '\r' <"$1" >"$1.cr"
    sed 's/$/\r/' "$1" | tr '\r\n' '\n\r' >"$1.lfcr"
}
name_of() { case $1 in lf) echo Lf;; crlf) echo CrLf;; cr) echo Cr;; lfcr) echo LfCr;; esac; }

load_case() {  # input expected-kanji expected-linebreak reference
    report=$("$CONVERT" --kanji=sjis --linebreak=crlf "$1" "$T/loaded") &&
    [ "$report" = "kanji=$2 linebreak=$3" ] && cmp -s "$T/loaded" "$4"
}
save_case() {  # args... input reference
    local ref=${!#}
    "$CONVERT" "${@:1:$#-1}" "$T/saved" >/dev/null && cmp -s "$T/saved" "$ref"
}

# --- edict: EUC-JP with LF, without the JIS X 0212 and half-width kana
# lines that Shift-JIS cannot hold or that the editor keeps as bytes.
EDICT=/usr/share/edict/edict
if [ -r "$EDICT" ]; then
    head -c 4000000 "$EDICT" | head -n -1 | grep -av $'[\x8e\x8f]' >"$T/edict.euc"
    iconv -f EUC-JP -t CP932 "$T/edict.euc" >"$T/edict.sjis"
    nkf -E -j "$T/edict.euc" >"$T/edict.jis"
    sed 's/$/\r/' "$T/edict.sjis" >"$T/reference.sjis"
    nkf -E -s -Lw "$T/edict.euc" >"$T/reference.nkf"
    check "iconv and nkf agree on the reference" cmp -s "$T/reference.sjis" "$T/reference.nkf"
    for k in euc sjis jis; do
        variants "$T/edict.$k"
        case $k in euc) K=EUC;; sjis) K=ShiftJIS;; jis) K=JIS;; esac
        for lb in lf crlf cr lfcr; do
            check "edict load $k $lb" load_case "$T/edict.$k.$lb" $K "$(name_of $lb)" "$T/reference.sjis"
        done
    done
    check "edict save euc lf = iconv" save_case --kanji=euc --linebreak=lf "$T/reference.sjis" "$T/edict.euc"
    check "edict save jis lf = nkf" save_case --kanji=jis --linebreak=lf "$T/reference.sjis" "$T/edict.jis"
    check "edict save euc crlf = nkf" save_case --kanji=euc --linebreak=crlf "$T/reference.sjis" "$T/edict.euc.crlf"
    nkf -S -j "$T/reference.sjis" >"$T/edict.jis.nkfcrlf"
    check "edict save jis crlf = nkf -S -j" save_case --kanji=jis --linebreak=crlf "$T/reference.sjis" "$T/edict.jis.nkfcrlf"
    check "edict save sjis cr" save_case --kanji=sjis --linebreak=cr "$T/reference.sjis" "$T/edict.sjis.cr"
else
    echo "MISSING: $EDICT missing (package edict; tools/setup.sh installs it)"
    skipped=$((skipped + 1))
fi

# --- half-width katakana, both ways: all 63 after a kanji pair (so that
# the EUC file shows its code first), then real text whose katakana nkf
# made half-width. EUC as iconv's EUC-JP-MS and nkf write it (8E before
# each), JIS as nkf -x and iconv's ISO-2022-JP-3 write it (ESC ( I).
{ printf '\212\277\216\232'; for i in $(seq 161 223); do printf "\\$(printf %o "$i")"; done; printf '\n'; } >"$T/kana.sjis"
iconv -f CP932 -t EUC-JP-MS "$T/kana.sjis" >"$T/kana.euc"
nkf -x -S -j "$T/kana.sjis" >"$T/kana.jis"
check "all katakana: nkf and iconv write the same EUC" sh -c "nkf -x -S -e '$T/kana.sjis' | cmp -s - '$T/kana.euc'"
check "all katakana: nkf and iconv write the same JIS" sh -c "iconv -f CP932 -t ISO-2022-JP-3 '$T/kana.sjis' | cmp -s - '$T/kana.jis'"
sed 's/$/\r/' "$T/kana.sjis" >"$T/kana.reference"
check "all katakana: load euc" load_case "$T/kana.euc" EUC Lf "$T/kana.reference"
check "all katakana: load jis" load_case "$T/kana.jis" JIS Lf "$T/kana.reference"
check "all katakana: save euc = iconv" save_case --kanji=euc --linebreak=lf "$T/kana.reference" "$T/kana.euc"
check "all katakana: save jis = nkf -x" save_case --kanji=jis --linebreak=lf "$T/kana.reference" "$T/kana.jis"
if [ -r "$EDICT" ]; then
    iconv -f EUC-JP -t CP932 "$T/edict.euc" | head -n 3000 | nkf -S -s -Z4 >"$T/hankaku.sjis"
    many_katakana() { [ "$(grep -ac $'[\xb1-\xdd]' "$1")" -gt 1000 ]; }
    check "real text with half-width katakana" many_katakana "$T/hankaku.sjis"
    iconv -f CP932 -t EUC-JP-MS "$T/hankaku.sjis" >"$T/hankaku.euc"
    nkf -x -S -j "$T/hankaku.sjis" >"$T/hankaku.jis"
    sed 's/$/\r/' "$T/hankaku.sjis" >"$T/hankaku.reference"
    check "real katakana: load euc" load_case "$T/hankaku.euc" EUC Lf "$T/hankaku.reference"
    check "real katakana: load jis" load_case "$T/hankaku.jis" JIS Lf "$T/hankaku.reference"
    check "real katakana: save euc = iconv EUC-JP-MS" save_case --kanji=euc --linebreak=lf "$T/hankaku.reference" "$T/hankaku.euc"
    check "real katakana: save jis = nkf -x" save_case --kanji=jis --linebreak=lf "$T/hankaku.reference" "$T/hankaku.jis"
    # UTF-16 of the same text, both orders, against iconv.
    for order in LE BE; do
        mark=$([ $order = LE ] && printf '\377\376' || printf '\376\377')
        { printf "$mark"; iconv -f CP932 -t UTF-16$order "$T/hankaku.sjis"; } >"$T/hankaku.utf16$order"
        K=$([ $order = LE ] && echo UTF16 || echo UTF16BE)
        k=$([ $order = LE ] && echo utf16 || echo utf16be)
        check "real text: load utf16 $order" load_case "$T/hankaku.utf16$order" $K Lf "$T/hankaku.reference"
        check "real text: save utf16 $order = iconv with a mark" save_case --kanji=$k --linebreak=lf "$T/hankaku.reference" "$T/hankaku.utf16$order"
    done
fi

# --- manual pages: UTF-8 to CP932, whose NEC row 13 characters need
# EUC-JP-MS on the EUC side. IBM extension rows are left out: CP932 has two
# codes for them and EUC-JP-MS maps them to JIS X 0212.
PAGES=$(ls /usr/share/man/ja/man1/*.1.gz 2>/dev/null | head -n 80)
if [ -n "$PAGES" ]; then
    for p in $PAGES; do zcat "$p"; done | iconv -c -f UTF-8 -t CP932 2>/dev/null |
        grep -av $'[\xed\xee\xfa\xfb\xfc]' | grep -av $'\x87[\x90-\x9c]' >"$T/man.sjis"
    iconv -f CP932 -t EUC-JP-MS "$T/man.sjis" >"$T/man.euc"
    nkf -S -j "$T/man.sjis" >"$T/man.jis"
    sed 's/$/\r/' "$T/man.sjis" >"$T/man.reference"
    check "man load euc" load_case "$T/man.euc" EUC Lf "$T/man.reference"
    check "man load sjis" load_case "$T/man.sjis" ShiftJIS Lf "$T/man.reference"
    check "man load jis" load_case "$T/man.jis" JIS Lf "$T/man.reference"
    check "man save euc = iconv EUC-JP-MS" save_case --kanji=euc --linebreak=lf "$T/man.reference" "$T/man.euc"
    check "man save jis = nkf" save_case --kanji=jis --linebreak=lf "$T/man.reference" "$T/man.jis"
else
    echo "MISSING: no Japanese manual pages (package manpages-ja; tools/setup.sh installs it)"
    skipped=$((skipped + 1))
fi

# --- manual pages as they are, UTF-8, against iconv's UTF-8 and CP932.
# Lines whose every character iconv takes to CP932 and back unchanged must
# come out exactly as iconv has them. On the other lines each difference
# must be a character that code page 932 has no cell for (Latin letters
# with accents, Greek, the euro sign), or one that iconv sends to a
# lookalike one way only (U+301C to the full-width tilde, U+2212 to the
# full-width minus, ...): the editor writes 〓 (U+3013) there, and counts it.
ALLPAGES=$(ls /usr/share/man/ja/man*/*.gz 2>/dev/null)
if [ -n "$ALLPAGES" ] && [ "$(echo x | LC_ALL=C.UTF-8 grep -o .)" = x ]; then
    for p in $ALLPAGES; do zcat "$p"; done >"$T/pages.utf8"
    iconv -c -f UTF-8 -t CP932 "$T/pages.utf8" 2>/dev/null | iconv -f CP932 -t UTF-8 >"$T/pages.round"
    awk 'NR == FNR { a[FNR] = $0; next } { print > (a[FNR] == $0 ? CLEAN : ODD) }' \
        CLEAN="$T/clean.utf8" ODD="$T/odd.utf8" "$T/pages.round" "$T/pages.utf8"
    iconv -f UTF-8 -t CP932 "$T/clean.utf8" | sed 's/$/\r/' >"$T/clean.reference"
    check "utf8 pages load = iconv" load_case "$T/clean.utf8" UTF8 Lf "$T/clean.reference"
    check "utf8 pages save = iconv" save_case --kanji=utf8 --linebreak=lf "$T/clean.reference" "$T/clean.utf8"
    iconv -f CP932 -t UTF-8 "$T/clean.reference" | tr -d '\r' >"$T/clean.back"
    check "iconv's own round trip of the clean lines" cmp -s "$T/clean.back" "$T/clean.utf8"

    # The other lines: through the editor's load and save, character by
    # character against the original.
    odd_case() {
        "$CONVERT" --kanji=sjis --linebreak=crlf "$T/odd.utf8" "$T/odd.sjis" >/dev/null 2>"$T/odd.err"
        [ $? -eq 5 ] || return 1
        "$CONVERT" --kanji=utf8 --linebreak=lf "$T/odd.sjis" "$T/odd.back" >/dev/null || return 1
        LC_ALL=C.UTF-8 grep -o . "$T/odd.utf8" >"$T/odd.chars"
        LC_ALL=C.UTF-8 grep -o . "$T/odd.back" >"$T/back.chars"
        [ "$(wc -l <"$T/odd.chars")" -eq "$(wc -l <"$T/back.chars")" ] || return 1
        paste "$T/odd.chars" "$T/back.chars" | awk -F '\t' '$1 != $2' >"$T/changed"
        # Every change is to 〓, and as many as the converter counted.
        awk -F '\t' '$2 != "\343\200\223"' "$T/changed" | grep -q . && return 1
        grep -q "^vexa-convert: .*: $(wc -l <"$T/changed") character" "$T/odd.err" || return 1
        # Each character changed is one that iconv does not take to CP932
        # and back as itself.
        cut -f1 "$T/changed" | sort -u >"$T/explained"
        while IFS= read -r c; do
            [ "$(printf '%s' "$c" | iconv -c -f UTF-8 -t CP932 2>/dev/null | iconv -f CP932 -t UTF-8)" != "$c" ] || return 1
        done <"$T/explained"
        echo "utf8 pages: $(wc -l <"$T/clean.utf8") lines as iconv has them; on $(wc -l <"$T/odd.utf8") others" \
             "$(wc -l <"$T/changed") characters became 〓, of $(wc -l <"$T/explained") kinds CP932 lacks or maps one way"
    }
    check "utf8 pages: every difference from iconv explained" odd_case
else
    echo "MISSING: no Japanese manual pages or no C.UTF-8 locale (manpages-ja; tools/setup.sh installs it)"
    skipped=$((skipped + 1))
fi

echo "$passes passed, $fails failed"
[ $fails -eq 0 ] || exit 1
[ $skipped -eq 0 ] || exit $SKIP
