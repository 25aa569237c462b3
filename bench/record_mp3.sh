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
limit_kib=$((64 * 1024))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_MUSIC_DIR="$work/music" HOME="$work/home" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$TMPDIR"
export CORVOX_AUDIO=virtual CORVOX_VIRTUAL_PACE=0 CORVOX_VIRTUAL_INPUT="$work/in.wav"

echo "bench: making ${length}s of 44.1 kHz stereo 16-bit input"
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth "$length" sine 440 sine 660 vol 0.5

# The recorder's defaults: 128 kbit/s CBR, quality 5, 44.1 kHz, plain stereo, no header frame.
"$corvox" settings set "MP3 Configuration" cbrBitrateKbps=128 encodingQuality=5 outputSampleRateHz=44100 \
  channels=2 cbr=1 > /dev/null

cpu_seconds_of() { awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$1"; }
peak_kib_of() { awk '/Maximum resident set size/ { print $NF }' "$1"; }

command time -v "$corvox" record --format mp3 --output "$work/corvox.mp3" > /dev/null 2> "$work/corvox.time"
command time -v lame --quiet --noreplaygain -t -b 128 -q 5 -m s "$work/in.wav" "$work/lame.mp3" 2> "$work/lame.time"

# The recording holds the whole input: its decoded length is the input's plus at most LAME's
# delay and two frames of padding, as is lame's own.
in_samples=$(sox --i -s "$work/in.wav")
out_samples=$(mpg123 -q -s "$work/corvox.mp3" | wc -c)
out_samples=$((out_samples / 4))
if [ "$out_samples" -lt "$in_samples" ] || [ "$out_samples" -gt $((in_samples + 3500)) ]; then
  echo "bench: recording decodes to $out_samples samples, input $in_samples" >&2
  exit 1
fi

corvox_s=$(cpu_seconds_of "$work/corvox.time")
lame_s=$(cpu_seconds_of "$work/lame.time")
peak=$(peak_kib_of "$work/corvox.time")
ratio=$(awk -v a="$corvox_s" -v b="$lame_s" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
echo "bench: corvox record --format mp3 ${corvox_s}s CPU, lame ${lame_s}s CPU, ratio ${ratio} (goal 1.05);" \
  "corvox peak RSS ${peak} KiB"
if awk -v r="$ratio" 'BEGIN { exit !(r > 1.05) }'; then
  echo "bench: the CPU-time ratio ${ratio} is above the goal of 1.05" >&2
fi
if [ "$peak" -ge "$limit_kib" ]; then
  echo "bench: peak resident memory ${peak} KiB reaches the 64 MiB limit" >&2
  exit 1
fi
