#!/usr/bin/env bash
# Installs every Debian 12 package Tarnquill needs to build, run and test.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libgl-dev
  libpcre2-dev libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  fonts-arphic-uming
  mdbtools
  default-jre-headless libcommons-lang3-java libcommons-logging-java
)
# One query for all of them: a second run finds everything installed at once.
installed="$( (dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true) |
  awk '/ install ok installed$/ {print $1}')"
missing=()
for p in "${packages[@]}"; do
  grep -qx "$p" <<< "$installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
fi
