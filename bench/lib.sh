# Shared by the recording benchmarks; source it after setting `length` (seconds of input).
# Makes a private work folder (removed on exit) with its own settings, music and temporary
# folders, points the virtual device at an unpaced input file, and makes that input.

limit_kib=$((64 * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_MUSIC_DIR="$work/music" HOME="$work/home" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$TMPDIR"
export CORVOX_AUDIO=virtual CORVOX_VIRTUAL_PACE=0 CORVOX_VIRTUAL_INPUT="$work/in.wav"

echo "bench: making ${length}s of 44.1 kHz stereo 16-bit input"
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth "$length" sine 440 sine 660 vol 0.5

# User plus system seconds, and peak resident KiB, from a `time -v` report.
cpu_seconds_of() { awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$1"; }
peak_kib_of() { awk '/Maximum resident set size/ { print $NF }' "$1"; }

# report_cpu_ratio NAME REPORT REFERENCE_NAME REFERENCE_REPORT: prints both CPU times, their
# ratio against the goal of 1.05 (a warning above it) and corvox's peak memory; fails when
# that reaches the 64 MiB limit.
report_cpu_ratio() {
  local ours theirs peak ratio
  ours=$(cpu_seconds_of "$2")
  theirs=$(cpu_seconds_of "$4")
  peak=$(peak_kib_of "$2")
  ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
  echo "bench: $1 ${ours}s CPU, $3 ${theirs}s CPU, ratio ${ratio} (goal 1.05); corvox peak RSS ${peak} KiB"
  if awk -v r="$ratio" 'BEGIN { exit !(r > 1.05) }'; then
    echo "bench: the CPU-time ratio ${ratio} is above the goal of 1.05" >&2
  fi
  if [ "$peak" -ge "$limit_kib" ]; then
    echo "bench: peak resident memory ${peak} KiB reaches the 64 MiB limit" >&2
    return 1
  fi
}
