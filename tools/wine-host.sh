#!/bin/sh
# Which Windows builds this host can execute under Wine, found by trying
# Wine's two loaders (some x86-64 kernels run 64-bit user code only, and
# there the 32-bit loader fails with "Exec format error"). The answer is
# kept in build/wine-host; the reason goes to standard error in one line.
#
#     tools/wine-host.sh              "win32 win64", or "win64"; exit 1 for neither
#     tools/wine-host.sh --preferred  the build to run the editor with
#
# VEXA_WIN64_ONLY=1 takes the 64-bit-only path on a host that runs both.
HERE=$(cd "$(dirname "$0")/.." && pwd)
. "$HERE/tools/wine-env.sh"
CACHE=$HERE/build/wine-host
mkdir -p "$HERE/build"
# The answer holds while the loaders are the ones it was found with: one
# installed or removed since (wine32 after a first run) asks again.
sig="sig=$(stat -c '%n %s %Y' "$WINE32" "$WINE64" 2>/dev/null | tr '\n' ' ')"
if [ ! -s "$CACHE" ] || [ "$(sed -n 's/^sig=/sig=/p' "$CACHE")" != "$sig" ]; then
    r64=no r32=no why32=""
    "$WINE64" --version >/dev/null 2>&1 && r64=yes
    if why32=$("$WINE32" --version 2>&1 >/dev/null); then
        r32=yes
    else
        why32=$(printf %s "$why32" | tail -n 1)
        why32="$WINE32: ${why32##*: }"
    fi
    printf 'win64=%s\nwin32=%s\nwhy32=%s\n%s\n' "$r64" "$r32" "$why32" "$sig" >"$CACHE"
fi
r64=$(sed -n 's/^win64=//p' "$CACHE")
r32=$(sed -n 's/^win32=//p' "$CACHE")
why32=$(sed -n 's/^why32=//p' "$CACHE")

if [ "$r64" != yes ]; then
    echo "wine-host: this host cannot execute Wine's 64-bit loader $WINE64 (is wine64 installed?)" >&2
    exit 1
fi
builds="win64"
if [ "${VEXA_WIN64_ONLY:-0}" = 1 ]; then
    note="the 64-bit build only (VEXA_WIN64_ONLY=1; the host itself $( [ "$r32" = yes ] && echo can || echo cannot ) execute 32-bit code)"
elif [ "$r32" = yes ]; then
    builds="win32 win64"
    note="both builds (this host executes 32-bit code)"
else
    note="the 64-bit build only (this host cannot execute 32-bit code: $why32)"
fi
if [ "${1:-}" = --preferred ]; then
    set -- $builds
    echo "wine-host: running the $1 build: $note" >&2
    echo "$1"
else
    echo "wine-host: $note" >&2
    echo "$builds"
fi
