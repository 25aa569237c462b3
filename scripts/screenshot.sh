#!/usr/bin/env bash
# Makes docs/screenshot.png for the README: the real program on a virtual X display (Xvfb),
# with a demonstration recording loaded and a stretch selected by a mouse drag (xdotool),
# captured with ffmpeg. Runs on the virtual audio devices with settings of its own.
#   scripts/screenshot.sh [PROGRAM]   (default: the release build, built when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build-release/src/app/vantro-audio-recorder}
if [ ! -x "$program" ]; then
  bash scripts/install-deps.sh
  bash scripts/build.sh release
fi

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Twelve seconds of a tone that swells and fades, so the waveform has a shape to show.
sox -n -r 22050 -c 1 -b 16 "$work/Demo recording.wav" synth 12 sine 150 tremolo 0.4 85 fade 0.3 12 2 vol 0.9

display=":$(( 90 + RANDOM % 100 ))"
Xvfb "$display" -screen 0 640x520x24 -nolisten tcp &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work/config" "$work/music" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_MUSIC_DIR="$work/music" TMPDIR="$work/tmp" HOME="$work" \
  QT_QPA_PLATFORM=xcb "$program" --audio virtual "$work/Demo recording.wav" &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name "Vantro Audio Recorder" | head -1)
sleep 2  # the file is read and drawn

# Drag across the waveform band: the view starts under the menu and the toolbar.
eval "$(xdotool getwindowgeometry --shell "$window")"
view_top=$(( Y + 82 ))
xdotool mousemove $(( X + 140 )) $(( view_top + 60 )) mousedown 1
for step in $(seq 1 10); do
  xdotool mousemove $(( X + 140 + step * 17 )) $(( view_top + 60 ))
  sleep 0.02
done
xdotool mouseup 1
xdotool mousemove $(( X + 600 )) $(( Y + 500 ))
sleep 0.5

mkdir -p docs
ffmpeg -loglevel error -y -f x11grab -video_size "${WIDTH}x${HEIGHT}" -i "$display+$X,$Y" -frames:v 1 docs/screenshot.png
echo "docs/screenshot.png: ${WIDTH}x${HEIGHT}"
