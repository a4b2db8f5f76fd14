#!/bin/sh
# Installs what the project needs from Debian's packages and generates the
# Japanese locale. Idempotent: does nothing when all is there.
#
# Mirrors and hosts differ, so nothing here is assumed; each step is tried:
#  - whether this kernel executes 32-bit code is found by running a static
#    i386 program made with the host's own assembler and linker; the i386
#    architecture and Wine's 32-bit loader are installed only where it runs;
#  - an index that fails to download (a half-synced mirror) is a warning;
#  - a package that cannot be installed is named with what is lost, and the
#    rest is installed one by one;
#  - the locale is generated whatever apt did.
# Exits non-zero only when what is missing leaves no Windows build testable.
#
# Every command is taken from PATH, so tests/setup_test.sh can run this
# with stand-ins and no network.
set -u

BASE="cmake make g++ binutils g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 \
xvfb xauth x11-utils xdotool imagemagick fonts-ipafont locales nkf edict \
manpages-ja googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev \
hyperfine time zip unzip"
I386="g++-mingw-w64-i686 wine32:i386"
LOCALE_GEN=${VEXA_LOCALE_GEN:-/etc/locale.gen}
WORK=${TMPDIR:-/tmp}/vexa-setup.$$
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK"

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
say() { echo "setup: $*"; }
warn() { echo "setup: warning: $*" >&2; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

# What a user loses without a package; empty for the ones any build needs.
lost_without() {
    case $1 in
    wine32:i386) echo "the 32-bit build will not be tested" ;;
    g++-mingw-w64-i686) echo "the 32-bit build (the product) will not be built" ;;
    nkf|edict|manpages-ja) echo "the checks against the peers and their texts will fail" ;;
    libbenchmark-dev|hyperfine|time) echo "make bench will not run" ;;
    clang|libclang-rt-14-dev) echo "the fuzz run will fail" ;;
    imagemagick|xdotool|x11-utils) echo "make screenshot will not run" ;;
    zip|unzip) echo "make dist will not run" ;;
    *) echo "the build or the tests will fail" ;;
    esac
}

# A three-instruction static i386 program (exit 0), made and run here: the
# only sure way to learn whether this kernel executes 32-bit code.
runs_32bit() {
    printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$WORK/exit.s"
    as --32 -o "$WORK/exit.o" "$WORK/exit.s" 2>/dev/null &&
        ld -m elf_i386 -o "$WORK/exit32" "$WORK/exit.o" 2>/dev/null &&
        "$WORK/exit32" 2>/dev/null
}

# The assembler and linker come with binutils; without them nothing is known.
if ! command -v as >/dev/null 2>&1 || ! command -v ld >/dev/null 2>&1; then
    say "installing binutils to find out whether this host executes 32-bit code"
    $SUDO apt-get update -q >/dev/null 2>&1
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends binutils >/dev/null 2>&1
fi
if runs_32bit; then
    host32=yes
    PKGS="$BASE $I386"
else
    host32=no
    say "this host does not execute 32-bit code: only the 64-bit build will be tested (no i386 package is installed)"
    PKGS="$BASE g++-mingw-w64-i686"
fi

missing=""
for p in $PKGS; do
    installed "$p" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    say "installing$missing"
    if [ $host32 = yes ] && ! dpkg --print-foreign-architectures | grep -q i386; then
        $SUDO dpkg --add-architecture i386
    fi
    if ! $SUDO apt-get update -q >"$WORK/update.log" 2>&1; then
        warn "apt-get update failed for some index; going on with the lists there are:"
        grep -E '^(E|W):' "$WORK/update.log" | head -5 | sed 's/^/    /' >&2
    fi
    if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing; then
        warn "installing them together failed; trying one by one"
        for p in $missing; do
            installed "$p" && continue
            DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "$p" \
                >"$WORK/install.log" 2>&1 && continue
            warn "$p cannot be installed: $(lost_without "$p")"
            grep -E '^E:' "$WORK/install.log" | head -2 | sed 's/^/    /' >&2
        done
    fi
fi

# The locale: Wine takes code page 932 from it and maps Japanese file names
# to the disk through it. Kept in locale.gen too, so that a later
# locale-gen does not drop it.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    say "generating ja_JP.UTF-8"
    if [ -w "$LOCALE_GEN" ] || [ -n "$SUDO" ]; then
        grep -q '^ja_JP.UTF-8' "$LOCALE_GEN" 2>/dev/null ||
            echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a "$LOCALE_GEN" >/dev/null
    fi
    $SUDO localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8 ||
        warn "ja_JP.UTF-8 could not be generated (is the package locales installed?): the Windows tests will refuse to run"
fi

# Which Windows builds can be tested now.
testable=""
if installed wine64 && installed g++-mingw-w64-x86-64; then
    testable="win64"
fi
if [ $host32 = yes ] && installed wine32:i386 && installed g++-mingw-w64-i686; then
    testable="win32${testable:+ $testable}"
fi
for p in xvfb googletest; do
    installed "$p" || testable=""
done
if [ -z "$testable" ]; then
    echo "setup: no Windows build can be tested on this host with what could be installed" >&2
    exit 1
fi
say "Windows builds that can be tested here: $testable"
exit 0
