#!/usr/bin/env bash
# Installs what the project needs, then builds and runs every test: unit and interop tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a bounded time,
# and the recording benchmarks (which also check that memory does not grow with length).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

bash scripts/build.sh asan
# Tests record through the virtual device, unpaced, and keep their settings in temp folders.
export CORVOX_AUDIO=virtual
# The sound-server tests use a private PulseAudio server: a null output whose monitor hears what
# is played, and a silent input. It is stopped by its process id however the tests end.
pulse_dir=$(mktemp -d)
HOME="$pulse_dir" XDG_RUNTIME_DIR="$pulse_dir" pulseaudio --system=false -n --daemonize=no \
  --exit-idle-time=-1 --use-pid-file=no --log-target="file:$pulse_dir/log" \
  --load="module-null-sink sink_name=corvox_null" --load="module-null-source source_name=corvox_silence" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native" &
pulse_pid=$!
trap 'kill "$pulse_pid" 2>/dev/null; wait "$pulse_pid" 2>/dev/null; rm -rf "$pulse_dir"' EXIT
export PULSE_SERVER="unix:$pulse_dir/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { echo "the test sound server did not start:"; cat "$pulse_dir/log"; exit 1; }
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
kill "$pulse_pid"; wait "$pulse_pid" 2>/dev/null || true
trap 'rm -rf "$pulse_dir"' EXIT

bash scripts/build.sh fuzz
bash fuzz/run.sh build-fuzz/fuzz "${CORVOX_FUZZ_SECONDS:-15}"

bash scripts/build.sh release
bash bench/record_wav.sh build-release/src/cli/corvox
bash bench/record_mp3.sh build-release/src/cli/corvox
bash bench/record_ogg.sh build-release/src/cli/corvox
bash bench/record_wma.sh build-release/src/cli/corvox
bash bench/waveform_read.sh build-release/bench/waveform_read_bench
bash bench/waveform_ogg.sh build-release/bench/waveform_read_bench
bash bench/view_paint.sh build-release/bench/view_paint_bench
