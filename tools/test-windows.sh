#!/bin/sh
# Runs the Windows tests (core and GUI, under Wine in a virtual X display) on
# every Windows build that this host can execute, and ends with one line that
# says which builds were tested and why any was left out. A host that can
# execute neither build fails: no run passes without a Windows test.
#
#     tools/test-windows.sh [BUILD...]   default: every build the host runs
set -u
HERE=$(cd "$(dirname "$0")/.." && pwd)
"$HERE/tools/check-locale.sh" || exit 1
runnable=$("$HERE/tools/wine-host.sh" 2>/dev/null)
note=$("$HERE/tools/wine-host.sh" 2>&1 >/dev/null)
if [ -z "$runnable" ]; then
    echo "$note" >&2
    echo "test-windows: this host can execute no Windows build; no Windows test ran" >&2
    exit 1
fi
wanted=${*:-win32 win64}
"$HERE/tools/wine-prefix.sh" || exit 1

tested="" skipped="" failed=""
for b in $wanted; do
    case " $runnable " in
    *" $b "*) ;;
    *) skipped="$skipped $b"; continue ;;
    esac
    echo "== Windows tests of build/$b"
    if (cd "$HERE/build/$b" && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure --no-tests=error); then
        tested="$tested $b"
    else
        failed="$failed $b"
    fi
done
echo "test-windows: tested:${tested:- none}${failed:+; FAILED:$failed}${skipped:+; skipped:$skipped}; ${note#wine-host: }"
[ -z "$failed" ] && [ -n "$tested" ]
