#!/bin/sh
# Benchmarks of the converter and its passes on 50 MB of real Japanese text
# (the edict dictionary, EUC-JP with LF), side by side with nkf and iconv.
# The dictionary's few JIS X 0212 lines are left out: iconv -c drops their
# characters, which the converter writes as 〓 and reports.
set -e
HERE=$(cd "$(dirname "$0")/.." && pwd)
OUT=$HERE/build/bench
mkdir -p "$OUT"
TEXT=$OUT/dict50.euc
if [ ! -s "$TEXT" ]; then
    [ -r /usr/share/edict/edict ] || { echo "bench: needs /usr/share/edict/edict (package edict)"; exit 1; }
    grep -av "$(printf '\217')" /usr/share/edict/edict >"$OUT/dict.euc"
    while [ "$(stat -c %s "$TEXT" 2>/dev/null || echo 0)" -lt 52428800 ]; do
        cat "$OUT/dict.euc" >>"$TEXT"
    done
    rm -f "$OUT/dict.euc"
    head -c 52428800 "$TEXT" >"$TEXT.tmp" && mv "$TEXT.tmp" "$TEXT"
fi
CONVERT=$HERE/build/native/vexa-convert
echo "== whole process, 50 MB EUC/LF to Shift-JIS/CR LF, standard output thrown away (hyperfine, warm cache)"
cat "$TEXT" >/dev/null
hyperfine -N -w 3 -r 30 --export-markdown "$OUT/convert.md" \
    "$CONVERT --kanji=sjis --linebreak=crlf $TEXT -" \
    "nkf -E -s -Lw $TEXT" \
    "iconv -c -f EUC-JP -t CP932 $TEXT"
echo
# UTF-8: the Japanese manual pages, as many times as make 50 MB, without
# the characters code page 932 lacks, so that both tools convert all of it.
UTEXT=$OUT/man50.utf8
if [ ! -s "$UTEXT" ]; then
    ls /usr/share/man/ja/man*/*.gz >/dev/null 2>&1 || { echo "bench: needs the package manpages-ja"; exit 1; }
    for p in /usr/share/man/ja/man*/*.gz; do zcat "$p"; done | iconv -c -f UTF-8 -t CP932 2>/dev/null |
        iconv -f CP932 -t UTF-8 >"$UTEXT.one"
    while [ "$(stat -c %s "$UTEXT" 2>/dev/null || echo 0)" -lt 52428800 ]; do
        cat "$UTEXT.one" >>"$UTEXT"
    done
    rm -f "$UTEXT.one"
fi
echo "== whole process, $(($(stat -c %s "$UTEXT") / 1048576)) MB UTF-8/LF to Shift-JIS/CR LF, standard output thrown away"
cat "$UTEXT" >/dev/null
hyperfine -N -w 3 -r 20 --export-markdown "$OUT/convert-utf8.md" \
    "$CONVERT --kanji=sjis --linebreak=crlf $UTEXT -" \
    "iconv -f UTF-8 -t CP932 $UTEXT"
echo
# The same with a text of another kind: 30 MB of the dictionary (fewer
# three-byte characters, longer runs of ASCII) before 20 MB of the pages.
DTEXT=$OUT/dictman50.utf8
if [ ! -s "$DTEXT" ]; then
    { head -c 30000000 "$TEXT" | iconv -c -f EUC-JP -t CP932 2>/dev/null | iconv -f CP932 -t UTF-8
      head -c 22000000 "$UTEXT"; } | head -c 52428800 | iconv -c -f UTF-8 -t CP932 2>/dev/null |
        iconv -f CP932 -t UTF-8 >"$DTEXT"
fi
echo "== whole process, $(($(stat -c %s "$DTEXT") / 1048576)) MB of dictionary and pages in UTF-8/LF to Shift-JIS/CR LF"
cat "$DTEXT" >/dev/null
hyperfine -N -w 3 -r 20 --export-markdown "$OUT/convert-utf8-dict.md" \
    "$CONVERT --kanji=sjis --linebreak=crlf $DTEXT -" \
    "iconv -f UTF-8 -t CP932 $DTEXT"
