#!/usr/bin/env bash
# Runs every test: native unit tests, a short fuzz run, the release package
# and its exe each built twice (the same bytes), the audit of the shipped exe
# and of the 64-bit twin, and the end-to-end groups under Wine: every group on
# the shipped exe as it lies in the release zip, the spine also on the 64-bit
# twin. Exits non-zero on any failure.
# On a machine that cannot execute 32-bit code the groups run on the 64-bit
# build instead; that is reported as not run for the shipped exe, never as
# passed, and the last line says why.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
failures=()
not_run=""
started=$SECONDS

step() {  # step <name> <command...>; returns the command's success
  local name=$1
  shift
  echo "=== $name"
  local start=$SECONDS
  if "$@"; then
    passed=$((passed + 1))
    echo "=== $name: ok ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "=== $name: FAILED ($((SECONDS - start)) s)"
    return 1
  fi
}

build() {  # build <dir> [cmake args...]
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  local rc=0
  cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 || rc=1
  # Warnings are errors too: both Windows builds must be clean.
  if grep -E ': (warning|error)|Error [0-9]' "$dir.build.log"; then rc=1; fi
  return $rc
}

shipped=$root/build/shipped/sorvel.exe

# The exe users get is the one in the zip: take it out for the audit and the
# end-to-end groups, and hold it against the test build of the same commit,
# made in another folder at another time.
unpack_shipped() {
  local zip
  zip=$(ls -t "$root"/dist/sorvel-*-win32.zip 2>/dev/null | head -1)
  [ -n "$zip" ] || { echo "no release zip in dist/"; return 1; }
  rm -rf "$root/build/shipped"
  mkdir -p "$root/build/shipped"
  python3 - "$zip" "$root/build/shipped" <<'EOF' || return 1
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    names = [i.filename for i in z.infolist()]
    if names != ["sorvel.exe", "README.txt"]:
        sys.exit("package holds %r, not sorvel.exe and README.txt" % names)
    bad = z.testzip()
    if bad:
        sys.exit("package entry %s is damaged" % bad)
    z.extract("sorvel.exe", sys.argv[2])
EOF
  if ! cmp "$root/build/w32/sorvel.exe" "$shipped"; then
    echo "build/w32/sorvel.exe and the packaged exe differ: the build is not reproducible"
    return 1
  fi
  echo "same bytes: build/w32/sorvel.exe and sorvel.exe in dist/$(basename "$zip")"
  # The whole package once more, in other folders, with another umask.
  local again=$root/build/package-again
  rm -rf "$again"
  (umask 077 && PACKAGE_BUILD=$again/build PACKAGE_DIST=$again/dist bash scripts/package.sh >"$again.log" 2>&1) ||
    { cat "$again.log"; return 1; }
  if ! cmp "$zip" "$again/dist/$(basename "$zip")"; then
    echo "two packages of one commit differ: the zip is not reproducible"
    return 1
  fi
  echo "same bytes: dist/$(basename "$zip") and a second package built in build/package-again"
  local info=${zip%.zip}.buildinfo
  if ! cmp "$info" "$again/dist/$(basename "$info")"; then
    echo "two packages of one commit name different toolchains or sums in their buildinfo"
    return 1
  fi
  echo "sha256 $(sha256sum "$shipped" | cut -d' ' -f1)  sorvel.exe"
  echo "sha256 $(sha256sum "$zip" | cut -d' ' -f1)  $(basename "$zip")"
  echo "built with (dist/$(basename "$info")):"
  sed -n '/^Build-Distribution:/p; /^Toolchain:/,/^Compiler:/{/^ /p}; /^Compiler:/p; /^Linker:/p; /^Zip-Writer:/p' "$info" | sed 's/^ */  /'
}

