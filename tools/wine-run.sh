#!/bin/sh
# Runs a Windows executable under Wine in the project's own prefix
# (build/wineprefix), with the Japanese locale so that the ANSI code page
# is 932. Creates and configures the prefix on first use.
HERE=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$HERE/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$HERE/tools/wine-prefix.sh" || exit 1
exec wine "$@"
