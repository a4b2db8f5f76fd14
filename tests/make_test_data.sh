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
sed 's/$/\r/' "$OUT/base.sjis" >"$OUT/reference.txt"
for k in sjis euc jis; do
    cp "$OUT/base.$k" "$OUT/$k-lf.txt"
    sed 's/$/\r/' "$OUT/base.$k" >"$OUT/$k-crlf.txt"
    tr '\n' '\r' <"$OUT/base.$k" >"$OUT/$k-cr.txt"
    sed 's/$/\r/' "$OUT/base.$k" | tr '\r\n' '\n\r' >"$OUT/$k-lfcr.txt"
done
echo "test data: $(wc -c <"$OUT/reference.txt") bytes of reference text in $OUT"
# Names that lead to other files: a symbolic link and two hard links.
rm -f "$OUT"/link-*.txt "$OUT"/hard-*.txt
printf 'old\r\n' >"$OUT/link-target.txt"
ln -s link-target.txt "$OUT/link-name.txt"
printf 'old\r\n' >"$OUT/hard-a.txt"
ln "$OUT/hard-a.txt" "$OUT/hard-b.txt"
