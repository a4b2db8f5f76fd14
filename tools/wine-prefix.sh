#!/bin/sh
# Creates the Wine prefix once: boots it and maps the dialog font
# "ＭＳ Ｐゴシック" to an installed Japanese font.
HERE=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$HERE/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -f "$WINEPREFIX/.vexa-ready-2" ] && exit 0
mkdir -p "$WINEPREFIX"
(
    flock 9
    [ -f "$WINEPREFIX/.vexa-ready-2" ] && exit 0
    echo "wine-prefix: creating $WINEPREFIX" >&2
    wineboot -i >/dev/null 2>&1
    REG="$WINEPREFIX/fonts.reg"
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n' >"$REG"
    for f in "ＭＳ Ｐゴシック" "ＭＳ ゴシック" "MS PGothic" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2"; do
        printf '"%s"="IPAPGothic"\r\n' "$(printf %s "$f" | iconv -f UTF-8 -t CP932)" >>"$REG"
    done
    # Without a window manager (plain Xvfb), managed windows make Wine wait
    # two seconds for a withdrawal that never comes whenever one is hidden.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' >>"$REG"
    wine regedit "$REG" >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vexa-ready-2"
) 9>"$WINEPREFIX.lock"
