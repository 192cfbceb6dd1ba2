#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12, fetches the
# bzip2 and libsodium sources and prepares a private Wine prefix. Safe to run again: every step checks
# first and only does what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${ZR_BUILD_DIR:-$ROOT/build}

PACKAGES=(
  cmake make g++ pkg-config dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest libbz2-dev bzip2 curl clang-14 libclang-rt-14-dev
  wine wine64 xvfb x11-utils xdotool imagemagick fonts-nanum
  python3 python3-pyftpdlib python3-pytest python3-pil
  vsftpd osslsigncode openssl
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# 1. Source lines for `apt-get source bzip2` and `apt-get source libsodium`.
src=/etc/apt/sources.list.d/debian.sources
need_update=0
if [ -f "$src" ] && ! grep -q 'deb-src' "$src"; then
  as_root sed -i 's/^Types: deb$/Types: deb deb-src/' "$src"
  need_update=1
elif [ ! -f "$src" ] && ! grep -rqs '^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | as_root tee /etc/apt/sources.list.d/zr-src.list >/dev/null
  need_update=1
fi

# 2. Packages.
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  as_root apt-get -o DPkg::Lock::Timeout=600 update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 3. bzip2 source (libbz2 1.0.8), unpacked once into third_party/ of the build tree.
mkdir -p "$BUILD/third_party"
if ! ls -d "$BUILD"/third_party/bzip2-1.0.8/bzlib.c >/dev/null 2>&1; then
  ( cd "$BUILD/third_party" && apt-get source -qq bzip2 >/dev/null 2>&1 || apt-get source bzip2 )
  [ -f "$BUILD/third_party/bzip2-1.0.8/bzlib.c" ] || { echo "setup: bzip2 1.0.8 source not found" >&2; exit 1; }
fi

# 4. libsodium source (1.0.18, with Debian's patches), unpacked the same way.
if ! ls -d "$BUILD"/third_party/libsodium-1.0.18/src/libsodium/crypto_sign >/dev/null 2>&1; then
  ( cd "$BUILD/third_party" && apt-get source -qq libsodium >/dev/null 2>&1 || apt-get source libsodium )
  [ -d "$BUILD/third_party/libsodium-1.0.18/src/libsodium/crypto_sign" ] || { echo "setup: libsodium 1.0.18 source not found" >&2; exit 1; }
fi

# 5. Private Wine prefix with the Gulim font replacement.
bash "$ROOT/scripts/wineprefix.sh" "$BUILD/wineprefix"
echo "setup: ready"
