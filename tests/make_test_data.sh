#!/bin/bash
# Writes the files the Windows tests load and compare with: one Japanese
# text in each of the 3 kanji codes x 4 line breaks, all made by peers
# (iconv, nkf, sed, tr), and its internal form (Shift-JIS, CR LF).
set -eu
OUT=$1
mkdir -p "$OUT"
export LC_ALL=C
EDICT=/usr/share/edict/edict
if [ -r "$EDICT" ]; then
    # Real dictionary text, without the lines Shift-JIS cannot hold.
    head -c 400000 "$EDICT" | tail -n +2 | grep -av $'[\x8e\x8f]' | head -n 400 >"$OUT/base.euc"
else
    echo "test data: $EDICT missing, using the bundled samples" >&2
    HERE=$(cd "$(dirname "$0")/.." && pwd)
    nkf -e -Lu "$HERE"/samples/*.txt >"$OUT/base.euc"
fi
iconv -f EUC-JP -t CP932 "$OUT/base.euc" >"$OUT/base.sjis"
nkf -E -j "$OUT/base.euc" >"$OUT/base.jis"
iconv -f CP932 -t UTF-8 "$OUT/base.sjis" >"$OUT/base.utf8"
{ printf '\357\273\277'; cat "$OUT/base.utf8"; } >"$OUT/base.utf8bom"
sed 's/$/\r/' "$OUT/base.sjis" >"$OUT/reference.txt"
for k in sjis euc jis utf8 utf8bom; do
    cp "$OUT/base.$k" "$OUT/$k-lf.txt"
    sed 's/$/\r/' "$OUT/base.$k" >"$OUT/$k-crlf.txt"
    tr '\n' '\r' <"$OUT/base.$k" >"$OUT/$k-cr.txt"
    sed 's/$/\r/' "$OUT/base.$k" | tr '\r\n' '\n\r' >"$OUT/$k-lfcr.txt"
done
# UTF-8 with characters that Shift-JIS cannot hold: 𠮷, 丂, an emoji, Hangul.
printf '\360\240\256\267\351\207\216\345\256\266 \344\270\202\r\n\360\237\230\200 \352\260\200\r\n' >"$OUT/outside-utf8.txt"
echo "test data: $(wc -c <"$OUT/reference.txt") bytes of reference text in $OUT"
# Names that lead to other files: a symbolic link and two hard links.
rm -f "$OUT"/link-*.txt "$OUT"/hard-*.txt
printf 'old\r\n' >"$OUT/link-target.txt"
ln -s link-target.txt "$OUT/link-name.txt"
printf 'old\r\n' >"$OUT/hard-a.txt"
ln "$OUT/hard-a.txt" "$OUT/hard-b.txt"
# A file a peer wrote under a Japanese name (UTF-8 on the disk, as the
# host's locale has it).
cp "$OUT/euc-lf.txt" "$OUT/日本語 名.txt"
# Files other programs write: half-width katakana (nkf makes the text's
# katakana half-width) in EUC as iconv's EUC-JP-MS writes it and in JIS as
# nkf -x writes it; the reference text in UTF-16 of both orders behind its
# mark, as iconv writes it; and a text that a zero byte cuts short.
nkf -S -s -Z4 "$OUT/base.sjis" >"$OUT/kana.sjis"
sed 's/$/\r/' "$OUT/kana.sjis" >"$OUT/kana-reference.txt"
iconv -f CP932 -t EUC-JP-MS "$OUT/kana.sjis" >"$OUT/kana-euc-lf.txt"
nkf -x -S -j "$OUT/kana.sjis" >"$OUT/kana-jis-lf.txt"
{ printf '\377\376'; iconv -f CP932 -t UTF-16LE "$OUT/reference.txt"; } >"$OUT/utf16le-crlf.txt"
{ printf '\376\377'; iconv -f CP932 -t UTF-16BE "$OUT/reference.txt"; } >"$OUT/utf16be-crlf.txt"
{ head -n 5 "$OUT/reference.txt"; printf '\0after the zero\r\n'; } >"$OUT/zero-cut.txt"
