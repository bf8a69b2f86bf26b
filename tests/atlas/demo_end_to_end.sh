#!/usr/bin/env bash
# Starts zylcarto-demo on a virtual X display and does what a user does, with
# real X pointer and key events, checking the demo's status output: a zoom click
# at the capital selects a finer map and keeps the spot under the pointer, whose
# readout is the new map's; wheel notches keep the place under the pointer, also
# across map switches; Backspace goes back to the map shown before; a landmark
# added with the tool (named in its dialog) makes quitting ask first.
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
demo=${1:?usage: demo_end_to_end.sh path/to/zylcarto-demo}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display number"; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

QT_QPA_PLATFORM=xcb "$demo" --status --data-dir "$work/atlas" >"$work/out" 2>"$work/err" &
pids+=($!)

degrees() { awk '{ lat = $2 + 0; if ($3 ~ /S/) lat = -lat; lon = $4 + 0; if ($5 ~ /W/) lon = -lon; print lat, lon }' <<<"$1"; }
# Metres between the places of two readout lines.
metres_between() {
  local lat1 lon1 lat2 lon2
  read -r lat1 lon1 < <(degrees "$1")
  read -r lat2 lon2 < <(degrees "$2")
  awk -v a="$lat1" -v b="$lon1" -v c="$lat2" -v d="$lon2" 'BEGIN {
    dy = (c - a) * 111320; dx = (d - b) * 111320 * cos(a * 3.14159265 / 180); printf "%.1f", sqrt(dx * dx + dy * dy) }'
}
# Fails unless the place under the pointer stayed within Limit metres.
expect_place_kept() {
  local what=$1 before=$2 after=$3 limit=$4 m
  m=$(metres_between "$before" "$after")
  echo "$what: the place under the pointer moved $m m (allowed $limit m)"
  awk -v m="$m" -v l="$limit" 'BEGIN { exit !(m <= l) }' || { echo "$what moved the place under the pointer"; exit 1; }
}
# Waits until the status output has at least N lines starting with "map ".
wait_for_maps() {
  for _ in $(seq 300); do
    [ "$(grep -c '^map ' "$work/out" || true)" -ge "$1" ] && grep -q '^ready' "$work/out" && return 0
    sleep 0.1
  done
  echo "the demo did not report map number $1"; cat "$work/out" "$work/err"; exit 1
}
field() { grep "^$1 " "$work/out" | tail -1 | awk -v k="$2" '{print $k}'; }

wait_for_maps 1
first_res=$(grep '^map ' "$work/out" | head -1 | awk '{print $3}')
read -r zx zy < <(grep '^zoom-button ' "$work/out" | tail -1 | awk '{print $2, $3}')
read -r tx ty < <(grep '^town Port Zyl ' "$work/out" | tail -1 | awk '{print $4, $5}')
[ -n "$tx" ] || { echo "the capital is not on the first map"; cat "$work/out"; exit 1; }

xdotool mousemove --sync "$zx" "$zy" click 1
sleep 0.5
seen=$(grep -c '^position ' "$work/out" || true)
xdotool mousemove --sync "$tx" "$ty"
for _ in $(seq 100); do [ "$(grep -c '^position ' "$work/out")" -gt "$seen" ] && break; sleep 0.1; done
before_click=$(grep '^position ' "$work/out" | tail -1)
xdotool click 1
wait_for_maps 2
second=$(grep '^map ' "$work/out" | sed -n 2p)
second_res=$(echo "$second" | awk '{print $3}')
echo "first map resolution $first_res m/pixel, after the zoom click: $second"
awk -v a="$first_res" -v b="$second_res" 'BEGIN { exit !(b < a) }' || { echo "no finer map was selected"; exit 1; }

# The readout after the zoom must equal the one the new map gives after the
# cursor leaves the spot and comes back to it.
after_zoom=$(grep '^position ' "$work/out" | tail -1 || true)
[ -n "$after_zoom" ] || { echo "no position readout after the zoom"; cat "$work/out"; exit 1; }
seen=$(grep -c '^position ' "$work/out")
xdotool mousemove --sync "$((tx + 7))" "$ty"
xdotool mousemove --sync "$tx" "$ty"
for _ in $(seq 100); do [ "$(grep -c '^position ' "$work/out")" -ge $((seen + 2)) ] && break; sleep 0.1; done
after_move=$(grep '^position ' "$work/out" | tail -1)
echo "readout after the zoom: ${after_zoom#position }; after moving back: ${after_move#position }"
[ "$after_zoom" = "$after_move" ] || { echo "the readout after the zoom is not the new map's"; exit 1; }
# A zoom click keeps the clicked spot under the pointer (within a pixel of the first map).
expect_place_kept "the zoom click" "$before_click" "$after_zoom" "$first_res"

