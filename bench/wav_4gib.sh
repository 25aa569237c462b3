#!/usr/bin/env bash
# A WAV recording past 4 GiB for real, outside CI: the virtual device's tone at 192 kHz,
# stereo, 32 bits (1.5 MB per second of audio), unpaced, for 3000 s by default (4.6 GB). The
# recording must come out as the output file and its numbered continuation, each no larger
# than 4 GiB - 1, each read by sox and ffprobe without a word and decoded by ffmpeg without
# an error, together holding every recorded sample. Needs about 10 GB free beside TMPDIR.
#   bench/wav_4gib.sh [path/to/corvox] [seconds of audio, default 3000]
set -euo pipefail
corvox=$(realpath "${1:-build-release/src/cli/corvox}")
seconds=${2:-3000}
rate=192000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
free_kib=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$free_kib" -lt $((10 * 1024 * 1024)) ]; then
  echo "bench: skipped, only $((free_kib / 1024)) MiB free in $work (10 GiB needed)" >&2
  exit 0
fi
export XDG_CONFIG_HOME="$work/config" HOME="$work/home" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$TMPDIR"
export CORVOX_AUDIO=virtual CORVOX_VIRTUAL_PACE=0
unset CORVOX_VIRTUAL_INPUT CORVOX_WAV_PART_LIMIT
"$corvox" settings set "Device Settings 0" samplesPerSec=$rate channels=2 bitsPerSample=32 > /dev/null

echo "bench: recording ${seconds}s of 192 kHz stereo 32-bit audio"
start=$(date +%s)
"$corvox" record --format wav --seconds "$seconds" --output "$work/long.wav" > "$work/files" 2> "$work/err"
echo "bench: recorded in $(($(date +%s) - start))s"
mapfile -t files < "$work/files"
if [ "${#files[@]}" -ne 2 ] || [ "${files[0]}" != "$work/long.wav" ] || [ "${files[1]}" != "$work/long002.wav" ]; then
  echo "bench: expected long.wav and long002.wav, corvox named: ${files[*]}" >&2
  cat "$work/err" >&2
  exit 1
fi

total=0
for file in "${files[@]}"; do
  size=$(stat -c %s "$file")
  samples=$(sox --i -s "$file" 2> "$work/sox.err")
  ffprobe -v warning -show_entries stream=duration_ts -of csv=p=0 "$file" > "$work/probe" 2> "$work/probe.err"
  ffmpeg -v error -i "$file" -f null - 2> "$work/decode.err"
  echo "bench: $(basename "$file"): $size bytes, $samples samples (sox), $(cat "$work/probe") (ffprobe)"
  if [ "$size" -gt 4294967295 ] || [ -s "$work/sox.err" ] || [ -s "$work/probe.err" ] || [ -s "$work/decode.err" ]; then
    echo "bench: $(basename "$file") is too large or a tool complained:" >&2
    cat "$work/sox.err" "$work/probe.err" "$work/decode.err" >&2
    exit 1
  fi
  total=$((total + samples))
done
if [ "$total" -ne $((seconds * rate)) ]; then
  echo "bench: the parts hold $total samples, $((seconds * rate)) were recorded" >&2
  exit 1
fi
echo "bench: both parts read cleanly and hold all $total samples"
