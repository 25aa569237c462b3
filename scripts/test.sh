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
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

bash scripts/build.sh fuzz
bash fuzz/run.sh build-fuzz/fuzz "${CORVOX_FUZZ_SECONDS:-30}"

bash scripts/build.sh release
bash bench/record_wav.sh build-release/src/cli/corvox
bash bench/record_mp3.sh build-release/src/cli/corvox
bash bench/record_ogg.sh build-release/src/cli/corvox
bash bench/waveform_read.sh build-release/bench/waveform_read_bench
