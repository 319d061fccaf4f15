#!/usr/bin/env bash
# Installs what MERU needs to build and test on a Debian machine (run as root, or with sudo).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
pkgs="cmake ninja-build g++ clang libclang-rt-dev qt6-base-dev libgl-dev libgtest-dev libgmock-dev
      libbenchmark-dev fonts-dejavu-core"
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