echo
echo "== peak memory of the converter (/usr/bin/time -v)"
/usr/bin/time -v "$CONVERT" --kanji=sjis --linebreak=crlf "$TEXT" - 2>&1 >/dev/null |
    grep -E "Maximum resident|Elapsed" || true
echo "UTF-8 input (read to its end to be sure it is UTF-8, then again to convert it):"
/usr/bin/time -v "$CONVERT" --kanji=sjis --linebreak=crlf "$UTEXT" - 2>&1 >/dev/null |
    grep -E "Maximum resident|Elapsed" || true
echo
echo "== passes in process (Google Benchmark; /0 without a sink, /1 with a sink that does nothing)"
VEXA_BENCH_FILE=$TEXT "$HERE/build/native/bench/codec_bench" --benchmark_min_time=0.5

echo
BUILD=${VEXA_BUILD:-$("$HERE/tools/wine-host.sh" --preferred)}
echo "== the editor under Wine (gui_bench.exe of build/$BUILD)"
for size in 100k:102400 1m:1048576 10m:10485760; do
    name=${size%%:*}; bytes=${size#*:}
    [ -s "$OUT/edict$name.euc" ] || head -c "$bytes" "$TEXT" | head -n -1 >"$OUT/edict$name.euc"
done
"$HERE/tools/wine-prefix.sh"
cd "$HERE/build/$BUILD/bench"
xvfb-run -a -s "-screen 0 1024x768x24" "$HERE/tools/wine-run.sh" gui_bench.exe "Z:$(echo "$OUT" | tr / '\\')" \
    ${VEXA_BENCH_PARTS:-open type find replace} 2>/dev/null | grep -v '^X connection' 
echo
echo "== keys typed from another process (SendInput into the editor of build/$BUILD), each timed until the"
echo "   editor has taken it (its caret moved on) and painted it (nothing left to paint); medians of 20 keys"
for name in 100k 1m 10m; do
    WINEDEBUG=-all xvfb-run -a -s "-screen 0 1024x768x24" "$HERE/tools/wine-run.sh" key_driver.exe \
        "Z:$(echo "$HERE/build/$BUILD/vexaedit.exe" | tr / '\\')" "Z:$(echo "$OUT/edict$name.euc" | tr / '\\')" 5 \
        2>/dev/null | grep '^keys from' || echo "key_driver: no figure for edict$name.euc"
done

# The editor before its undo history, beside today's: both gui_bench builds
# in turns, twice, so that a machine slower for a while slows both.
BASELINE=${VEXA_BENCH_BASELINE:-fa824cd}
echo
echo "== typing and ReplaceAll, today's editor and the one of $BASELINE (before the undo history), in turns"
BASEDIR=$HERE/build/bench-baseline
if ! git -C "$HERE" rev-parse -q --verify "$BASELINE^{commit}" >/dev/null; then
    echo "bench: commit $BASELINE is not in this clone; no baseline figures"
    exit 0
fi
git -C "$HERE" worktree prune
[ -d "$BASEDIR/src" ] || git -C "$HERE" worktree add -f --detach "$BASEDIR/src" "$BASELINE" >/dev/null
toolchain=$([ "$BUILD" = win32 ] && echo mingw-i686 || echo mingw-x86_64)
[ -f "$BASEDIR/$BUILD/Makefile" ] ||
    cmake -S "$BASEDIR/src" -B "$BASEDIR/$BUILD" -DCMAKE_TOOLCHAIN_FILE="$BASEDIR/src/cmake/$toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BASEDIR/$BUILD" -j2 --target gui_bench >/dev/null
for round in 1 2; do
    for which in "$BASEDIR/$BUILD" "$HERE/build/$BUILD"; do
        [ "$which" = "$HERE/build/$BUILD" ] && echo "-- today's (round $round)" || echo "-- $BASELINE (round $round)"
        cd "$which/bench"
        xvfb-run -a -s "-screen 0 1024x768x24" "$HERE/tools/wine-run.sh" gui_bench.exe \
            "Z:$(echo "$OUT" | tr / '\\')" type1m replace 2>/dev/null | grep -v '^X connection'
    done
done
