#!/bin/sh
# Runs a Windows executable under Wine in the project's own prefix, with the
# loader that matches the executable: the 32-bit one for a PE32 file, the
# 64-bit one for PE32+.
#
#     tools/wine-run.sh PROGRAM.exe [ARGUMENTS...]
HERE=$(cd "$(dirname "$0")/.." && pwd)
. "$HERE/tools/wine-env.sh"
"$HERE/tools/wine-prefix.sh" --quick || exit 1

# The machine field of the PE header: 014c for i386, 8664 for x86-64.
machine=""
if [ -f "$1" ]; then
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    [ -n "$pe" ] && machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
fi
case $machine in
8664) exec "$WINE64" "$@" ;;
14c)
    if ! "$WINE32" --version >/dev/null 2>&1; then
        echo "wine-run: $1 is a 32-bit program and this host cannot execute Wine's 32-bit loader; use the 64-bit build" >&2
        exit 126
    fi
    exec "$WINE32" "$@" ;;
*) exec "$WINE64" "$@" ;;
esac
