#!/usr/bin/env bash
# Unpaced WMA recording of a long file through the whole recorder graph (capture, tee, ASF
# writer with FFmpeg's wmav2 encoder and ASF muxer), against `ffmpeg -c:a wmav2` at the same
# bitrate on the same input in the same run. Reports the CPU-time ratio (goal: at most 1.05)
# and fails when the recording is not the whole input or its peak resident memory reaches
# 64 MiB (memory must not grow with length).
#   bench/record_wma.sh [path/to/corvox] [seconds of audio, default 1800]
set -euo pipefail
corvox=$(realpath "${1:-build-release/src/cli/corvox}")
length=${2:-1800}
source "$(dirname "$0")/lib.sh"

# The recorder's default: format 24 of the first codec, 128 kbit/s, 44.1 kHz stereo.
"$corvox" settings set "WMA Configuration" codecIndex=0 formatIndex=24 vbr=0 > /dev/null

command time -v "$corvox" record --format wma --output "$work/corvox.wma" > /dev/null 2> "$work/corvox.time"
command time -v ffmpeg -v error -nostdin -threads 1 -i "$work/in.wav" -c:a wmav2 -b:a 128k "$work/ffmpeg.wma" \
  2> "$work/ffmpeg.time"

# The recording holds the whole input: decoded, it is the input plus less than one block.
in_samples=$(sox --i -s "$work/in.wav")
out_samples=$(($(ffmpeg -v error -nostdin -i "$work/corvox.wma" -f s16le - | wc -c) / 4))
if [ "$out_samples" -lt "$in_samples" ] || [ "$out_samples" -ge $((in_samples + 2048)) ]; then
  echo "bench: recording decodes to $out_samples samples, input $in_samples" >&2
  exit 1
fi

report_cpu_ratio "corvox record --format wma" "$work/corvox.time" "ffmpeg -c:a wmav2" "$work/ffmpeg.time"
