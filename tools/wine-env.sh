# Sourced by the Wine scripts, with HERE set to the project's top folder:
# the project's own 64-bit prefix, the Japanese locale (so that the ANSI
# code page is 932) and Wine's two loaders by their own paths.
export WINEPREFIX="${WINEPREFIX:-$HERE/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ja_JP.UTF-8
# No debugger at a crash: it would wait for a user, and the test with it.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
# /usr/bin/wine takes the 32-bit loader whenever it is installed, even on a
# host whose kernel cannot execute it; these are called directly instead.
WINE32=/usr/lib/wine/wine
WINE64=/usr/lib/wine/wine64
