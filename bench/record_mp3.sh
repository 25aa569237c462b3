#!/usr/bin/env bash
# Unpaced MP3 recording of a long file through the whole recorder graph (capture, tee, LAME
# encoder, WAV writer, extraction of the frames), against the lame command line encoder with
# the same bitrate, quality and channel mode on the same input in the same run. Reports the
# CPU-time ratio (goal: at most 1.05) and fails when the recording is not the whole input or
# its peak resident memory reaches 64 MiB (memory must not grow with length).
#   bench/record_mp3.sh [path/to/corvox] [seconds of audio, default 1800]
set -euo pipefail
corvox=$(realpath "${1:-build-release/src/cli/corvox}")
length=${2:-1800}
source "$(dirname "$0")/lib.sh"

# The recorder's defaults: 128 kbit/s CBR, quality 5, 44.1 kHz, plain stereo, no header frame.
"$corvox" settings set "MP3 Configuration" cbrBitrateKbps=128 encodingQuality=5 outputSampleRateHz=44100 \
  channels=2 cbr=1 > /dev/null

command time -v "$corvox" record --format mp3 --output "$work/corvox.mp3" > /dev/null 2> "$work/corvox.time"
command time -v lame --quiet --noreplaygain -t -b 128 -q 5 -m s "$work/in.wav" "$work/lame.mp3" 2> "$work/lame.time"

# The recording holds the whole input: its decoded length is the input's plus at most LAME's
# delay and two frames of padding, as is lame's own.
in_samples=$(sox --i -s "$work/in.wav")
out_samples=$(($(mpg123 -q -s "$work/corvox.mp3" | wc -c) / 4))
if [ "$out_samples" -lt "$in_samples" ] || [ "$out_samples" -gt $((in_samples + 3500)) ]; then
  echo "bench: recording decodes to $out_samples samples, input $in_samples" >&2
  exit 1
fi

report_cpu_ratio "corvox record --format mp3" "$work/corvox.time" lame "$work/lame.time"
