#!/usr/bin/env bash
# Builds the Debian packages from the committed tree in build-pkg-deb/, checks them with lintian,
# installs them, builds and runs the host example against the installed packages
# (scripts/ci-install.sh --system) and removes them again.
#
#   scripts/ci-deb.sh           amd64 (the build machine's architecture), without the test suite
#   KIVO_DEB_CHECK=1 scripts/ci-deb.sh   also runs the test suite inside the package build
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
src=$PWD
out=$src/build-pkg-deb
start=$SECONDS

rm -rf "$out" && mkdir -p "$out/src"
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$out/src"
[ "${KIVO_DEB_CHECK:-0}" = 1 ] || export DEB_BUILD_OPTIONS="nocheck${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
export DEB_BUILD_OPTIONS="parallel=$(nproc)${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
(cd "$out/src" && dpkg-buildpackage -us -uc -b) > "$out/build.log" 2>&1 || { tail -n 60 "$out/build.log"; exit 1; }
echo "deb: packages built after $((SECONDS - start)) s"
ls "$out"/*.deb

# Errors fail the run; warnings are shown.
lintian --fail-on error --suppress-tags no-manual-page "$out"/*.changes

packages=(libkivo-gui0 libkivo-gui-dev kivo-gui-data kivo-gui-tools)
cleanup() { dpkg --purge "${packages[@]/%/-dbgsym}" "${packages[@]}" > /dev/null 2>&1 || true; }
trap cleanup EXIT
cleanup
debs=()
for p in "${packages[@]}"; do debs+=("$out/${p}_"*.deb); done
apt-get install -y -qq --no-install-recommends "${debs[@]}" > "$out/install.log" 2>&1 ||
  { cat "$out/install.log"; exit 1; }
echo "deb: installed $(dpkg-query -W -f='${Package} ${Version}, ' "${packages[@]}")"
scripts/ci-install.sh --system
cleanup
[ -z "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2> /dev/null | grep ' installed$')" ] ||
  { echo "deb: the packages did not uninstall"; exit 1; }
echo "deb: done after $((SECONDS - start)) s"
