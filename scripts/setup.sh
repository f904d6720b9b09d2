#!/usr/bin/env bash
# Installs what building and testing Sorvel needs on Debian 12 or 13 (run as root).
# Safe to run again: it installs only what is missing, then checks that every
# command and the Japanese locale that the build and the tests use are there,
# and stops naming the package that should have brought what is not.
set -euo pipefail

die() { echo "setup: $*" >&2; exit 1; }

# The shipped exe is 32-bit: Wine runs it in a 64-bit prefix through WoW64,
# which needs Wine's 32-bit half from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture (for wine32)"
  dpkg --add-architecture i386
  need_update=1
fi

# libclang-rt-dev is the fuzzer and sanitizer run-time of whatever clang the
# release's clang package is, so no release's version number is named here.
packages=(
  cmake make g++ clang libclang-rt-dev python3
  libgtest-dev libx11-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 wine32:i386 xvfb xauth x11-utils xdotool imagemagick
  locales fonts-ipafont-gothic
  zip unzip e2fsprogs procps
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt-get update -qq || die "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    die "apt-get install failed for: ${missing[*]}"
elif [ -n "${need_update:-}" ]; then
  apt-get update -qq || die "apt-get update failed"
fi

# Japanese locale, so that Wine runs with code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# What later steps run, and the package that brings each.
checks=(
  "cmake:cmake" "make:make" "g++:g++" "clang++:clang" "python3:python3"
  "i686-w64-mingw32-g++:g++-mingw-w64-i686" "i686-w64-mingw32-windres:binutils-mingw-w64-i686"
  "x86_64-w64-mingw32-g++:g++-mingw-w64-x86-64" "x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64"
  "wine:wine" "wineserver:wine" "wineboot:wine" "Xvfb:xvfb" "xdotool:xdotool"
  "convert:imagemagick" "zip:zip" "unzip:unzip" "chattr:e2fsprogs" "pgrep:procps"
)
for c in "${checks[@]}"; do
  command -v "${c%%:*}" >/dev/null || die "'${c%%:*}' is missing after installing; package ${c##*:}"
done
[ -f /usr/src/googletest/googletest/CMakeLists.txt ] || [ -f /usr/include/gtest/gtest.h ] ||
  die "GoogleTest headers are missing; package libgtest-dev"
[ -f /usr/include/X11/Xlib.h ] || die "the X11 headers are missing; package libx11-dev"
[ -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] ||
  die "Wine's 32-bit system DLLs are missing; package wine32:i386"
fuzz_probe=$(mktemp -d)
printf '%s\n' '#include <stddef.h>' '#include <stdint.h>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t *, size_t) { return 0; }' >"$fuzz_probe/probe.cpp"
clang++ -fsanitize=fuzzer,address "$fuzz_probe/probe.cpp" -o "$fuzz_probe/probe" >/dev/null 2>&1 ||
  { rm -rf "$fuzz_probe"; die "clang cannot build a fuzzer; package libclang-rt-dev (the run-time of $(clang --version | head -1))"; }
rm -rf "$fuzz_probe"
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || die "the ja_JP.UTF-8 locale is missing; package locales"
[ -f /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf ] ||
  die "the IPA P Gothic font is missing; package fonts-ipafont-gothic"
exit 0
