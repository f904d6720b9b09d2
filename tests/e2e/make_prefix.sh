#!/usr/bin/env bash
# Makes the Wine prefix that every end-to-end group of one test run starts
# from (as a copy; see E2E_TEMPLATE in wine_env.sh), and finds out whether
# this machine runs 32-bit Windows programs.
#   make_prefix.sh <new prefix folder> <bitness_probe.exe>
# Exit status: 0 the prefix is ready and 32-bit code runs; 3 the prefix is
# ready but 32-bit code does not run (the last line of output says why);
# 1 no prefix. E2E_ASSUME_NO_32BIT=1 takes the exit-3 path without trying,
# to see what the tests do on such a machine.
set -u
prefix=${1:?usage: make_prefix.sh <new prefix folder> <bitness_probe.exe>}
probe=${2:?usage: make_prefix.sh <new prefix folder> <bitness_probe.exe>}
[ -e "$prefix" ] && { echo "make_prefix: $prefix exists already" >&2; exit 1; }

export E2E_PREFIX=$prefix
# shellcheck source=wine_env.sh
source "$(dirname "$0")/wine_env.sh" || exit 1

if [ "${E2E_ASSUME_NO_32BIT:-0}" = 1 ]; then
  echo "make_prefix: 32-bit code does not run: E2E_ASSUME_NO_32BIT=1 says to take it so"
  exit 3
fi
if [ ! -f "$probe" ]; then
  echo "make_prefix: no probe at $probe" >&2
  exit 1
fi
out=$(timeout 60 wine "$probe" 2>"$E2E_TMP/probe.err" | tr -d '\r')
status=$?
if [ $status = 0 ] && grep -q '^32-bit code runs' <<<"$out"; then
  echo "make_prefix: $out"
  exit 0
fi
# Tell a kernel without 32-bit execution from a Wine without its 32-bit half.
why="the 32-bit probe did not run under Wine (exit $status: $(head -c 200 "$E2E_TMP/probe.err" | tr '\n' ' '))"
loader=/usr/lib/wine/wine
# (In the C locale: the shell's own message is what is looked for.)
if [ -x "$loader" ] && ! (LC_ALL=C && "$loader" --version) >/dev/null 2>"$E2E_TMP/loader.err"; then
  if grep -qi 'exec format error\|cannot execute' "$E2E_TMP/loader.err"; then
    why="this kernel cannot execute 32-bit programs (Wine's 32-bit loader $loader: $(head -c 120 "$E2E_TMP/loader.err" | tr '\n' ' '))"
  fi
elif [ ! -x "$loader" ]; then
  why="Wine's 32-bit half is missing (no $loader; package wine32:i386)"
fi
echo "make_prefix: 32-bit code does not run: $why"
exit 3
