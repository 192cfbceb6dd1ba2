#!/usr/bin/env bash
# Creates a private Wine prefix (once) with the Korean dialog font mapped to NanumGothic.
set -euo pipefail
PREFIX=${1:?usage: wineprefix.sh PREFIX}
export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$PREFIX/.zr-ready" ] && exit 0
mkdir -p "$PREFIX"
wineboot -i >/dev/null 2>&1 || true
reg=$(mktemp --suffix=.reg)
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"굴림"="NanumGothic"\r\n"Gulim"="NanumGothic"\r\n' \
  | iconv -f UTF-8 -t UTF-16 > "$reg"
wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
rm -f "$reg"
wineserver -w
touch "$PREFIX/.zr-ready"
echo "wineprefix: ready at $PREFIX"
