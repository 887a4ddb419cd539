#!/bin/bash
# A person's check of the key map panel on a real X server: a click on the Q key opens the panel,
# F5 typed on the keyboard fills the Single box, the panel's Save and the main Save put F5 on the
# Q key of the emulated keyboard. Screenshots go to $1 (default /tmp/keymapui-xvfb).
# Needs Xvfb (xvfb-run), xdotool and ImageMagick's import; run from the build folder's bin/:
#   xvfb-run -a -s "-screen 0 1280x800x24" tests/keymap/ui/xvfb_check.sh /tmp/shots build-x/bin
set -u
out=${1:-/tmp/keymapui-xvfb}
bin=${2:-build/bin}
mkdir -p "$out"
work=$(mktemp -d)
mkdir -m 0700 "$work/run"
XDG_RUNTIME_DIR="$work/run" ORVANE_HID="emulator:$work/kb.state" ORVANE_HID_TRACE="$work/trace.txt" \
  ORVANE_HOME="$work/" XDG_CONFIG_HOME="$work/cfg" "$bin/QX410-Orvane" >"$work/app.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null; rm -rf "$work"' EXIT
win=""
for _ in $(seq 50); do
  win=$(xdotool search --onlyvisible --name '^QX410-Orvane$' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "no main window"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
mx=$X my=$Y
xdotool mousemove $((mx + 399)) $((my + 277)) click 1   # the Q key
sleep 1.5
panel=""
for w in $(xdotool search --onlyvisible --name '.*'); do   # the panel: the window of its skin's size
  xdotool getwindowgeometry "$w" | grep -q 'Geometry: 325x276' && panel=$w
done
[ -n "$panel" ] || { echo "the panel did not open"; xdotool search --onlyvisible --name . | while read w; do xdotool getwindowname $w; xdotool getwindowgeometry $w; done; import -window root "$out/no-panel.png"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$panel")"
px=$X py=$Y
xdotool mousemove $((px + 150)) $((py + 190)) key F5
sleep 1
import -window root "$out/panel-single-F5.png"
xdotool mousemove $((px + 284)) $((py + 257)) click 1   # the panel's Save
sleep 1
xdotool mousemove $((mx + 950)) $((my + 620)) click 1   # the main Save
sleep 3
import -window root "$out/after-save.png"
if grep -q ' SF 00 0d ' "$work/trace.txt"; then sent=1; else sent=0; fi
echo "key map sent: $sent; state file scan for F5 on Q:"
python3 - "$work/kb.state" <<'PY'
import sys
d = open(sys.argv[1], 'rb').read()[792:792 + 512]
cells = [i for i in range(128) if d[4 * i + 2] == 0x3E]
print("cells sending F5:", cells)
sys.exit(0 if len(cells) == 2 else 1)
PY
ok=$?
[ "$sent" = 1 ] && [ $ok = 0 ] && echo "1 passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
