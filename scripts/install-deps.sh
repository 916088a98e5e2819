#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quillmoor needs.
# Run as root; safe to run again (apt-get skips what is already there).
set -euo pipefail

packages=(
  # toolchain and test frameworks
  build-essential cmake ninja-build pkg-config git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  # encoder, probe, preview, media information
  ffmpeg libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libvlc-dev libvlccore-dev vlc-plugin-base vlc-plugin-video-output
  libmediainfo0v5
  # archives, images, XML
  zlib1g-dev libstb-dev libtinyxml-dev
  # updater
  libcurl4-openssl-dev libssl-dev openssl libjsoncpp-dev libgoogle-glog-dev
  # drawing, text, windows
  libcairo2-dev libpango1.0-dev libfontconfig-dev libx11-dev libxext-dev libxrender-dev
  fonts-wqy-microhei fonts-dejavu-core fontconfig
  # desktop dialogs and opening files
  zenity xdg-utils
  # real-window checks
  xvfb xauth xcompmgr imagemagick libxtst6
  # a window manager for the journey and stacking tests, and X input for trying the program by hand
  openbox xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
