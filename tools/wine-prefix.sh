#!/bin/sh
# Creates the project's 64-bit Wine prefix (it runs the 64-bit build, and the
# 32-bit one where the host can execute it): boots it, checks that it
# starts a program, and maps the dialog font "ＭＳ Ｐゴシック" to an installed
# Japanese font. A prefix that is not known to work is rebuilt.
#
#     tools/wine-prefix.sh          make sure the prefix works (starts a program)
#     tools/wine-prefix.sh --quick  only look for the mark of a finished prefix
HERE=$(cd "$(dirname "$0")/.." && pwd)
. "$HERE/tools/wine-env.sh"
READY=$WINEPREFIX/.vexa-ready-64
# A prefix made while only one loader ran lacks the other's system files
# ("could not load kernel32.dll"): the mark names the builds the host ran
# then, and a prefix made for others is rebuilt.
LOADERS=$(VEXA_WIN64_ONLY=0 "$HERE/tools/wine-host.sh" 2>/dev/null)
fits() { [ -f "$READY" ] && [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$READY")" = "$LOADERS" ]; }

# The check's Wine session is waited out: a program started later in the
# same session would inherit its desktop, which may have no display.
starts_program() {
    ok=$("$WINE64" cmd /c echo vexa-ok 2>/dev/null | tr -d '\r')
    /usr/lib/wine/wineserver -w
    [ "$ok" = vexa-ok ]
}

if fits; then
    [ "${1:-}" = --quick ] && exit 0
    starts_program && exit 0
    echo "wine-prefix: $WINEPREFIX does not start a program; rebuilding it" >&2
elif [ -f "$READY" ]; then
    echo "wine-prefix: $WINEPREFIX was made for the loaders of '$(cat "$READY")', the host now runs '$LOADERS'; rebuilding it" >&2
fi

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if fits && starts_program; then
        exit 0
    fi
    if [ -e "$WINEPREFIX" ]; then
        # Only a prefix of our own is thrown away.
        if [ "$WINEPREFIX" != "$HERE/build/wineprefix" ] && ! ls "$WINEPREFIX"/.vexa-ready* >/dev/null 2>&1; then
            echo "wine-prefix: $WINEPREFIX is not a working prefix of this project; remove it or unset WINEPREFIX" >&2
            exit 1
        fi
        /usr/lib/wine/wineserver -k 2>/dev/null
        rm -rf "$WINEPREFIX"
    fi
    echo "wine-prefix: creating $WINEPREFIX" >&2
    if ! "$WINE64" wineboot -i >"$WINEPREFIX.log" 2>&1; then
        echo "wine-prefix: wineboot failed (log: $WINEPREFIX.log)" >&2
        exit 1
    fi
    /usr/lib/wine/wineserver -w
    REG="$WINEPREFIX/fonts.reg"
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n' >"$REG"
    for f in "ＭＳ Ｐゴシック" "ＭＳ ゴシック" "MS PGothic" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2"; do
        printf '"%s"="IPAPGothic"\r\n' "$(printf %s "$f" | iconv -f UTF-8 -t CP932)" >>"$REG"
    done
    # Without a window manager (plain Xvfb), managed windows make Wine wait
    # two seconds for a withdrawal that never comes whenever one is hidden.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' >>"$REG"
    "$WINE64" regedit "$REG" >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ] || ! starts_program; then
        echo "wine-prefix: the new prefix does not start a program (log: $WINEPREFIX.log)" >&2
        exit 1
    fi
    echo "$LOADERS" >"$READY"
) 9>"$WINEPREFIX.lock"
