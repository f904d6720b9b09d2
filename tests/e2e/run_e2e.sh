#!/usr/bin/env bash
# Runs the end-to-end driver under Wine in a fresh prefix and X server.
#   run_e2e.sh <dir with sorvel.exe, kobble_standin.exe, e2e_driver.exe> [selector...]
# Selectors pick cases by "group.case" prefix (e.g. spine, spine.browse);
# without one every group except demo runs. Exits with the driver's status.
set -u
dir=$(cd "${1:?usage: run_e2e.sh <exe-dir> [selector...]}" && pwd) || exit 2
shift
for exe in sorvel.exe kobble_standin.exe e2e_driver.exe; do
  [ -f "$dir/$exe" ] || { echo "run_e2e: missing $dir/$exe" >&2; exit 2; }
done

# shellcheck source=wine_env.sh
source "$(dirname "$0")/wine_env.sh" || exit 2

start=$(date +%s)
wine "$dir/e2e_driver.exe" "$@"
status=$?
echo "run_e2e: driver exit $status after $(( $(date +%s) - start ))s (prefix ${E2E_PREFIX_SECONDS}s)"
exit $status
