#!/usr/bin/env bash
# Screenshot of the insert dialog as a user sees it, in a fresh prefix on our
# own Xvfb, with the stand-in host running.
#   screenshot.sh <dir with sorvel.exe, kobble_standin.exe, e2e_driver.exe> <out.png> [dpi]
# Writes <out.png> cropped to the dialog, and the whole screen beside it
# (<out>-screen.png). With dpi (say 144 or 192) the display scale is set
# first, where Wine reads it.
set -u
dir=$(cd "${1:?usage: screenshot.sh <exe-dir> <out.png>}" && pwd) || exit 2
out=${2:?usage: screenshot.sh <exe-dir> <out.png> [dpi]}
dpi=${3:-}
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

[ -n "$dpi" ] && export E2E_LOGPIXELS=$dpi
# shellcheck source=wine_env.sh
source "$(dirname "$0")/wine_env.sh" || exit 2

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
export E2E_SHOT_RECT E2E_SHOT_DONE
E2E_SHOT_RECT=$(winpath "$E2E_TMP/shot.rect")
E2E_SHOT_DONE=$(winpath "$E2E_TMP/shot.done")

wine "$dir/e2e_driver.exe" demo.hold_for_screenshot >"$E2E_TMP/driver.log" 2>&1 &
driver=$!
for _ in $(seq 1 300); do
  [ -s "$E2E_TMP/shot.rect" ] && break
  kill -0 $driver 2>/dev/null || break
  sleep 0.1
done
status=1
if [ -s "$E2E_TMP/shot.rect" ]; then
  read -r left top right bottom <"$E2E_TMP/shot.rect"
  screen="${out%.png}-screen.png"
  if import -window root "$screen" &&
     convert "$screen" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out"; then
    echo "screenshot: $out ($((right - left))x$((bottom - top)) at $left,$top), whole screen $screen"
    status=0
  fi
else
  echo "screenshot: the dialog did not come up" >&2
fi
touch "$E2E_TMP/shot.done"
wait $driver || status=1
[ $status = 0 ] || cat "$E2E_TMP/driver.log" >&2
exit $status
