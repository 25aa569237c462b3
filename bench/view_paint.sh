#!/usr/bin/env bash
# Painting the waveform view costs the same for a one-hour recording as for a one-minute one,
# because only the visible columns are drawn. Reports the ratio of the mean paint times and
# fails above 1.5.
#   bench/view_paint.sh [path/to/view_paint_bench]
set -euo pipefail
bench=$(realpath "${1:-build-release/bench/view_paint_bench}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

sox -n -r 8000 -c 1 -b 16 "$work/minute.wav" synth 60 sine 300 tremolo 0.5 80 vol 0.8
sox -n -r 8000 -c 1 -b 16 "$work/hour.wav" synth 3600 sine 300 tremolo 0.5 80 vol 0.8

# The bench's line goes to standard error as it is (reopening /dev/stderr would truncate a log
# file it points to) and its mean paint time to standard output.
paint_us() {
  local line
  line=$("$bench" "$1")
  echo "$line" >&2
  awk '{ print $(NF - 3) }' <<< "$line"
}
minute=$(paint_us "$work/minute.wav")
hour=$(paint_us "$work/hour.wav")
ratio=$(awk -v a="$hour" -v b="$minute" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
echo "bench: view paint one hour ${hour} us, one minute ${minute} us, ratio ${ratio} (goal about 1, limit 1.5)"
if awk -v r="$ratio" 'BEGIN { exit !(r > 1.5) }'; then
  echo "bench: painting grows with the recording's length" >&2
  exit 1
fi
