#!/usr/bin/env bash
# Shows Sorvel at work with the stand-in host under Wine.
#   bash scripts/demo.sh
# Installs what is missing, builds the shipped 32-bit exe into build/w32 and
# the 64-bit programs (the stand-in host, the driver, and Sorvel's 64-bit twin)
# into build/w64, and keeps a Wine prefix in build/demo-prefix (made anew when
# Wine, or whether its 32-bit loader runs, has changed since). It runs the
# shipped exe; on a machine that cannot execute 32-bit code it says so and
# runs the 64-bit twin instead. With $DISPLAY set, the stand-in host (a small
# window that lists what it receives; its "editing" box decides the answer to
# the probe) and Sorvel open there for use by hand; the demo ends when Sorvel
# closes. Without a display it runs headless on its own Xvfb, inserts a
# generated sample with autoplay ticked, and prints what the host received and
# kx.ini.
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
build build/w32 mingw-i686.cmake || exit 1
build build/w64 mingw-x86_64.cmake || exit 1

export E2E_PREFIX="$root/build/demo-prefix"
if [ -n "${DISPLAY:-}" ]; then
  export E2E_USE_DISPLAY=1
fi
# shellcheck source=../tests/e2e/wine_env.sh
source "$root/tests/e2e/wine_env.sh" || exit 1

sorvel=$root/build/w32/sorvel.exe
probe=$(wine "$root/build/w32/bitness_probe.exe" 2>/dev/null | tr -d '\r')
if grep -q '^32-bit code runs' <<<"$probe"; then
  echo "demo: running the shipped exe build/w32/sorvel.exe"
else
  sorvel=$root/build/w64/sorvel.exe
  echo "demo: this machine does not run 32-bit programs under Wine; running the 64-bit twin build/w64/sorvel.exe instead of the shipped exe"
fi
winsorvel=Z:$sorvel
winsorvel=${winsorvel//\//\\}

if [ -z "${E2E_XVFB_PID:-}" ]; then
  log="$E2E_TMP/host.log"
  data="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming 2>/dev/null | head -1)/Kx"
  echo "demo: on $DISPLAY: the stand-in host window \"Kobble TSR\" and Sorvel's dialog."
  echo "demo: type or browse for a file (any file will do), tick the options, press OK."
  wine "$root/build/w64/kobble_standin.exe" --log "Z:${log//\//\\}" >/dev/null 2>&1 &
  host=$!
  sleep 1
  wine "$sorvel" >/dev/null 2>&1
  echo "demo: Sorvel closed."
  echo "---- what the host received"
  cat "$log" 2>/dev/null || echo "(nothing)"
  echo "---- kx.ini"
  cat "$data/kx.ini" 2>/dev/null || echo "(missing)"
  echo
  kill "$host" 2>/dev/null
  exit 0
fi

wine "$root/build/w64/e2e_driver.exe" --sorvel "$winsorvel" demo.insert_autoplay
