#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, starting from its corpus under tests/corpus/.
# New inputs go to a scratch folder, so the kept corpus only changes by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-fuzz/fuzz}
seconds=${2:-45}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in "$bin"/*_fuzz; do
  name=$(basename "$target" _fuzz)
  mkdir -p "$scratch/$name"
  echo "fuzzing $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/" \
      "$scratch/$name" "tests/corpus/$name" 2> "$scratch/$name.log"; then
    tail -n 40 "$scratch/$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$scratch/$name.log" | tail -n 2
  fi
done
exit $status
