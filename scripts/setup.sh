#!/usr/bin/env bash
# Installs what building and testing Sorvel needs on Debian (run as root).
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev python3
  libgtest-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 xvfb xauth x11-utils xdotool imagemagick
  locales fonts-ipafont-gothic
  zip e2fsprogs
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Japanese locale, so that Wine runs with code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
