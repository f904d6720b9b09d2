#!/usr/bin/env bash
# Runs the end-to-end driver under Wine in a prefix and X server of its own.
#   run_e2e.sh <dir with kobble_standin.exe, e2e_driver.exe> [--sorvel EXE | --shipped] [selector...]
# The program under test is <dir>/sorvel.exe, or EXE, or with --shipped the
# shipped 32-bit exe: $E2E_SHIPPED_EXE (default build/w32/sorvel.exe of this
# checkout), which must be an i386 image, so that a group run on the 64-bit
# build can never pass for one run on the shipped exe.
# Selectors pick cases by "group.case" prefix (e.g. spine, spine.browse);
# without one every group except demo runs. E2E_TEMPLATE (see wine_env.sh)
# makes the prefix a copy of one made once per test run. E2E_XDND_DROP names
# the drop group's XDND sender (default build/native/xdnd_drop of this
# checkout). Exits with the driver's status.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "${1:?usage: run_e2e.sh <exe-dir> [--sorvel EXE | --shipped] [selector...]}" && pwd) || exit 2
shift
exe=$dir/sorvel.exe
shipped=0
case "${1:-}" in
  --sorvel) exe=${2:?run_e2e: --sorvel needs a path}; shift 2 ;;
  --shipped) exe=${E2E_SHIPPED_EXE:-$here/../../build/w32/sorvel.exe}; shipped=1; shift ;;
esac
# "PE\0\0" and the machine field: 4c01 i386, 6486 x86-64.
machine=$(od -An -tx1 -j "$(od -An -tu4 -j 60 -N 4 "$exe" 2>/dev/null | tr -d ' ')" -N 6 "$exe" 2>/dev/null | tr -d ' \n')
if [ $shipped = 1 ] && [ "$machine" != 504500004c01 ]; then
  echo "run_e2e: $exe is not a 32-bit (i386) Windows image" >&2
  exit 2
fi
# The planting cases need a marker DLL of the exe's own bitness: the 32-bit
# build's for an i386 exe, else this folder's.
plant_dir=$dir
[ "$machine" = 504500004c01 ] && plant_dir=$(cd "$here/../../build/w32" 2>/dev/null && pwd)
export E2E_PLANT_DIR=Z:${plant_dir//\//\\}
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe") || exit 2
for f in "$exe" "$dir/kobble_standin.exe" "$dir/e2e_driver.exe"; do
  [ -f "$f" ] || { echo "run_e2e: missing $f" >&2; exit 2; }
done

# The drop cases' file manager (a native program), run by the driver through Wine.
E2E_XDND_DROP=${E2E_XDND_DROP:-$(cd "$here/../.." && pwd)/build/native/xdnd_drop}
export E2E_XDND_DROP

# shellcheck source=wine_env.sh
source "$here/wine_env.sh" || exit 2

# The waits group looks at files through a folder that answers as a slow or
# dead share does (slow_share.py, over FUSE), named to the driver in
# E2E_SHARE. Where it cannot be mounted the group is not run, and says so:
# exit 77, which CTest counts as skipped, never as passed.
for selector in "$@"; do
  case $selector in waits*) mount_share=1 ;; esac
done
if [ -n "${mount_share:-}" ]; then
  share=$E2E_TMP/share
  mkdir -p "$share/backing/slow" "$share/backing/dead" "$share/mnt"
  /usr/bin/python3 "$here/slow_share.py" "$share/backing" "$share/mnt" >"$E2E_TMP/share.log" 2>&1 &
  E2E_UNMOUNT=$share/mnt
  for _ in $(seq 1 100); do
    mountpoint -q "$share/mnt" && break
    kill -0 $! 2>/dev/null || break
    sleep 0.1
  done
  if ! mountpoint -q "$share/mnt"; then
    echo "run_e2e: not run: no slow share could be mounted here (FUSE: $(tail -1 "$E2E_TMP/share.log" | tr -d '\r'))"
    exit 77
  fi
  export E2E_SHARE=Z:${share//\//\\}
fi

start=$(date +%s)
win=Z:$exe
wine "$dir/e2e_driver.exe" --sorvel "${win//\//\\}" "$@"
status=$?
echo "run_e2e: driver exit $status after $(( $(date +%s) - start ))s (prefix ${E2E_PREFIX_SECONDS}s)"
exit $status
