#!/usr/bin/env bash
# Benchmarks Sorvel under Wine against minimal Win32 programs and prints one
# table. Run by hand (not part of the tests):
#
#   bash bench/run_bench.sh            # RUNS=12 runs per figure
#   RUNS=20 bash bench/run_bench.sh
#   BENCH_ONLY=toollist bash bench/run_bench.sh   # the tool-list rows alone
#   RUNS=20 BENCH_ONLY=startup bash bench/run_bench.sh   # the start-up rows alone
#
# It builds the 64-bit programs (build-bench-w64 by default) and the shipped
# 32-bit exe (build-bench-w32), compiles
# its own helpers from bench/ into build-bench-w64/bench, makes one Wine prefix
# with tests/e2e/wine_env.sh, warms it, and times everything on that prefix:
#
#   start-up   CreateProcess to the dialog being visible (bench/launch.cpp polls
#              EnumWindows every millisecond), against bench/floor.cpp, an
#              empty modal dialog of the same size, style and font. The warm-up
#              leaves flags=1 and a list holding the own line, so each start
#              reads the list to see whether its line needs mending.
#   insertion  posting OK to process exit with a 50 MiB file, the host window
#              being bench/bench_host.cpp (answers 1 at once), against the floor
#              whose OK does one CopyFileW of the same file to the same drop
#              path. Both have the dialog up and 200 ms of quiet before the clock
#              starts. A second line uses the project's kobble_standin as host.
#   tool list  WriteToolListEntry linked from host/ and app/ into
#              bench/toollist_bench.cpp and called in-process, against reading
#              the list whole and writing the same bytes once (the floor), on
#              1, 10 and 50 MiB lists (10,000 lines per MiB, id 36 in the
#              middle). An informational row sets the floor with flush (read,
#              write and _commit of the same bytes) against the floor, to show
#              what the durability flush costs on its own. A cross-check times
#              the whole program's start-up with flags=0 (entry made) against
#              flags=1 on the 10 MiB list (read whole, and left alone: its line
#              36 is padded behind the path's closing quote, so no path is read).
#   shipped    the start-up and insertion rows again with the shipped 32-bit
#              sorvel.exe against the same floor built as a 32-bit program with
#              the same flags (skipped, and said so, where 32-bit code does not
#              run).
#   size       the shipped 32-bit sorvel.exe.
#
# Runs of the product and its floor alternate (ABAB, BABA). Every figure is
# the ratio of the two medians (the verdict uses it); "paired" is the median
# of the ratios of neighbouring runs, which is steadier when other jobs load
# the machine. min/median/max of the raw times are shown.
# Other jobs on the machine show up as noise: compare the paired column, or
# run again when the machine is quiet.
# Environment: RUNS (default 12), BENCH_KEEP_RAW=path (copy the raw times),
# E2E_PREFIX=path (keep the Wine prefix there between runs; see wine_env.sh),
# BENCH_ONLY=toollist (tool-list rows, their steps and the start-up cross-check
# only), BENCH_ONLY=startup (the start-up rows only, each against the floor and
# against the floor that shows Sorvel's dialog, 64-bit and shipped 32-bit; the
# warm-up's list holds the own line), BENCH_BUILD=name (build folders name-w64 and name-w32; default
# build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${RUNS:-12}
only=${BENCH_ONLY:-all}
case $only in all|toollist|startup) ;; *) echo "bench: BENCH_ONLY is all, toollist or startup" >&2; exit 2;; esac
jobs=2

log() { echo "bench: $*" >&2; }

# --- build ------------------------------------------------------------------
b64=$root/${BENCH_BUILD:-build-bench}-w64
b32=$root/${BENCH_BUILD:-build-bench}-w32
log "building 64-bit programs in $b64"
cmake -S "$root" -B "$b64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$b64.configure.log" 2>&1 || { cat "$b64.configure.log"; exit 1; }
cmake --build "$b64" -j$jobs --target sorvel kobble_standin >"$b64.build.log" 2>&1 || { tail -40 "$b64.build.log"; exit 1; }
log "building the shipped 32-bit exe in $b32"
cmake -S "$root" -B "$b32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$b32.configure.log" 2>&1 || { cat "$b32.configure.log"; exit 1; }
cmake --build "$b32" -j$jobs --target sorvel bitness_probe >"$b32.build.log" 2>&1 || { tail -40 "$b32.build.log"; exit 1; }

