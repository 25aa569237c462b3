#!/usr/bin/env bash
# Configures and builds one flavour of the project into build-<flavour>:
#   release  optimised, no sanitizers (the program and the benchmarks)
#   asan     AddressSanitizer + UndefinedBehaviorSanitizer, with tests
#   fuzz     clang with libFuzzer targets
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
jobs=$(nproc)
case "$flavour" in
  release) cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVOX_TESTS=OFF ;;
  asan)    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVOX_SANITIZE=ON ;;
  fuzz)    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
             -DCORVOX_TESTS=OFF -DCORVOX_FUZZ=ON ;;
  *) echo "unknown build flavour: $flavour" >&2; exit 2 ;;
esac
# The fuzz build makes only the fuzz targets and the layers they link.
target=()
[ "$flavour" = fuzz ] && target=(--target fuzz_targets)
cmake --build "build-$flavour" -j "$jobs" "${target[@]}"