# The twin is audited only as this run built it: an exe left from an earlier
# build would pass for one that did not build.
w64_built=0
audit_twin() {
  [ $w64_built = 1 ] || { echo "the 64-bit build failed: no twin of this commit to audit"; return 1; }
  python3 tests/audit/audit_exe.py --twin "$root/build/w64/sorvel.exe"
}

# One Wine prefix for the whole run; every group starts from a copy of it.
template_dir=$(mktemp -d /tmp/sorvel-prefix.XXXXXX)
trap 'rm -rf "$template_dir"' EXIT
export E2E_TEMPLATE=$template_dir/prefix
runs_32=0
make_template() {
  local out status
  out=$(bash tests/e2e/make_prefix.sh "$E2E_TEMPLATE" "$root/build/w32/bitness_probe.exe" 2>&1)
  status=$?
  echo "$out"
  case $status in
    0) runs_32=1 ;;
    3) not_run=$(tail -1 <<<"$out" | sed 's/^make_prefix: 32-bit code does not run: //') ;;
    *) return 1 ;;
  esac
}

e2e() {  # e2e <ctest args...>
  [ -f "$E2E_TEMPLATE/system.reg" ] || { echo "no Wine prefix to start from"; return 1; }
  local rc=0
  E2E_SHIPPED_EXE=$shipped ctest --test-dir build/w64 --output-on-failure "$@" || rc=1
  # What each group ran on and how many of its cases passed, from CTest's log;
  # a group that could not run says why, and is counted as not run.
  local log=build/w64/Testing/Temporary/LastTest.log
  awk '/^[0-9]+\/[0-9]+ Test: /{name=$3}
       /^e2e: program under test /{sub(/^e2e: program under test /, ""); exe=$0}
       /^[0-9]+ passed, [0-9]+ failed/{printf "  %-16s %s on %s\n", name, $0, exe}
       /^run_e2e: not run: /{sub(/^run_e2e: not run: /, ""); printf "  %-16s NOT RUN: %s\n", name, $0}' \
    "$log" 2>/dev/null | tr -d '\r'
  local skipped
  skipped=$(awk '/^[0-9]+\/[0-9]+ Test: /{name=$3} /^run_e2e: not run: /{print name}' "$log" 2>/dev/null | tr -d '\r')
  [ -n "$skipped" ] && groups_not_run+=($skipped)
  return $rc
}
groups_not_run=()

mkdir -p build
step "native build" build build/native
step "unit tests" ctest --test-dir build/native --output-on-failure
step "set-up script and kept prefixes" bash tests/setup/setup_test.sh
step "fuzz tool list (short)" bash scripts/fuzz_tool_list.sh 5
step "windows 32-bit build" build build/w32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
step "release package" bash scripts/package.sh
step "packaged exe and zip built again, byte for byte" unpack_shipped
step "audit of the shipped exe" python3 tests/audit/audit_exe.py "$shipped"
step "windows 64-bit build" build build/w64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" && w64_built=1
step "audit of the 64-bit twin" audit_twin
step "wine prefix and 32-bit check" make_template
if [ $runs_32 = 1 ]; then
  step "end-to-end, shipped 32-bit exe (every group)" e2e -L shipped
  step "end-to-end, 64-bit twin (spine)" e2e -R '^e2e64_spine$'
elif [ -n "$not_run" ]; then
  step "end-to-end, 64-bit build in place of the shipped exe (every group)" e2e -L twin
fi

echo
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "steps: $passed passed, $failed failed$([ -n "$not_run" ] && echo ", 1 not run") ($((SECONDS - started)) s)"
if [ ${#groups_not_run[@]} -gt 0 ]; then
  echo "NOT RUN: ${groups_not_run[*]} (see the reason above); these groups are not counted as passed."
fi
if [ -n "$not_run" ]; then
  echo "NOT RUN: the shipped 32-bit sorvel.exe was not run end to end, because $not_run; the groups above ran on the 64-bit build and say nothing of the shipped exe."
fi
[ "$failed" -eq 0 ]