tools=$b64/bench
mkdir -p "$tools"
cxx=x86_64-w64-mingw32-g++
# The same code generation and linking as the product, so only the work differs.
cflags=(-std=c++17 -Os -Wall -Wextra -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections -I"$root")
lflags=(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s)
log "compiling the bench helpers in $tools"
x86_64-w64-mingw32-windres -i bench/floor.rc -o "$tools/floor_rc.o"
$cxx "${cflags[@]}" -o "$tools/floor.exe" bench/floor.cpp "$tools/floor_rc.o" "${lflags[@]}" -mwindows
x86_64-w64-mingw32-windres -I"$b64/art" -I"$root/ui" -i ui/sorvel.rc -o "$tools/sorvel_rc.o"
$cxx "${cflags[@]}" -DFLOOR_DIALOG=102 -o "$tools/floor_dialog102.exe" bench/floor.cpp "$tools/sorvel_rc.o" "${lflags[@]}" -mwindows
$cxx "${cflags[@]}" -DFLOOR_IMPORTS_COMDLG32 -o "$tools/floor_comdlg32.exe" bench/floor.cpp "$tools/floor_rc.o" \
  "${lflags[@]}" -mwindows -lcomdlg32
$cxx "${cflags[@]}" -o "$tools/bench_host.exe" bench/bench_host.cpp "${lflags[@]}" -mwindows
# The floor for the shipped exe: the same source and flags, 32-bit.
i686-w64-mingw32-windres -i bench/floor.rc -o "$tools/floor32_rc.o"
i686-w64-mingw32-g++ "${cflags[@]}" -o "$tools/floor32.exe" bench/floor.cpp "$tools/floor32_rc.o" "${lflags[@]}" -mwindows
i686-w64-mingw32-windres -I"$b32/art" -I"$root/ui" -i ui/sorvel.rc -o "$tools/sorvel32_rc.o"
i686-w64-mingw32-g++ "${cflags[@]}" -DFLOOR_DIALOG=102 -o "$tools/floor32_dialog102.exe" bench/floor.cpp \
  "$tools/sorvel32_rc.o" "${lflags[@]}" -mwindows
$cxx "${cflags[@]}" -o "$tools/launch.exe" bench/launch.cpp "${lflags[@]}" -lshell32
$cxx "${cflags[@]}" -o "$tools/toollist_bench.exe" bench/toollist_bench.cpp \
  host/tool_list_entry.cpp host/tool_list.cpp host/list_in_place.cpp base/settings_value.cpp base/data_folder.cpp \
  base/network_path.cpp base/path_text.cpp "${lflags[@]}" -lshell32

# --- Wine prefix ------------------------------------------------------------
# shellcheck source=../tests/e2e/wine_env.sh
source tests/e2e/wine_env.sh
raw=$E2E_TMP/raw.txt
: >"$raw"
dir=$WINEPREFIX/drive_c/bench
mkdir -p "$dir"
cp "$b32/sorvel.exe" "$dir/sorvel32.exe"
cp "$b64/sorvel.exe" "$tools/floor.exe" "$tools/floor32.exe" "$tools/floor32_dialog102.exe" "$tools/floor_comdlg32.exe" "$tools/floor_dialog102.exe" "$tools/bench_host.exe" "$tools/launch.exe" "$tools/toollist_bench.exe" "$dir/"
have_standin=0
if [ -f "$b64/kobble_standin.exe" ]; then cp "$b64/kobble_standin.exe" "$dir/"; have_standin=1; fi
head -c $((50 * 1024 * 1024)) /dev/urandom >"$dir/sample.mp3"

run() {  # run <launcher args...>: appends the raw times, fails on "error"
  local out
  # Through a file, not a pipe: a host that a failed run left behind keeps
  # the pipe open and the bench would wait for it for ever.
  wine "$@" >"$E2E_TMP/run.out" 2>>"$E2E_TMP/wine-stderr.log"
  local status=$?
  out=$(tr -d '\r' <"$E2E_TMP/run.out")
  [ $status = 0 ] || { echo "$out" >&2; log "failed: $*"; exit 1; }
  if grep -q '^error' <<<"$out"; then echo "$out" >&2; log "failed: $*"; exit 1; fi
  grep '^time ' <<<"$out" >>"$raw" || true
}

