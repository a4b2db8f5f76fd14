#!/bin/sh
# Stops a Windows test run at once on a host without the ja_JP.UTF-8 locale:
# Wine takes code page 932 from it and maps Japanese file names to the disk
# through it, so without it the editor cannot open or save such a file, and
# the tests would pass on what they no longer test.
charmap=$(LC_ALL=ja_JP.UTF-8 locale charmap 2>/dev/null)
if [ "$charmap" != UTF-8 ]; then
    echo "check-locale: the locale ja_JP.UTF-8 is missing on this host (under it the character map is '${charmap:-nothing}', not UTF-8)." >&2
    echo "check-locale: Wine needs it for code page 932 and Japanese file names; tools/setup.sh generates it. No Windows test ran." >&2
    exit 1
fi
