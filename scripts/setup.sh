#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs everything Trovexa needs on Debian 12 (run as root) and builds
# the application folder at build/app/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # tool chain
  build-essential cmake ninja-build pkg-config git lld
  clang libclang-rt-14-dev clang-format
  # libraries
  qt6-base-dev qt6-multimedia-dev libqt6multimediawidgets6 libgl-dev
  libavformat-dev libavcodec-dev libavutil-dev
  libfreetype-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # the real tools behind the front-ends in the application folder
  ffmpeg flvmeta x11-common
  # watermark fonts
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-freefont-ttf
  # playback for the FLV player tab (plugins-bad: the H.264 parser)
  gstreamer1.0-libav gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  # the batch recipe run by the suite
  parallel
  # headless test runs
  xvfb xauth
  # the Debian package and its checks
  dpkg-dev lintian desktop-file-utils appstream man-db
  # a private session bus for the desktop notification test
  dbus-daemon
)

if [ "$(id -u)" -eq 0 ]; then
  missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
  fi
else
  echo "setup: not root, skipping package installation" >&2
fi

build_type=${BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type"
cmake --build build --parallel "$(nproc)"

# The desktop entry and icon for the user running the set-up.
bash scripts/install-desktop.sh || true
