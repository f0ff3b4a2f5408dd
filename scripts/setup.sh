#!/usr/bin/env bash
# Installs every Debian package ZANT needs to build, run and test.
# Safe to run again: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev
  libgl-dev libglu1-mesa-dev libegl-dev libegl1-mesa-dev libgl1-mesa-dri
  libmpg123-dev
  libjpeg62-turbo-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2 libftgl-dev
  libpng-dev
  libkissfft-dev
  libmp3lame-dev
  libebur128-dev
  libcli11-dev
  libgtest-dev googletest
  xvfb xauth xdotool x11-utils x11-xserver-utils openbox
  ffmpeg
  pulseaudio pulseaudio-utils
  scdoc man-db desktop-file-utils appstream
  dpkg-dev file lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages are already installed; nothing to do."
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1
  fi
fi

echo "setup: installing ${#missing[@]} package(s): ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: done."
