#!/bin/sh
# One program seen and driven through the real accessibility bus, as a screen reader sees it.
#
# Usage: run.sh [--language english|chinese] [--env NAME=VALUE]... <program> <check.py> [check args...]
#
# Under Xvfb (xvfb-run -a) and a private D-Bus session (dbus-run-session) this starts the AT-SPI
# bus (at-spi-bus-launcher; the registry is started on demand by the bus), waits until it
# answers, starts <program> with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the emulated keyboard, then
# runs `/usr/bin/python3 <check.py> [check args...]` (Debian's interpreter, which has pyatspi; a
# python3 earlier in PATH may not). The program is stopped when the check ends; the exit code is
# the check's.
#
# The program runs in a temporary folder of its own, never on the user's files:
#   ORVANE_HOME, HOME          $ATSPI_WORK/home
#   XDG_CONFIG_HOME            $ATSPI_WORK/config (PX840.conf selects the --language; english by default)
#   XDG_DATA_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR, LUMETRA_DUMP_DIR   below $ATSPI_WORK
#   ORVANE_HID                 emulator:$ATSPI_WORK/state.bin (the emulated keyboard's memory)
# --env NAME=VALUE sets or overrides a variable for the program and the check.
#
# The check gets ATSPI_WORK, ATSPI_APP (the application's name on the bus: the program file's
# name), ATSPI_LANGUAGE, ATSPI_PROGRAM_PID, and tests/support/atspi on PYTHONPATH, so it can `import atspi_check`,
# whose run(check) waits for the application and calls check(app); its helpers find objects by
# role and name with a deadline and print the tree when something is not there.
#
# Exit 77 (a skip, SKIP_RETURN_CODE in CTest) only when the accessibility bus cannot be had:
# dbus-run-session, at-spi-bus-launcher or pyatspi missing, or the bus does not answer. A missing
# X server or a program that does not appear on the bus is a failure.
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
PYTHON=/usr/bin/python3
LAUNCHER=/usr/libexec/at-spi-bus-launcher
LANGUAGE=english
ENVS=""

usage() {
    echo "usage: $0 [--language english|chinese] [--env NAME=VALUE]... <program> <check.py> [check args...]" >&2
    exit 2
}
skip() {
    echo "SKIP: $*" >&2
    exit 77
}

while [ $# -gt 0 ]; do
    case $1 in
    --language)
        [ $# -ge 2 ] || usage
        LANGUAGE=$2
        shift 2
        ;;
    --env)
        [ $# -ge 2 ] || usage
        case $2 in *=*) ;; *) usage ;; esac
        ENVS="$ENVS$2
"
        shift 2
        ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
    esac
done
[ $# -ge 2 ] || usage
case $LANGUAGE in english | chinese) ;; *) usage ;; esac
PROGRAM=$1
CHECK=$2
shift 2
[ -x "$PROGRAM" ] || { echo "FAIL: $PROGRAM is not an executable program" >&2; exit 1; }
[ -f "$CHECK" ] || { echo "FAIL: no check script $CHECK" >&2; exit 1; }

command -v dbus-run-session >/dev/null || skip "dbus-run-session is missing (Debian package dbus-daemon): no accessibility bus"
[ -x "$LAUNCHER" ] || skip "$LAUNCHER is missing (Debian package at-spi2-core): no accessibility bus"
[ -x "$PYTHON" ] && "$PYTHON" -c 'import pyatspi' 2>/dev/null ||
    skip "$PYTHON cannot import pyatspi (Debian package python3-pyatspi)"
command -v xvfb-run >/dev/null || { echo "FAIL: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }

ATSPI_WORK=$(mktemp -d)
trap 'rm -rf "$ATSPI_WORK"' EXIT
mkdir -p "$ATSPI_WORK/home" "$ATSPI_WORK/config" "$ATSPI_WORK/data" "$ATSPI_WORK/cache" "$ATSPI_WORK/run" \
    "$ATSPI_WORK/dump"
chmod 700 "$ATSPI_WORK/run"
if [ "$LANGUAGE" = chinese ]; then
    printf '[General]\nLanguage=chinese\n' >"$ATSPI_WORK/config/PX840.conf"
fi

export ATSPI_WORK ATSPI_APP="$(basename "$PROGRAM")" ATSPI_LANGUAGE="$LANGUAGE"
export ATSPI_PROGRAM="$PROGRAM" ATSPI_CHECK="$CHECK" ATSPI_PYTHON="$PYTHON" ATSPI_LAUNCHER="$LAUNCHER"
export HOME="$ATSPI_WORK/home" ORVANE_HOME="$ATSPI_WORK/home" XDG_CONFIG_HOME="$ATSPI_WORK/config"
export XDG_DATA_HOME="$ATSPI_WORK/data" XDG_CACHE_HOME="$ATSPI_WORK/cache" XDG_RUNTIME_DIR="$ATSPI_WORK/run"
export LUMETRA_DUMP_DIR="$ATSPI_WORK/dump" ORVANE_HID="emulator:$ATSPI_WORK/state.bin"
export PYTHONPATH="$HERE${PYTHONPATH:+:$PYTHONPATH}" PYTHONDONTWRITEBYTECODE=1
# Each --env line as given: the value may hold anything but a newline.
while IFS= read -r assignment; do
    [ -n "$assignment" ] && export "$assignment"
done <<EOF
$ENVS
EOF
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

# Inside the session: the bus, then the program, then the check. The program's output goes to a
# log that is shown when the check fails.
cat >"$ATSPI_WORK/session.sh" <<'SESSION'
set -u
"$ATSPI_LAUNCHER" --launch-immediately >"$ATSPI_WORK/bus.log" 2>&1 &
LAUNCHER_PID=$!
PROGRAM_PID=
stop() {
    [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null && wait "$PROGRAM_PID" 2>/dev/null
    kill "$LAUNCHER_PID" 2>/dev/null && wait "$LAUNCHER_PID" 2>/dev/null
    return 0
}
trap stop EXIT
"$ATSPI_PYTHON" -c 'import atspi_check; atspi_check.wait_for_bus()' || {
    status=$?
    [ -s "$ATSPI_WORK/bus.log" ] && sed 's/^/bus: /' "$ATSPI_WORK/bus.log" >&2
    exit $status
}
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$ATSPI_PROGRAM" >"$ATSPI_WORK/program.log" 2>&1 &
PROGRAM_PID=$!
ATSPI_PROGRAM_PID=$PROGRAM_PID "$ATSPI_PYTHON" "$ATSPI_CHECK" "$@"
status=$?
if [ $status -ne 0 ] && [ -s "$ATSPI_WORK/program.log" ]; then
    echo "--- $ATSPI_APP's output:" >&2
    cat "$ATSPI_WORK/program.log" >&2
fi
exit $status
SESSION

xvfb-run -a -s '-screen 0 1280x800x24' dbus-run-session -- sh "$ATSPI_WORK/session.sh" "$@"
