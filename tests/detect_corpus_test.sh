#!/bin/bash
# Detection on real Japanese text beside nkf --guess: random snippets of
# 16, 64 and 256 characters from the edict dictionary and the Japanese
# manual pages, in Shift-JIS and in EUC, as they are and with their
# katakana made half-width (nkf -Z4). The converter must never be wrong on
# a text without half-width katakana, and on those with them be right at
# least as often as nkf at each length, both codes together: a text that
# both codes read whole keeps the first answer (B1 B2 and ASCII is EUC),
# so Shift-JIS of half-width katakana and ASCII alone is taken for EUC,
# where nkf guesses Shift-JIS, and EUC of them for EUC, where nkf guesses
# wrong. VEXA_CORPUS_SEED=N reruns a draw.
set -u
CONVERT=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
export LC_ALL=ja_JP.UTF-8
for tool in nkf iconv shuf; do
    command -v $tool >/dev/null || { echo "MISSING: $tool is not installed (tools/setup.sh installs it)"; exit 1; }
done
EDICT=/usr/share/edict/edict
PAGES=$(ls /usr/share/man/ja/man1/*.1.gz 2>/dev/null | head -n 60)
[ -r "$EDICT" ] && [ -n "$PAGES" ] || { echo "MISSING: edict or manpages-ja (tools/setup.sh installs them)"; exit 1; }
[ "$(echo あ | grep -o .)" = あ ] || { echo "MISSING: the ja_JP.UTF-8 locale"; exit 1; }
SEED=${VEXA_CORPUS_SEED:-$(date +%s)}
PER=${VEXA_CORPUS_SNIPPETS:-60}
echo "seed $SEED ($PER snippets a cell; VEXA_CORPUS_SEED=$SEED reruns it)"

# The text: what code page 932 holds of both sources, lines joined, Japanese only.
{ head -c 3000000 "$EDICT" | iconv -c -f EUC-JP -t CP932 2>/dev/null | iconv -f CP932 -t UTF-8
  for p in $PAGES; do zcat "$p"; done | iconv -c -f UTF-8 -t CP932 2>/dev/null | iconv -f CP932 -t UTF-8; } |
    grep '[ぁ-んァ-ヶ一-龠]' | tr '\n' ' ' >"$T/text.utf8"

fails=0
printf '%-6s %-5s %-22s %12s %12s\n' length code half-width "this editor" "nkf --guess"
for length in 16 64 256; do
    grep -o ".\{$length\}" "$T/text.utf8" >"$T/chunks"
    nkf -W -w -Z4 "$T/chunks" >"$T/chunks.z4"
    ours_with=0 theirs_with=0
    for kana in without with; do
        # Snippets without any half-width katakana, or made to have some.
        # Snippets with Japanese in them: without any half-width katakana,
        # or made to have some.
        if [ $kana = without ]; then
            grep -v '[｡-ﾟ]' "$T/chunks" | grep '[ぁ-んァ-ヶ一-龠]' >"$T/pool"
        else
            paste -d '\n' "$T/chunks" "$T/chunks.z4" | paste - - -d '\t' | awk -F '\t' '$1 != $2 { print $2 }' >"$T/pool"
        fi
        shuf -n "$PER" --random-source=<(yes "$SEED $length $kana") "$T/pool" >"$T/picked"
        for code in sjis euc; do
            case $code in sjis) peer=CP932; want=ShiftJIS; nkfname=Shift_JIS;; euc) peer=EUC-JP-MS; want=EUC; nkfname=EUC-JP;; esac
            ours=0 theirs=0 total=0
            while IFS= read -r line; do
                printf '%s\n' "$line" | iconv -f UTF-8 -t $peer >"$T/s" 2>/dev/null || continue
                total=$((total + 1))
                report=$("$CONVERT" --kanji=$code "$T/s" "$T/o" 2>/dev/null)
                [ "${report%% *}" = "kanji=$want" ] && ours=$((ours + 1))
                case "$(nkf --guess "$T/s")" in "$nkfname"*) theirs=$((theirs + 1));; esac
                [ "${report%% *}" = "kanji=$want" ] || [ $kana = with ] || echo "  wrong on a text without half-width katakana ($code): $line"
            done <"$T/picked"
            printf '%-6s %-5s %-22s %7d/%-4d %7d/%-4d\n' $length $code $kana $ours $total $theirs $total
            [ $total -ge $((PER / 2)) ] || { echo "  too few snippets"; fails=$((fails + 1)); }
            if [ $kana = without ]; then
                [ $ours -eq $total ] || fails=$((fails + 1))
            else
                ours_with=$((ours_with + ours)) theirs_with=$((theirs_with + theirs))
            fi
        done
    done
    [ $ours_with -ge $theirs_with ] || { echo "  $length characters: fewer right than nkf"; fails=$((fails + 1)); }
done
echo "detection corpus: $fails cells failed"
[ $fails -eq 0 ]
