#!/usr/bin/env bash
# The waveform reader graph (file source -> decoder -> waveform sink -> dump file) on long WAV
# and MP3 files, against `ffmpeg -i FILE -f null -` on the same files in the same run. Reports
# the time ratios (goal: at most 1.2) and fails when the reader's peak resident memory grows
# with the file's length (60 minutes against 10 minutes, more than 16 MiB apart).
#   bench/waveform_read.sh [path/to/waveform_read_bench] [minutes of the long files, default 60]
set -euo pipefail
bench=$(realpath "${1:-build-release/bench/waveform_read_bench}")
long_minutes=${2:-60}
short_minutes=10
growth_limit_kib=$((16 * 1024))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds_of() { awk '/Elapsed \(wall clock\)/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' "$1"; }
peak_kib_of() { awk '/Maximum resident set size/ { print $NF }' "$1"; }
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

make_input() {  # make_input NAME MINUTES
  sox -n -r 44100 -c 2 -b 16 "$work/$1.wav" synth "$(($2 * 60))" sine 440 sine 660 vol 0.5
  ffmpeg -nostdin -loglevel error -i "$work/$1.wav" -codec:a libmp3lame -b:a 128k "$work/$1.mp3"
}

status=0
measure() {  # measure FILE: sets reader_s, ffmpeg_s, peak
  command time -v "$bench" "$1" "$work/dump.txt" > "$work/reader.out" 2> "$work/reader.time" || {
    cat "$work/reader.out" "$work/reader.time" >&2
    exit 1
  }
  command time -v ffmpeg -nostdin -loglevel error -i "$1" -f null - 2> "$work/ffmpeg.time"
  reader_s=$(seconds_of "$work/reader.time")
  ffmpeg_s=$(seconds_of "$work/ffmpeg.time")
  peak=$(peak_kib_of "$work/reader.time")
}

echo "bench: making ${short_minutes} and ${long_minutes} minutes of 44.1 kHz stereo as WAV and 128 kbps MP3"
make_input short "$short_minutes"
make_input long "$long_minutes"

for kind in wav mp3; do
  measure "$work/short.$kind"
  short_peak=$peak
  measure "$work/long.$kind"
  header=$(tr '\t\r' ' ' < "$work/reader.out")
  values=$(($(wc -l < "$work/dump.txt") - 1))
  ratio=$(ratio_of "$reader_s" "$ffmpeg_s")
  echo "bench: $kind ${long_minutes} min: reader ${reader_s}s, ffmpeg ${ffmpeg_s}s, ratio ${ratio} (goal 1.2);" \
    "peak RSS ${short_minutes} min ${short_peak} KiB, ${long_minutes} min ${peak} KiB; dump: ${header}and ${values} values"
  if [ "$((peak - short_peak))" -gt "$growth_limit_kib" ]; then
    echo "bench: the reader's memory grows with the file's length ($short_peak KiB -> $peak KiB)" >&2
    status=1
  fi
done
exit $status
