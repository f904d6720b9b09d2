#!/usr/bin/env bash
# Shows Sorvel at work with the stand-in host under Wine.
#   bash scripts/demo.sh
# Installs what is missing, builds the Windows programs (64-bit into build/w64,
# the shipped 32-bit exe into build/w32) and keeps a Wine prefix in
# build/demo-prefix. With $DISPLAY set, the stand-in host (a small window that
# lists what it receives; its "editing" box decides the answer to the probe)
# and Sorvel open there for use by hand; the demo ends when Sorvel closes.
# Without a display it runs headless on its own Xvfb, inserts a generated
# sample with autoplay ticked, and prints what the host received and kx.ini.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 2 ] && jobs=2
build() {  # build <dir> <toolchain>
  local dir=$1 toolchain=$2
  mkdir -p build
  echo "demo: building $dir"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
    >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 || { tail -40 "$dir.build.log"; return 1; }
}
build build/w64 mingw-x86_64.cmake || exit 1
# The shipped program is 32-bit; this machine's Wine runs only 64-bit
# programs, so the demo runs the 64-bit build of the same sources.
build build/w32 mingw-i686.cmake || exit 1
echo "demo: shipped exe build/w32/sorvel.exe, running build/w64/sorvel.exe"

export E2E_PREFIX="$root/build/demo-prefix"
if [ -n "${DISPLAY:-}" ]; then
  export E2E_USE_DISPLAY=1
fi
# shellcheck source=../tests/e2e/wine_env.sh
source "$root/tests/e2e/wine_env.sh" || exit 1

if [ -z "${E2E_XVFB_PID:-}" ]; then
  log="$E2E_TMP/host.log"
  data="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming 2>/dev/null | head -1)/Kx"
  echo "demo: on $DISPLAY: the stand-in host window \"Kobble TSR\" and Sorvel's dialog."
  echo "demo: type or browse for a file (any file will do), tick the options, press OK."
  wine "$root/build/w64/kobble_standin.exe" --log "Z:${log//\//\\}" >/dev/null 2>&1 &
  host=$!
  sleep 1
  wine "$root/build/w64/sorvel.exe" >/dev/null 2>&1
  echo "demo: Sorvel closed."
  echo "---- what the host received"
  cat "$log" 2>/dev/null || echo "(nothing)"
  echo "---- kx.ini"
  cat "$data/kx.ini" 2>/dev/null || echo "(missing)"
  echo
  kill "$host" 2>/dev/null
  exit 0
fi

wine "$root/build/w64/e2e_driver.exe" demo.insert_autoplay