# Wheel notches zoom around the pointer: from the second on (the first may have
# to bring a fitted map onto the control), the place under it moves by less
# than a screen pixel.
wheel_notch() {
  local zooms
  zooms=$(grep -c '^magnification ' "$work/out" || true)
  xdotool click "${1:-4}"
  for _ in $(seq 100); do [ "$(grep -c '^magnification ' "$work/out")" -gt "$zooms" ] && break; sleep 0.1; done
  [ "$(grep -c '^magnification ' "$work/out")" -gt "$zooms" ] || { echo "the wheel did not zoom"; cat "$work/out"; exit 1; }
}
wheel_notch
mag1=$(field magnification 2)
before_wheel=$(grep '^position ' "$work/out" | tail -1)
wheel_notch
mag2=$(field magnification 2)
after_wheel=$(grep '^position ' "$work/out" | tail -1)
echo "a wheel notch zoomed from $mag1 to $mag2; readout ${before_wheel#position } then ${after_wheel#position }"

read -r lat1 lon1 < <(degrees "$before_wheel")
read -r lat2 lon2 < <(degrees "$after_wheel")
awk -v a="$lat1" -v b="$lon1" -v c="$lat2" -v d="$lon2" -v r="$second_res" -v m1="$mag1" -v m2="$mag2" 'BEGIN {
  dy = (c - a) * 111320; dx = (d - b) * 111320 * cos(a * 3.14159265 / 180)
  m = sqrt(dx * dx + dy * dy); printf "the place under the pointer moved %.1f m (a screen pixel: %.1f m)\n", m, r / m2
  exit !(m2 > m1 && m < r / m2) }' || { echo "the wheel zoom moved the place under the pointer"; exit 1; }

# The wheel went on to the town map in its first notch. Back out with it until
# the atlas switches to a coarser map: the place under the pointer stays
# (within a screen pixel of the map left).
left_res=$(field map 3)
maps_before=$(grep -c '^map ' "$work/out")
for _ in $(seq 24); do
  before_switch=$(grep '^position ' "$work/out" | tail -1)
  mag_before=$(field magnification 2)
  wheel_notch 5
  [ "$(grep -c '^map ' "$work/out")" -gt "$maps_before" ] && break
done
[ "$(grep -c '^map ' "$work/out")" -gt "$maps_before" ] || { echo "the wheel did not reach a coarser map"; cat "$work/out"; exit 1; }
sleep 0.3
after_switch=$(grep '^position ' "$work/out" | tail -1)
echo "wheel switch to: $(grep '^map ' "$work/out" | tail -1)"
expect_place_kept "the wheel's map switch" "$before_switch" "$after_switch" \
  "$(awk -v r="$left_res" -v m="$mag_before" 'BEGIN { printf "%.1f", 1.5 * r / m }')"

# Backspace goes back through the views to the map shown before.
maps_before=$(grep -c '^map ' "$work/out")
for _ in $(seq 6); do
  xdotool key BackSpace
  sleep 0.3
  [ "$(grep -c '^map ' "$work/out")" -gt "$maps_before" ] && break
done
back=$(grep '^map ' "$work/out" | tail -1)
echo "after Backspace: $back"
[ "$(echo "$back" | awk '{print $3}')" = "$left_res" ] || { echo "Backspace did not return to the map before"; exit 1; }
# Its readout again.
read -r cx cy < <(grep '^town Port Zyl ' "$work/out" | tail -1 | awk '{print $4, $5}')

# Pointer mode, the landmark tool, a click on the map: one landmark more.
read -r px py < <(grep '^pointer-button ' "$work/out" | tail -1 | awk '{print $2, $3}')
read -r lx ly < <(grep '^tool add-landmark ' "$work/out" | tail -1 | awk '{print $3, $4}')
read -r cx cy < <(grep '^town Port Zyl ' "$work/out" | tail -1 | awk '{print $4, $5}')
xdotool mousemove --sync "$px" "$py" click 1
xdotool mousemove --sync "$lx" "$ly" click 1
xdotool mousemove --sync "$((cx + 40))" "$((cy + 30))" click 1
# The tool asks for the name, offering one: Return takes it.
sleep 1
xdotool key Return
for _ in $(seq 100); do grep -q '^landmarks ' "$work/out" && break; sleep 0.1; done
count=$(grep '^landmarks ' "$work/out" | tail -1 | awk '{print $2}')
echo "landmarks after the tool's click: ${count:-none}"
[ "${count:-0}" -eq 4 ] || { echo "the landmark tool added no landmark"; cat "$work/out"; exit 1; }

# Quitting with that landmark unsaved asks first; Cancel keeps the demo running.
demo_pid=${pids[1]}
# Without a window manager the focus went with the closed name dialog: back to the main window.
main_window=$(xdotool search --onlyvisible --name '^zylcarto demo' | head -1)
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+q
question=
for _ in $(seq 50); do
  question=$(xdotool search --onlyvisible --name '^Quit' 2>/dev/null | head -1 || true)
  [ -n "$question" ] && break
  sleep 0.1
done
[ -n "$question" ] || { echo "quitting with unsaved landmarks asked nothing"; exit 1; }
echo "quitting with an unsaved landmark asks first"
xdotool key Escape
sleep 0.5
kill -0 "$demo_pid" 2>/dev/null || { echo "the demo quit although the question was cancelled"; exit 1; }
