#!/usr/bin/env bash
# Runs every test: native unit tests, a short fuzz run, the audit of the shipped
# 32-bit exe, and the end-to-end suites under Wine. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
failures=()

step() {
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

mkdir -p build
step "native build" build build/native
step "unit tests" ctest --test-dir build/native --output-on-failure
step "fuzz tool list (short)" bash scripts/fuzz_tool_list.sh 5
step "windows 32-bit build" build build/w32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
step "audit of the shipped exe" python3 tests/audit/audit_exe.py build/w32/sorvel.exe
step "windows 64-bit build" build build/w64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
step "end-to-end under wine" ctest --test-dir build/w64 --output-on-failure

echo
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "steps: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