log "warming the prefix"
run 'C:\bench\launch.exe' startup 3 'C:\bench\sorvel.exe' 'C:\bench\floor.exe'
: >"$raw"
user_dir=$(cd "$WINEPREFIX/drive_c/users" && for d in *; do [ "$d" != Public ] && [ -d "$d/AppData/Roaming" ] && echo "$d" && break; done)
appdata_win="C:\\users\\$user_dir\\AppData\\Roaming"
appdata=$WINEPREFIX/drive_c/users/$user_dir/AppData/Roaming
[ -f "$appdata/Kx/kx.ini" ] || { log "no settings file after the warm-up runs"; exit 1; }

if [ "$only" = startup ]; then
  log "start-up only: $runs runs each, against the floor and the floor with Sorvel's dialog"
  run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel.exe' 'C:\bench\floor.exe'
  run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel.exe' 'C:\bench\floor_dialog102.exe' startup-dialog102
  if wine "$b32/bitness_probe.exe" 2>/dev/null | grep -q '^32-bit code runs'; then
    run 'C:\bench\launch.exe' startup 3 'C:\bench\sorvel32.exe' 'C:\bench\floor32.exe' warm-32
    run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel32.exe' 'C:\bench\floor32.exe' startup-32
    run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel32.exe' 'C:\bench\floor32_dialog102.exe' \
      startup-32-dialog102
  else
    log "this machine does not run 32-bit programs: no rows for the shipped exe"
  fi
fi

if [ "$only" = all ]; then
  log "start-up: $runs runs each"
  run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel.exe' 'C:\bench\floor.exe'

  run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\floor_comdlg32.exe' 'C:\bench\floor.exe' startup-comdlg32
  run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel.exe' 'C:\bench\floor_dialog102.exe' startup-dialog102

  log "Cancel to exit: $runs runs each"
  run 'C:\bench\launch.exe' quit "$runs" 'C:\bench\sorvel.exe' 'C:\bench\floor.exe'

  log "insertion of 50 MiB: $runs runs each"
  run 'C:\bench\launch.exe' insert "$runs" insert 'C:\bench\sorvel.exe' 'C:\bench\floor.exe' \
    'C:\bench\bench_host.exe' 'C:\bench\sample.mp3' "$appdata_win\\Kx\\\$kobble.mp3"
  log "insertion against a floor with Sorvel's dialog: $runs runs each"
  run 'C:\bench\launch.exe' insert "$runs" insert-dialog102 'C:\bench\sorvel.exe' 'C:\bench\floor_dialog102.exe' \
    'C:\bench\bench_host.exe' 'C:\bench\sample.mp3' "$appdata_win\\Kx\\\$kobble.mp3"
  if wine "$b32/bitness_probe.exe" 2>/dev/null | grep -q '^32-bit code runs'; then
    log "shipped 32-bit exe: start-up and insertion, $runs runs each"
    run 'C:\bench\launch.exe' startup 3 'C:\bench\sorvel32.exe' 'C:\bench\floor32.exe' warm-32
    run 'C:\bench\launch.exe' startup "$runs" 'C:\bench\sorvel32.exe' 'C:\bench\floor32.exe' startup-32
    run 'C:\bench\launch.exe' insert "$runs" insert-32 'C:\bench\sorvel32.exe' 'C:\bench\floor32.exe' \
      'C:\bench\bench_host.exe' 'C:\bench\sample.mp3' "$appdata_win\\Kx\\\$kobble.mp3"
  else
    log "this machine does not run 32-bit programs: no rows for the shipped exe"
  fi
  if [ $have_standin = 1 ]; then
    log "insertion with kobble_standin as host: $runs runs each"
    run 'C:\bench\launch.exe' insert "$runs" insert-standin 'C:\bench\sorvel.exe' 'C:\bench\floor.exe' \
      'C:\bench\kobble_standin.exe --hidden' 'C:\bench\sample.mp3' "$appdata_win\\Kx\\\$kobble.mp3"
  fi
