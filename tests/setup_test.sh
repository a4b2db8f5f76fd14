#!/bin/sh
# The setup's decisions, with stand-ins for every command it calls (apt-get,
# dpkg, the assembler and linker, locale): no network, nothing installed.
# Each case sets up a host (32-bit or not, a failing index, packages that
# will not install) and checks what the setup installs, says and returns.
set -u
SETUP=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fails=0; passes=0

mkdir -p "$T/bin"
stub() { printf '#!/bin/sh\nS=%s\n%s\n' "$T/state" "$2" >"$T/bin/$1"; chmod +x "$T/bin/$1"; }
stub id 'echo 0'
stub dpkg-query 'p=$(echo "$@" | sed "s/.* //"); grep -qx "$p" $S/installed && printf "install ok installed"; exit 0'
stub dpkg 'case $1 in --print-foreign-architectures) cat $S/arch ;; --add-architecture) echo "$2" >>$S/arch ;; esac'
# apt-get: "update" exits as the case says; "install" takes all or nothing,
# as apt does, and refuses the packages listed as uninstallable.
stub apt-get 'echo "apt-get $*" >>$S/calls
case " $* " in
*" update "*) [ -f $S/update-fails ] && { echo "E: Failed to fetch i386 Packages  File has unexpected size"; exit 100; }; exit 0 ;;
esac
pkgs=$(echo "$@" | tr " " "\n" | grep -v "^-")
for p in $pkgs; do [ "$p" = install ] && continue
  grep -qx "$p" $S/uninstallable 2>/dev/null && { echo "E: Unable to correct problems, you have held broken packages."; exit 100; }
  case $p in *:i386) grep -q i386 $S/arch || { echo "E: Unable to locate package $p"; exit 100; } ;; esac
done
for p in $pkgs; do [ "$p" = install ] || echo "$p" >>$S/installed; done'
stub locale '[ "$1" = -a ] && cat $S/locales'
stub localedef 'echo ja_JP.utf8 >>$S/locales'
stub as 'while [ $# -gt 1 ]; do [ "$1" = -o ] && touch "$2"; shift; done'
# The linked program runs where the case says the kernel executes i386 code.
stub ld 'while [ $# -gt 1 ]; do [ "$1" = -o ] && out=$2; shift; done
if [ -f $S/host32 ]; then printf "#!/bin/sh\nexit 0\n" >"$out"; else printf "#!/bin/sh\necho Exec format error >&2; exit 126\n" >"$out"; fi
chmod +x "$out"'

# A fresh host of the given kind: "host32", "update-fails", "locale" and
# "installed:PKG..." / "uninstallable:PKG..." words set it up.
host() {
    rm -rf "$T/state"; mkdir -p "$T/state"
    : >"$T/state/installed"; : >"$T/state/arch"; : >"$T/state/locales"; : >"$T/state/calls"
    : >"$T/state/locale.gen"
    for w in "$@"; do
        case $w in
        host32|update-fails) touch "$T/state/$w" ;;
        locale) echo ja_JP.utf8 >"$T/state/locales" ;;
        installed:*) echo "${w#installed:}" | tr , '\n' >>"$T/state/installed" ;;
        uninstallable:*) echo "${w#uninstallable:}" | tr , '\n' >>"$T/state/uninstallable" ;;
        esac
    done
}
run() {
    PATH="$T/bin:$PATH" VEXA_LOCALE_GEN="$T/state/locale.gen" sh "$SETUP" >"$T/out" 2>&1
    echo $? >"$T/rc"
}
check() {  # name, condition...
    name=$1; shift
    if "$@"; then passes=$((passes + 1)); else
        echo "FAIL: $name"; sed 's/^/    | /' "$T/out"; fails=$((fails + 1))
    fi
}
rc() { [ "$(cat "$T/rc")" = "$1" ]; }
said() { grep -q -- "$1" "$T/out"; }
has() { grep -qx -- "$1" "$T/state/installed"; }
hasnt() { ! has "$1"; }

# A 64-bit-only host whose mirror fails one index: a warning, no i386
# package or architecture, the locale generated, success.
host update-fails
run
check "64-bit host: succeeds" rc 0
check "64-bit host: warns of the index" said "warning: apt-get update failed"
check "64-bit host: installs wine64" has wine64
check "64-bit host: installs no wine32" hasnt wine32:i386
check "64-bit host: adds no i386 architecture" sh -c "! grep -q i386 '$T/state/arch'"
check "64-bit host: says so" said "only the 64-bit build will be tested"
check "64-bit host: generates the locale" grep -q ja_JP "$T/state/locales"
check "64-bit host: keeps it in locale.gen" grep -q '^ja_JP.UTF-8 UTF-8' "$T/state/locale.gen"
check "64-bit host: names what it tests" said "can be tested here: win64"

# A 32-bit host on the day wine32 cannot be installed: the rest goes in,
# wine32 is named with what is lost, the 64-bit build remains.
host host32 update-fails uninstallable:wine32:i386
run
check "wine32 refused: succeeds" rc 0
check "wine32 refused: adds the i386 architecture" grep -q i386 "$T/state/arch"
check "wine32 refused: installs the rest one by one" has wine64
check "wine32 refused: installs the 32-bit compiler" has g++-mingw-w64-i686
check "wine32 refused: names it and what is lost" said "wine32:i386 cannot be installed: the 32-bit build will not be tested"
check "wine32 refused: tests win64" said "can be tested here: win64"

# A 32-bit host where all installs: both builds.
host host32
run
check "32-bit host: succeeds" rc 0
check "32-bit host: installs wine32" has wine32:i386
check "32-bit host: tests both" said "can be tested here: win32 win64"

# Nothing left to test Windows builds with: a failure that says so.
host uninstallable:wine64
run
check "no wine64: fails" rc 1
check "no wine64: says why" said "no Windows build can be tested"

# Everything there already: apt-get is not called at all.
host locale installed:cmake,make,g++,binutils,g++-mingw-w64-x86-64,mingw-w64-tools,wine,wine64,xvfb,xauth,x11-utils,xdotool,imagemagick,fonts-ipafont,locales,nkf,edict,manpages-ja,googletest,libgtest-dev,libbenchmark-dev,clang,libclang-rt-14-dev,hyperfine,time,zip,unzip,g++-mingw-w64-i686
run
check "all there: succeeds" rc 0
check "all there: no apt-get" sh -c "[ ! -s '$T/state/calls' ]"
check "all there: no localedef" sh -c "[ \$(grep -c ja_JP '$T/state/locales') = 1 ]"

echo "$passes passed, $fails failed"
[ $fails -eq 0 ]
