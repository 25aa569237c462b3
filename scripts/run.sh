#!/usr/bin/env bash
# Installs what the recorder needs, builds it, and makes a short recording from the default
# capture device (the virtual one where no sound card is present) into the next output file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
exec build-release/src/cli/corvox record --format wav --seconds "${CORVOX_SECONDS:-5}"