fi

if [ "$only" != startup ]; then
log "tool list: $runs runs each on 1, 10, 50 MiB"
run 'C:\bench\toollist_bench.exe' "$runs" 1 10 50

log "tool list, step by step (10 MiB): $runs runs"
run 'C:\bench\toollist_bench.exe' profile "$runs" 10

log "tool list through start-up, 10 MiB list: $runs runs each"
# The same lines as toollist_bench makes: 105 bytes each, id 36 in the middle.
awk 'BEGIN { n = 100000; for (i = 0; i < n; i++) { id = (i == n / 2) ? 36 : 1000 + i;
  s = sprintf("%d\tTool%d\tTool %d\t\"C:\\Program Files\\Tools\\tool%d.exe\"", id, id, id, id);
  while (length(s) < 103) s = s " "; printf "%s\r\n", s } }' >"$dir/list10.txt"
run 'C:\bench\launch.exe' firstrun "$runs" 'C:\bench\sorvel.exe' "$appdata_win\\Kx\\kx.ini" \
  "$appdata_win\\Kx\\\$exec-list.txt" 'C:\bench\list10.txt'
fi

size32=$(stat -c %s "$b32/sorvel.exe")
size64=$(stat -c %s "$b64/sorvel.exe")
[ -n "${BENCH_KEEP_RAW:-}" ] && cp "$raw" "$BENCH_KEEP_RAW"

# --- table ------------------------------------------------------------------
python3 - "$raw" "$size32" "$size64" "$runs" "$have_standin" "$only" <<'EOF'
import statistics, sys

raw, size32, size64, runs, have_standin = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5] == "1"
everything = sys.argv[6] == "all"
startup_only = sys.argv[6] == "startup"
times = {}
for line in open(raw):
    _, row, subject, ms = line.split()
    times.setdefault((row, subject), []).append(float(ms))

def stats(v):
    return "%8.1f %8.1f %8.1f" % (min(v), statistics.median(v), max(v))

rows = []
def add(name, a, b, target, limit):
    ma, mb = statistics.median(a), statistics.median(b)
    ratio = ma / mb
    # Runs were taken in pairs next to each other; the median of the pairs'
    # ratios shrugs off load that other jobs put on the machine for a while.
    paired = statistics.median([x / y for x, y in zip(a, b)])
    verdict = "-" if limit is None else ("met" if ratio <= limit else "MISSED")
    rows.append((name, stats(a), stats(b), "%6.2f" % ratio, "%6.2f" % paired, target, verdict))

if everything:
    su, sf = times[("startup", "sorvel")], times[("startup", "floor")]
    add("start-up to dialog", su, sf, "<= 1.10", 1.10)
    add("floor + comdlg32 import (info)", times[("startup-comdlg32", "sorvel")],
        times[("startup-comdlg32", "floor")], "info", None)
    add("vs floor with Sorvel's dialog", times[("startup-dialog102", "sorvel")],
        times[("startup-dialog102", "floor")], "info", None)
    add("Cancel to exit (info)", times[("quit", "sorvel")], times[("quit", "floor")], "info", None)
    iu, iff = times[("insert", "sorvel")], times[("insert", "floor")]
    add("insert 50 MiB (bench host)", iu, iff, "<= 1.10", 1.10)
    add("vs floor with Sorvel's dialog", times[("insert-dialog102", "sorvel")],
        times[("insert-dialog102", "floor")], "info", None)
    if have_standin:
        add("insert 50 MiB (kobble_standin)", times[("insert-standin", "sorvel")],
            times[("insert-standin", "floor")], "info", None)
    copy = times[("insert", "copy-only")]
    if ("startup-32", "sorvel") in times:
        add("shipped 32-bit: start-up", times[("startup-32", "sorvel")], times[("startup-32", "floor")],
            "<= 1.10", 1.10)
        add("shipped 32-bit: insert 50 MiB", times[("insert-32", "sorvel")], times[("insert-32", "floor")],
            "<= 1.10", 1.10)
    else:
        rows.append(("shipped 32-bit exe", "not run: no 32-bit code here", "", "", "", "", ""))

