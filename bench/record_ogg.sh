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
limit_kib=$((64 * 1024))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_MUSIC_DIR="$work/music" HOME="$work/home" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$TMPDIR"
export CORVOX_AUDIO=virtual CORVOX_VIRTUAL_PACE=0 CORVOX_VIRTUAL_INPUT="$work/in.wav"

echo "bench: making ${length}s of 44.1 kHz stereo 16-bit input"
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth "$length" sine 440 sine 660 vol 0.5

# Slider position 50 is Vorbis quality 50 * 0.011 - 0.1 = 0.45, oggenc's -q 4.5.
"$corvox" settings set "OGG Configuration" qualityBased=1 quality=50 > /dev/null

cpu_seconds_of() { awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$1"; }
peak_kib_of() { awk '/Maximum resident set size/ { print $NF }' "$1"; }

command time -v "$corvox" record --format ogg --output "$work/corvox.ogg" > /dev/null 2> "$work/corvox.time"
command time -v oggenc --quiet -q 4.5 -o "$work/oggenc.ogg" "$work/in.wav" 2> "$work/oggenc.time"

in_samples=$(sox --i -s "$work/in.wav")
out_samples=$(ffprobe -v error -show_entries stream=duration_ts -of default=noprint_wrappers=1:nokey=1 \
  "$work/corvox.ogg")
if [ "$in_samples" != "$out_samples" ]; then
  echo "bench: recording has $out_samples samples, input $in_samples" >&2
  exit 1
fi

corvox_s=$(cpu_seconds_of "$work/corvox.time")
oggenc_s=$(cpu_seconds_of "$work/oggenc.time")
peak=$(peak_kib_of "$work/corvox.time")
ratio=$(awk -v a="$corvox_s" -v b="$oggenc_s" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
echo "bench: corvox record --format ogg ${corvox_s}s CPU, oggenc ${oggenc_s}s CPU, ratio ${ratio} (goal 1.05);" \
  "corvox peak RSS ${peak} KiB"
if awk -v r="$ratio" 'BEGIN { exit !(r > 1.05) }'; then
  echo "bench: the CPU-time ratio ${ratio} is above the goal of 1.05" >&2
fi
if [ "$peak" -ge "$limit_kib" ]; then
  echo "bench: peak resident memory ${peak} KiB reaches the 64 MiB limit" >&2
  exit 1
fi
