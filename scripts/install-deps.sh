#!/usr/bin/env bash
# Installs every Debian package the recorder needs to build, run and test.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  libogg-dev libvorbis-dev libmp3lame-dev libboost-dev
  libasound2-dev libpulse-dev pulseaudio pulseaudio-utils
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libcurl4-openssl-dev qt6-base-dev
  # The window's status font (a Verdana-like sans), and a virtual display for the README's screenshot.
  fonts-dejavu-core xvfb xdotool x11-utils
  ffmpeg vorbis-tools sox libsox-fmt-base mpg123 lame time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -y
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
