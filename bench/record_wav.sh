#!/usr/bin/env bash
# Unpaced WAV recording of a long file through the whole recorder graph, against
# `sox in.wav out.wav` on the same input in the same run. Reports the time ratio and fails
# when the recording's peak resident memory reaches 64 MiB (memory must not grow with length).
#   bench/record_wav.sh [path/to/corvox] [seconds of audio, default 3600]
set -euo pipefail
corvox=$(realpath "${1:-build-release/src/cli/corvox}")
length=${2:-3600}
source "$(dirname "$0")/lib.sh"

seconds_of() { awk '/Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' "$1"; }

command time -v "$corvox" record --format wav --output "$work/corvox.wav" > /dev/null 2> "$work/corvox.time"
command time -v sox "$work/in.wav" "$work/sox.wav" 2> "$work/sox.time"

in_samples=$(sox --i -s "$work/in.wav")
out_samples=$(sox --i -s "$work/corvox.wav")
if [ "$in_samples" != "$out_samples" ]; then
  echo "bench: recording has $out_samples samples, input $in_samples" >&2
  exit 1
fi

corvox_s=$(seconds_of "$work/corvox.time")
sox_s=$(seconds_of "$work/sox.time")
peak=$(peak_kib_of "$work/corvox.time")
ratio=$(awk -v a="$corvox_s" -v b="$sox_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
echo "bench: corvox record ${corvox_s}s, sox ${sox_s}s, ratio ${ratio}; corvox peak RSS ${peak} KiB"
if [ "$peak" -ge "$limit_kib" ]; then
  echo "bench: peak resident memory ${peak} KiB reaches the 64 MiB limit" >&2
  exit 1
fi
