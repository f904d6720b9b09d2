#!/usr/bin/env bash
# Fuzzes the tool-list rewrite for the given number of seconds (default 60).
# Builds with clang in build-fuzz (FUZZ_BUILD=dir for another folder), runs on
# a scratch copy of the seed corpus, and exits non-zero when the fuzzer finds a
# crash or an oracle failure.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD:-$root/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tool_list_fuzzer -j2

work="$(mktemp -d "${TMPDIR:-/tmp}/tool_list_fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
cp "$root"/tests/fuzz/corpus/tool_list/* "$work/corpus/"

status=0
"$build/tests/fuzz/tool_list_fuzzer" "$work/corpus" \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" 2>"$work/log" || status=$?
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|#[0-9]+ +DONE)' "$work/log" || true
if [ "$status" -ne 0 ]; then
  tail -n 40 "$work/log" >&2
  mkdir -p "$build/findings"
  cp "$work"/artifacts/* "$build/findings/" 2>/dev/null || true
  echo "fuzz_tool_list: finding (exit $status); inputs kept in $build/findings" >&2
  exit "$status"
fi
echo "fuzz_tool_list: no finding in ${seconds}s"
