# Shared shell functions of the scripts: the build trees, the Wine environment and a
# private X display. Source it; it changes nothing by itself.
ZR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZR_BUILD=${ZR_BUILD_DIR:-$ZR_ROOT/build}
export WINEPREFIX=$ZR_BUILD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
PY=/usr/bin/python3

zr_build_host() {
  cmake -S "$ZR_ROOT" -B "$ZR_BUILD/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$ZR_BUILD/host" -j2
}

# The libFuzzer targets of the portable core (tests/fuzz), with clang, ASan and UBSan.
zr_build_fuzz() {
  cmake -S "$ZR_ROOT" -B "$ZR_BUILD/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
  cmake --build "$ZR_BUILD/fuzz" -j2
}

# The launcher is built with the publisher key(s) in ZR_PUBLISHER_KEYS; by default the
# throw-away test key of tests/fixtures/keys (the demo passes its own demo key).
zr_build_windows() {
  local keys=${ZR_PUBLISHER_KEYS-$(cat "$ZR_ROOT/tests/fixtures/keys/test_publisher.key.pub")}
  cmake -S "$ZR_ROOT" -B "$ZR_BUILD/win" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ZR_ROOT/cmake/mingw-w64-x86_64.cmake" -DZR_CONNECT_HOST=127.0.0.1 \
    -DZR_PUBLISHER_KEYS="$keys" -DZR_THIRD_PARTY_DIR="$ZR_BUILD/third_party" >/dev/null
  cmake --build "$ZR_BUILD/win" -j2
}

ZR_XVFB_PID=
# Starts Xvfb on a free display number and exports DISPLAY.
zr_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    ZR_XVFB_PID=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
    return 0
  done
  echo "no free X display" >&2
  return 1
}

# A persistent wineserver for the run, with Wine's own services started up front so
# that they do not hold on to the output of the first program that needs them.
zr_start_wine() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

zr_stop_all() {
  wineserver -k 2>/dev/null || true
  if [ -n "$ZR_XVFB_PID" ]; then kill "$ZR_XVFB_PID" 2>/dev/null || true; wait "$ZR_XVFB_PID" 2>/dev/null || true; fi
  ZR_XVFB_PID=
}
