#!/bin/sh
# Installs everything the project needs from Debian's packages. Idempotent:
# does nothing when every package is present and the locale exists.
set -e

PKGS="cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine32:i386 wine64 \
xvfb xauth x11-utils xdotool imagemagick fonts-ipafont locales nkf edict \
manpages-ja googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev \
hyperfine time zip unzip"

missing=""
for p in $PKGS; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo

if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    if ! dpkg --print-foreign-architectures | grep -q i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating ja_JP.UTF-8"
    $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen
fi
