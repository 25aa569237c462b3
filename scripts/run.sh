#!/usr/bin/env bash
# Installs what the recorder needs, builds it, and opens the recorder's window when a display
# is available; without one it makes a short recording from the default capture device (the
# virtual one where no sound card is present) into the next output file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build-release/src/app/vantro-audio-recorder "$@"
fi
exec build-release/src/cli/corvox record --format wav --seconds "${CORVOX_SECONDS:-5}"
