# Sourced by the scripts that build for 32-bit ARM (ci-armhf.sh, ci-board.sh).
#
# armhf_root DIR PACKAGE... fills DIR/root with the armhf packages and everything they depend on,
# unpacked, with apt's own state in DIR, so the machine's package set and architectures stay
# untouched. Each package also stays apart with its control files in DIR/pkgs/<name>. Nothing is
# fetched again while DIR/root.stamp names the same packages. On failure it sets $reason and
# returns 1.

# What the armhf build needs (scripts/ci-armhf.sh); the board (scripts/ci-board.sh) runs on the
# same root, so both name it alike and neither fetches it again.
armhf_packages=(libsdl2-dev libsdl2-image-dev libcairo2-dev libpango1.0-dev libqrencode-dev libts-dev
                libwebp-dev libgif-dev libgtest-dev libgmock-dev)
# The Python host test (and the Debian stage) run the kivo package with the armhf python3.
armhf_packages+=(python3-minimal libpython3-stdlib)

armhf_root() {
  local dir=$1; shift
  local apt=$dir/apt stamp=$dir/root.stamp want="$*"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    return 0
  fi
  rm -rf "$dir"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/root"
  : > "$apt/status"
  local opts=(-o Dir::State::Lists="$apt/lists" -o Dir::State::status="$apt/status"
              -o Dir::Cache="$apt/cache" -o Debug::NoLocking=1
              -o APT::Architecture=armhf -o APT::Architectures::=armhf
              -o APT::Install-Recommends=false -o APT::Get::Assume-Yes=true)
  # An index that fails to download is left out; whether the packages resolve decides.
  apt-get "${opts[@]}" -q update > "$dir/update.log" 2>&1 || true
  if ! apt-get "${opts[@]}" -q --download-only install "$@" > "$dir/install.log" 2>&1; then
    reason=$(grep -m1 -E '^(E:|W:)' "$dir/install.log" || tail -n1 "$dir/install.log")
    reason="${reason:-apt-get failed}"
    local stale
    stale=$(grep -m1 -E 'Mirror sync|Failed to fetch' "$dir/update.log" || true)
    [ -z "$stale" ] || reason="$reason (index: $stale)"
    return 1
  fi
  local deb pkg entry
  mkdir -p "$dir/pkgs"
  for deb in "$apt"/cache/archives/*.deb; do
    pkg=$dir/pkgs/$(dpkg-deb -f "$deb" Package)
    dpkg-deb -R "$deb" "$pkg"
    for entry in "$pkg"/*; do
      [ "$(basename "$entry")" = DEBIAN ] || cp -alf "$entry" "$dir/root/"
    done
  done
  # Absolute links (libz.so -> /lib/...) must point into the root, not at the build machine.
  local link target
  while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    ln -sfnr "$dir/root$target" "$link"
  done < <(find "$dir/root" -type l -lname '/*' -print0)
  echo "$want" > "$stamp"
}

# armhf_configure HOST_DIR CROSS_DIR ROOT: builds the image generator on the build machine (in
# HOST_DIR, a Release build without tests) and configures the cross build in CROSS_DIR on ROOT.
armhf_configure() {
  local host_dir=$1 cross_dir=$2 root=$3
  cmake -S . -B "$host_dir" -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$host_dir" -j "$(nproc)" --target kivo-assetgen > /dev/null
  cmake -S . -B "$cross_dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-armhf.cmake" \
    -DKIVO_ARMHF_SYSROOT="$root" -DKIVO_ASSETGEN="$host_dir/tools/assetgen/kivo-assetgen" \
    -DKIVO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Release > /dev/null
}
