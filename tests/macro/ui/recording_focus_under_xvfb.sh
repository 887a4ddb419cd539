#!/bin/sh
# Recording keeps every key: with an existing macro "Keys", New, Start Recording and q, Tab, k, w typed
# on a real X display (Xvfb, xdotool). Tab must not move the focus into the macro list, whose
# type-ahead would then select "Keys" and append the following keys to it: the new macro holds all
# four keys and "Keys" is unchanged in MacroDefine.bin.
# Usage: recording_focus_under_xvfb.sh <program folder>   (exit 77: Xvfb or xdotool missing)
set -eu
BIN=$1
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v python3 >/dev/null || exit 77
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/config"

# MacroDefine.bin with record 0 named "Keys", one A press and release, loop count 1.
python3 - "$WORK/MacroDefine.bin" <<'MAKE'
import sys
rec = bytearray(894)
rec[0:8] = "Keys".encode('utf-16-le')
rec[510] = 1
rec[513:517] = bytes([0x01, 0x04, 0x81, 0x04])
rec[703:707] = bytes([0x01, 0x41, 0x81, 0x41])
open(sys.argv[1], 'wb').write(bytes(rec) + bytes(894 * 189))
MAKE
cp "$WORK/MacroDefine.bin" "$WORK/before.bin"

cat >"$WORK/session.sh" <<'SESSION'
set -eu
"$BIN/QX410-Orvane" >"$WORK/program.log" 2>&1 &
PROGRAM=$!
stop() { kill "$PROGRAM" 2>/dev/null || true; wait "$PROGRAM" 2>/dev/null || true; }
trap stop EXIT
MAIN=$(timeout 20 xdotool search --sync --onlyvisible --name '^QX410-Orvane$' | head -n1)
sleep 1
xdotool mousemove --window "$MAIN" 100 "$MACRO_BAR_Y" click 1
DLG=$(timeout 20 xdotool search --sync --onlyvisible --name '^Macro Manager$' | head -n1)
sleep 0.5
at() { xdotool mousemove --window "$DLG" "$1" "$2" click 1; sleep 0.3; }
at 40 380      # New
at 330 112     # Start Recording
xdotool type --delay 150 'q'
xdotool key --delay 150 Tab
xdotool type --delay 150 'kw'
sleep 0.5
if [ -n "${SHOT:-}" ] && command -v import >/dev/null; then import -window "$DLG" "$SHOT"; fi
at 330 112     # Stop Recording
at 300 412     # OK
sleep 1
SESSION

export BIN WORK SHOT="${SHOT:-}"
export ORVANE_HOME="$WORK" ORVANE_HID="emulator:$WORK/state.bin" XDG_CONFIG_HOME="$WORK/config"
export MACRO_BAR_Y="${MACRO_BAR_Y:-155}"
unset QT_QPA_PLATFORM
xvfb-run -a -s '-screen 0 1280x800x24' sh "$WORK/session.sh"

python3 - "$WORK/MacroDefine.bin" "$WORK/before.bin" <<'CHECK'
import sys
data = open(sys.argv[1], 'rb').read()
before = open(sys.argv[2], 'rb').read()
assert len(data) == 169860, f"MacroDefine.bin has {len(data)} bytes"
def show(n):
    rec = data[894 * n:894 * (n + 1)]
    name = rec[:510].decode('utf-16-le').split('\0')[0]
    keys = rec[703:893]
    return name, [(keys[i], keys[i + 1]) for i in range(0, 190, 2) if keys[i + 1]]
for n in (0, 1):
    name, events = show(n)
    print("macro", n, repr(name), "events", [f"{t:02x}:{c:02x}" for t, c in events])
assert data[:894] == before[:894], "the macro \"Keys\" was changed"
name, events = show(1)
assert name == "Macro_001", name
assert [c for t, c in events] == [0x51, 0x51, 0x09, 0x09, 0x4B, 0x4B, 0x57, 0x57], events
assert [t & 0x80 for t, c in events] == [0, 0x80] * 4
CHECK
