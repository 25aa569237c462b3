#!/usr/bin/env bash
# Unpaced Ogg Vorbis recording of a long file through the whole recorder graph (capture, tee,
# Vorbis encoder, Ogg multiplexer, file writer), against oggenc at the same quality on the
# same input in the same run. Reports the CPU-time ratio (goal: at most 1.05) and fails when
# the recording is not exactly the input's length or its peak resident memory reaches 64 MiB
# (memory must not grow with length).
#   bench/record_ogg.sh [path/to/corvox] [seconds of audio, default 900]
set -euo pipefail
corvox=$(realpath "${1:-build-release/src/cli/corvox}")
length=${2:-900}
source "$(dirname "$0")/lib.sh"

# Slider position 50 is Vorbis quality 50 * 0.011 - 0.1 = 0.45, oggenc's -q 4.5.
"$corvox" settings set "OGG Configuration" qualityBased=1 quality=50 > /dev/null

command time -v "$corvox" record --format ogg --output "$work/corvox.ogg" > /dev/null 2> "$work/corvox.time"
command time -v oggenc --quiet -q 4.5 -o "$work/oggenc.ogg" "$work/in.wav" 2> "$work/oggenc.time"

in_samples=$(sox --i -s "$work/in.wav")
out_samples=$(ffprobe -v error -show_entries stream=duration_ts -of default=noprint_wrappers=1:nokey=1 \
  "$work/corvox.ogg")
if [ "$in_samples" != "$out_samples" ]; then
  echo "bench: recording has $out_samples samples, input $in_samples" >&2
  exit 1
fi

report_cpu_ratio "corvox record --format ogg" "$work/corvox.time" oggenc "$work/oggenc.time"
