#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, run the demo and cross-build.
# Does nothing when they are all present. Run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config git clang-format ccache
  libsdl2-dev libsdl2-image-dev libcairo2-dev libpango1.0-dev libqrencode-dev libts-dev
  libwebp-dev libjpeg-dev libgif-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-wqy-microhei zbar-tools valgrind xvfb xdotool imagemagick
  g++-arm-linux-gnueabihf qemu-user-static qemu-system-arm cpio
  debhelper lintian
  python3 dh-python mypy python3-venv python3-setuptools python3-pip
)

# scripts/setup.sh --fuzz adds what the libFuzzer build needs (clang and its runtimes).
if [ "${1:-}" = --fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
