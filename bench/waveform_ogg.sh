#!/usr/bin/env bash
# The waveform reader graph on a long Ogg Vorbis file (file source -> Ogg splitter -> Vorbis
# decoder -> waveform sink -> dump file), against `ffmpeg -i FILE -f null -` on the same file
# in the same run. Reports the wall-clock ratio (goal: at most 1.2, a warning above it) and the
# reader's peak resident memory. FFmpeg decodes Vorbis with its own decoder; the same FFmpeg
# run through libvorbis, the library our decoder uses, is reported beside it.
#   bench/waveform_ogg.sh [path/to/waveform_read_bench] [minutes, default 60]
set -euo pipefail
bench=$(realpath "${1:-build-release/bench/waveform_read_bench}")
minutes=${2:-60}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds_of() { awk '/Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' "$1"; }

echo "bench: making ${minutes} minutes of 44.1 kHz stereo as Ogg Vorbis (oggenc, default quality)"
sox -V1 -n -r 44100 -c 2 -b 16 -t wav - synth "$((minutes * 60))" sine 440 sine 660 vol 0.5 | oggenc -Q -o "$work/long.ogg" -

command time -v "$bench" "$work/long.ogg" "$work/dump.txt" > "$work/reader.out" 2> "$work/reader.time" || {
  cat "$work/reader.out" "$work/reader.time" >&2
  exit 1
}
command time -v ffmpeg -nostdin -loglevel error -i "$work/long.ogg" -f null - 2> "$work/ffmpeg.time"
command time -v ffmpeg -nostdin -loglevel error -c:a libvorbis -i "$work/long.ogg" -f null - 2> "$work/libvorbis.time"
reader_s=$(seconds_of "$work/reader.time")
ffmpeg_s=$(seconds_of "$work/ffmpeg.time")
libvorbis_s=$(seconds_of "$work/libvorbis.time")
peak=$(awk '/Maximum resident set size/ { print $NF }' "$work/reader.time")
ratio=$(awk -v a="$reader_s" -v b="$ffmpeg_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
header=$(tr '\t\r' ' ' < "$work/reader.out")
values=$(($(wc -l < "$work/dump.txt") - 1))
echo "bench: ogg ${minutes} min: reader ${reader_s}s, ffmpeg ${ffmpeg_s}s, ratio ${ratio} (goal 1.2);" \
  "ffmpeg through libvorbis ${libvorbis_s}s; peak RSS ${peak} KiB; dump: ${header}and ${values} values"
if awk -v r="$ratio" 'BEGIN { exit !(r > 1.2) }'; then
  echo "bench: the time ratio ${ratio} is above the goal of 1.2" >&2
fi
