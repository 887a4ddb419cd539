#!/bin/sh
# The macro manager on a real X display (Xvfb), driven like a user with xdotool: the program runs on
# the emulated keyboard, the macro manager is opened from the main window, New, Start Recording, a
# few keys typed, Stop Recording, OK; then MacroDefine.bin must hold the macro with those keys.
# Usage: record_under_xvfb.sh <program folder>   (exit 77: Xvfb or xdotool missing)
set -eu
BIN=$1
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || exit 77
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/config"

cat >"$WORK/session.sh" <<'SESSION'
set -eu
"$BIN/QX410-Orvane" >"$WORK/program.log" 2>&1 &
PROGRAM=$!
stop() { kill "$PROGRAM" 2>/dev/null || true; wait "$PROGRAM" 2>/dev/null || true; }
trap stop EXIT
MAIN=$(timeout 20 xdotool search --sync --onlyvisible --name '^QX410-Orvane$' | head -n1)
sleep 1
# The macro management bar of the main window.
xdotool mousemove --window "$MAIN" 100 "$MACRO_BAR_Y" click 1
DLG=$(timeout 20 xdotool search --sync --onlyvisible --name '^Macro Manager$' | head -n1)
sleep 0.5
at() { xdotool mousemove --window "$DLG" "$1" "$2" click 1; sleep 0.3; }
at 40 380      # New
at 330 112     # Start Recording
xdotool type --delay 120 'qx4'
sleep 0.5
at 330 112     # Stop Recording
if [ -n "${SHOT:-}" ] && command -v import >/dev/null; then import -window "$DLG" "$SHOT"; fi
at 300 412     # OK
sleep 1
SESSION

export BIN WORK SHOT="${SHOT:-}"
export ORVANE_HOME="$WORK" ORVANE_HID="emulator:$WORK/state.bin" XDG_CONFIG_HOME="$WORK/config"
export MACRO_BAR_Y="${MACRO_BAR_Y:-155}"
unset QT_QPA_PLATFORM
xvfb-run -a -s '-screen 0 1280x800x24' sh "$WORK/session.sh"

python3 - "$WORK/MacroDefine.bin" <<'CHECK'
import sys
data = open(sys.argv[1], 'rb').read()
assert len(data) == 169860, f"MacroDefine.bin has {len(data)} bytes"
rec = data[:894]
name = rec[:510].decode('utf-16-le').split('\0')[0]
keys = rec[703:893]
events = [(keys[i], keys[i + 1]) for i in range(0, 190, 2) if keys[i + 1]]
print("macro", repr(name), "events", [f"{t:02x}:{c:02x}" for t, c in events])
assert name == "Macro_001", name
codes = [c for t, c in events]
assert codes == [0x51, 0x51, 0x58, 0x58, 0x34, 0x34], codes
assert [t & 0x80 for t, c in events] == [0, 0x80] * 3
CHECK