def print_table(title):
    print()
    print("%s, one warm Wine prefix, %s runs each; times in ms (min median max)" % (title, runs))
    head = "%-34s %-26s %-26s %6s %6s  %-8s %s" % ("figure", "sorvel", "floor", "ratio", "paired", "target", "")
    print(head)
    print("-" * len(head))
    for r in rows:
        print("%-34s %-26s %-26s %6s %6s  %-8s %s" % r)

if startup_only:
    for key, name in (("startup", "start-up to dialog"), ("startup-dialog102", "vs floor with Sorvel's dialog"),
                      ("startup-32", "shipped 32-bit: start-up"),
                      ("startup-32-dialog102", "shipped 32-bit vs Sorvel's dialog")):
        if (key, "sorvel") in times:
            add(name, times[(key, "sorvel")], times[(key, "floor")], "<= 1.10", 1.10)
    print_table("Sorvel start-up")
    sys.exit(0)

for mib in (1, 10, 50):
    s, f = times[("toollist-%d" % mib, "sorvel")], times[("toollist-%d" % mib, "floor")]
    add("tool list %2d MiB" % mib, s, f, "<= 1.50", 1.50)
for mib in (1, 10, 50):
    s, f = times[("toollist-%d" % mib, "sorvel")], times[("toollist-%d" % mib, "floor-flush")]
    add("tool list %2d MiB vs flushed" % mib, s, f, "info", None)
for mib in (1, 10, 50):
    # Not Sorvel: the floor with flush in the first column, the floor in the
    # second; the ratio is what the flush alone adds to reading and writing.
    ff, f = times[("toollist-%d" % mib, "floor-flush")], times[("toollist-%d" % mib, "floor")]
    add("floor with flush %2d MiB (info)" % mib, ff, f, "info", None)
f0, f1 = times[("firstrun", "flags0")], times[("firstrun", "flags1")]
add("start-up 10 MiB list, flags 0/1", f0, f1, "info", None)

print_table("Sorvel benchmark")
# Linearity of the entry: milliseconds per MiB at each size.
per = []
for mib in (1, 10, 50):
    per.append(statistics.median(times[("toollist-%d" % mib, "sorvel")]) / mib)
print("%-32s %s   (50/10 MiB slope ratio %.2f)" % ("tool list ms per MiB 1/10/50",
      " / ".join("%.2f" % p for p in per), per[2] / per[1]))
if everything:
    print("%-32s %s" % ("bare CopyFile 50 MiB (launcher)", stats(copy)))
extra = (statistics.median(f0) - statistics.median(f1))
print("%-32s %.1f ms (floor: read+write once %.1f ms)" % ("entry cost seen at start-up", extra,
      statistics.median(times[("toollist-10", "floor")])))
print()
print("Where the tool-list entry spends its time (10 MiB; its steps redone one by one):")
floor10 = statistics.median(times[("toollist-10", "floor")])
for part, what in (("read", "read whole in 1 MiB _read calls into a fresh buffer"),
                   ("rewrite", "RewriteToolList: scan, decide the pieces of the new content"),
                   ("write-temp", "_write of the pieces, from the bytes read, to the temporary file"),
                   ("commit", "_commit (FlushFileBuffers) of the temporary file"),
                   ("move", "MoveFileExW over the list, REPLACE_EXISTING | WRITE_THROUGH"),
                   ("free-old", "free of the old content"),
                   ("total", "all of the above"),
                   ("rewrite-again", "RewriteToolList alone on bytes already in memory"),
                   ("write-in-place", "_write of the pieces over the list itself")):
    v = times[("profile-10", part)]
    print("  %-17s %8.1f ms  %s" % (part, statistics.median(v), what))
print("  %-17s %8.1f ms  %s" % ("floor", floor10, "read whole, write the same bytes once"))
print("  %-17s %8.1f ms  %s" % ("floor with flush", statistics.median(times[("toollist-10", "floor-flush")]),
                                "the same, with _commit before the close"))
print()
verdict = "met" if size32 <= 64 * 1024 else "MISSED"
print("%-32s %d bytes = %.1f KiB (target <= 64 KiB: %s); 64-bit test build %d bytes" % (
      "size of shipped 32-bit exe", size32, size32 / 1024, verdict, size64))
EOF
