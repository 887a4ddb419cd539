#!/bin/sh
# Lumetra on a real X display (Xvfb) on the emulated keyboard, driven like a user with xdotool:
# the text box is cleared, 你好 typed, Download pressed. The LCD picture the emulated keyboard
# stored and LcdPixel.txt must both show two different Chinese characters drawn with strokes, not
# the hollow missing-glyph boxes.
# Usage: han_under_xvfb.sh <program folder> [chinese]   (exit 77: Xvfb or xdotool missing)
set -eu
BIN=$1
LANGUAGE=${2:-english}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || exit 77
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/config" "$WORK/run" "$WORK/dump"
chmod 700 "$WORK/run"
if [ "$LANGUAGE" = chinese ]; then
  printf "[General]\nLanguage=chinese\n" >"$WORK/config/PX840.conf"
fi

cat >"$WORK/session.sh" <<'SESSION'
set -eu
"$BIN/Lumetra" >"$WORK/program.log" 2>&1 &
PROGRAM=$!
stop() { kill "$PROGRAM" 2>/dev/null || true; wait "$PROGRAM" 2>/dev/null || true; }
trap stop EXIT
WIN=$(timeout 20 xdotool search --sync --onlyvisible --name '^Lumetra$' | head -n1)
sleep 1
at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.3; }
at 240 239                       # the text box
xdotool key ctrl+a BackSpace
sleep 0.3
xdotool type --delay 200 '你好'
sleep 0.5
if [ -n "${SHOT:-}" ] && command -v import >/dev/null; then import -window "$WIN" "$SHOT"; fi
at 412 283                       # Download
for _ in 1 2 3 4 5 6 7 8 9 10; do
  [ -s "$WORK/state.bin" ] && break
  sleep 0.5
done
sleep 0.5
SESSION

export BIN WORK SHOT="${SHOT:-}"
export ORVANE_HOME="$WORK" ORVANE_HID="emulator:$WORK/state.bin" XDG_CONFIG_HOME="$WORK/config"
export XDG_RUNTIME_DIR="$WORK/run" LUMETRA_DUMP_DIR="$WORK/dump"
unset QT_QPA_PLATFORM
xvfb-run -a -s '-screen 0 1280x800x24' sh "$WORK/session.sh"

python3 - "$WORK/state.bin" "$WORK/dump/LcdPixel.txt" <<'CHECK'
import sys
state = open(sys.argv[1], 'rb').read()
assert len(state) == 10587, f"state file has {len(state)} bytes"
assert state[10058] == 1, f"LCD mode {state[10058]}: no text download"
page = state[10059:10059 + 528]
stored = [[(page[132 * (y // 8) + x] >> (y % 8)) & 1 for x in range(132)] for y in range(32)]
rows = open(sys.argv[2], 'rb').read().split(b'\r\n')
assert len(rows) == 33 and rows[32] == b'', "LcdPixel.txt is not 32 lines"
dump = [[int(c) for c in r[:132].decode()] for r in rows[:32]]
assert dump == stored, "the keyboard holds another picture than LcdPixel.txt"
for y in range(32):
    print(''.join('#' if v else '.' for v in dump[y]))
cols = [x for x in range(132) if any(dump[y][x] for y in range(32))]
assert cols, "nothing lit"
mid = (cols[0] + cols[-1] + 1) // 2
glyphs = []
for lo, hi in ((cols[0], mid), (mid, cols[-1] + 1)):
    lit = [(x, y) for y in range(32) for x in range(lo, hi) if dump[y][x]]
    assert lit, "a character is missing"
    x0, x1 = min(p[0] for p in lit), max(p[0] for p in lit)
    y0, y1 = min(p[1] for p in lit), max(p[1] for p in lit)
    # The missing-glyph symbol is a hollow rectangle: nothing lit well inside its edges.
    inside = sum(1 for x, y in lit if x0 + 3 <= x <= x1 - 3 and y0 + 3 <= y <= y1 - 3)
    print(f"glyph x {x0}..{x1} y {y0}..{y1}: {len(lit)} lit, {inside} inside")
    assert y1 - y0 >= 15, "not a full-height character"
    assert inside >= 20, "an empty box, not a character"
    glyphs.append([[dump[y][x] for x in range(x0, x1 + 1)] for y in range(y0, y1 + 1)])
assert glyphs[0] != glyphs[1], "the same symbol twice"
CHECK
