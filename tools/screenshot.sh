#!/bin/sh
# Starts the editor under Xvfb in a Wine virtual desktop (which gives the
# window its frame), optionally drives it with keys, and writes a PNG.
#
#     tools/screenshot.sh OUTPUT.png [xdotool key sequence...]
set -u
HERE=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$HERE/build/screenshot.png}
shift 2>/dev/null || true
. "$HERE/tools/wine-env.sh"
"$HERE/tools/wine-prefix.sh" || exit 1
BUILD=${VEXA_BUILD:-$("$HERE/tools/wine-host.sh" --preferred)} || exit 1
DISPLAY_NUMBER=97
Xvfb :$DISPLAY_NUMBER -screen 0 1024x768x24 >/dev/null 2>&1 &
XPID=$!
export DISPLAY=:$DISPLAY_NUMBER
sleep 1
cd "$HERE/build/$BUILD"
SAMPLE="Z:$(printf %s "$HERE/samples/welcome-sjis-crlf.txt" | tr / '\\')"
"$HERE/tools/wine-run.sh" explorer /desktop=vexa,1024x768 vexaedit.exe "$SAMPLE" >/dev/null 2>&1 &
sleep 6
for keys in "$@"; do
    xdotool search --name "VEXA Edit" windowactivate --sync >/dev/null 2>&1 || true
    xdotool key --delay 150 $keys
    sleep 2
done
import -window root "$OUT"
/usr/lib/wine/wineserver -k
kill $XPID 2>/dev/null
echo "screenshot: $OUT"
