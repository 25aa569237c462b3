#!/usr/bin/env bash
# A real-time recording killed (SIGKILL) at twenty random moments per export format (WAV,
# compressed WAV, MP3, Ogg, WMA), each recovered with `corvox recover` and checked: the file
# decodes without errors (ffmpeg; sox, ogginfo, mpg123 for their formats) and holds the audio
# captured before the kill but at most its last second (two for WMA). Prints, per format, the
# largest and the mean shortfall. CI runs two moments per format of the same test.
#   bench/kill_recovery.sh [path/to/corvox_interop_tests] [moments per format, default 20]
#                          [latest moment in seconds, default 10]
# CORVOX_KILL_SEED=<n> repeats a run's random moments.
set -euo pipefail
tests=$(realpath "${1:-build-release/tests/corvox_interop_tests}")
export CORVOX_KILL_MOMENTS=${2:-20} CORVOX_KILL_LATEST=${3:-10} CORVOX_AUDIO=virtual

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$tests" --gtest_filter='KillRecovery.*' > "$log" 2>&1 || status=$?
grep -E '^(kill recovery|\[  FAILED  \]|.*Failure$)' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "bench: kill recovery failed; the whole log:" >&2
  cat "$log" >&2
fi
exit "$status"
