#!/usr/bin/env bash
# Installs what building and testing Sorvel needs on Debian 12 or 13 (run as root).
# Safe to run again: it installs only what is missing, then checks that every
# command and the Japanese locale that the build and the tests use are there,
# and stops naming the package that should have brought what is not.
# SORVEL_SETUP_ROOT is for tests/setup/setup_test.sh alone: a folder that
# stands in for / where the release (etc/os-release), the apt sources
# (etc/apt) and Wine's 32-bit loader (usr/lib/wine/wine) are looked for, so
# that this script can run against stand-ins. Unset, it is the machine's own.
set -euo pipefail

die() { echo "setup: $*" >&2; exit 1; }
root=${SORVEL_SETUP_ROOT:-}
codename=$(. "$root/etc/os-release" 2>/dev/null; echo "${VERSION_CODENAME:-}")

# Indexes the last update could not fetch, each "URI (why)".
unfetched=()

# Updates the package lists. An index apt cannot fetch (a mirror caught
# mid-sync, a stale line in the sources) is named and left out, and apt goes
# on with the lists it has: the install that follows tells whether they do.
# Any other error fails the update.
apt_update() {
  local out status=0 kind what fatal=""
  unfetched=()
  out=$(LC_ALL=C apt-get update -qq 2>&1) || status=$?
  while IFS=$'\t' read -r kind what; do
    if [ "$kind" = index ]; then
      unfetched+=("$what")
      echo "setup: apt could not fetch $what; going on with the lists it has" >&2
    else
      fatal+="  $what"$'\n'
    fi
  done < <(awk '
    { sub(/^(Error|Warning):/, substr($0, 1, 1) ":") }
    /^[WE]: Failed to fetch / {
      why = $0; sub(/^[WE]: Failed to fetch [^ ]+ */, "", why); sub(/ *\[IP: [^]]*\] *$/, "", why)
      print "index\t" $5 (why == "" ? "" : " (" why ")"); next }
    /^[WE]: The repository .* (does not|no longer) ha(ve|s) a Release file/ {
      split($0, q, "\047"); sub(/ Release$/, "", q[2]); print "index\t" q[2] " (no Release file)"; next }
    /^[WE]: Some index files failed to download/ { next }
    /^E: / { print "fatal\t" $0 }' <<<"$out")
  [ ${#unfetched[@]} -gt 0 ] || echo "setup: apt fetched every index"
  [ "$status" = 0 ] && return 0
  [ -z "$fatal" ] && [ ${#unfetched[@]} -gt 0 ] && return 0
  echo "setup: apt-get update failed:" >&2
  printf '%s' "${fatal:-$out$'\n'}" >&2
  return 1
}

# Installs the packages (name, or name/suite for one suite's version). A set
# apt cannot resolve, such as an amd64 security update whose i386 twin the
# mirror does not serve yet, is tried once more with the release's own suite
# preferred for every architecture; if that fails too, it names the packages
# and the indexes that could not be fetched, and returns 1.
apt_install() {
  local out
  out=$(DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" 2>&1) && return 0
  if [ -n "$codename" ]; then
    echo "setup: apt could not install $*; trying once more with $codename's own packages preferred (-t $codename)" >&2
    out=$(DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -t "$codename" "$@" 2>&1) && return 0
  fi
  tail -n 15 <<<"$out" | sed 's/^/  /' >&2
  echo "setup: could not install $*${codename:+, not even with -t $codename}" >&2
  if [ ${#unfetched[@]} -gt 0 ]; then
    echo "setup: apt could not fetch these indexes:" >&2
    printf 'setup:   %s\n' "${unfetched[@]}" >&2
    echo "setup: a mirror caught in the middle of an update serves them again within hours; try again later" >&2
  else
    echo "setup: apt fetched every index; try again later, and if it fails again, see the lines above" >&2
  fi
  return 1
}

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
  zip unzip e2fsprogs procps fuse3 python3-fusepy
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update || exit 1
  apt_install "${missing[@]}" || exit 1
elif [ -n "${need_update:-}" ]; then
  apt_update || exit 1
else
  echo "setup: every package is installed; apt was not asked for any index"
fi

# Some kernels are built or booted without 32-bit execution (ia32_emulation=off:
# "Exec format error" from every i386 program, Wine's 32-bit loader among them).
# There the i386 programs run through qemu's user-mode emulator, registered as
# their interpreter; Wine and the shipped exe are the same bytes either way.
# qemu before 8.1 tracks guest pages so slowly that each Wine process takes a
# minute to start, so Debian 12 takes it from its backports. When this cannot
# be done the tests still run, on the 64-bit build, and say that the shipped
# exe was not run.
runs_i386() { "$root/usr/lib/wine/wine" --version >/dev/null 2>&1; }
qemu_recent() {
  command -v qemu-i386 >/dev/null &&
    qemu-i386 --version | awk 'NR == 1 { split($3, v, "."); exit !(v[1] > 8 || (v[1] == 8 && v[2] >= 1)) }'
}
# The mirror the machine's own apt sources take the release from (one-line
# .list files and deb822 .sources files alike); nothing when none names it.
release_mirror() {
  local f uri
  for f in "$root/etc/apt/sources.list" "$root"/etc/apt/sources.list.d/*.list "$root"/etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case $f in
      *.sources) uri=$(awk -v suite="$codename" '
          function stanza_end() { if (deb && on && ours && uri != "") { print uri; exit } deb = ours = 0; on = 1; uri = "" }
          BEGIN { on = 1 }
          /^[ \t]*$/ { stanza_end(); next }
          tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
          tolower($1) == "uris:" { uri = $2 }
          tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == suite) ours = 1 }
          tolower($1) == "enabled:" && tolower($2) == "no" { on = 0 }
          END { stanza_end() }' "$f") ;;
      *) uri=$(awk -v suite="$codename" '{ sub(/\[[^]]*\]/, "") } $1 == "deb" && $3 == suite { print $2; exit }' "$f") ;;
    esac
    [ -n "$uri" ] && { echo "$uri"; return 0; }
  done
  return 1
}
emulate_i386() {
  local qemu=qemu-user mirror
  if [ "$codename" = bookworm ]; then
    qemu=qemu-user/bookworm-backports
    if ! grep -rqs 'bookworm-backports' "$root/etc/apt/sources.list" "$root/etc/apt/sources.list.d/"; then
      mirror=$(release_mirror) || {
        echo "setup: qemu-user 8.1 or later comes from bookworm-backports, but no apt source names a mirror for bookworm to take it from; list bookworm-backports in /etc/apt/sources.list.d/ and run setup again" >&2
        return 1
      }
      echo "setup: listing bookworm-backports from the mirror the release comes from, $mirror"
      echo "deb $mirror bookworm-backports main" >"$root/etc/apt/sources.list.d/bookworm-backports.list"
    fi
  fi
  if ! qemu_recent; then
    echo "setup: this kernel does not execute 32-bit programs; installing $qemu to run them"
    apt_update && apt_install "$qemu" || return 1
    qemu_recent || { echo "setup: no qemu-i386 8.1 or later after installing $qemu" >&2; return 1; }
  fi
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && { echo -1 >/proc/sys/fs/binfmt_misc/qemu-i386 || return 1; }
  # i386 ELF executables and shared objects; F: the emulator is opened now,
  # so the registration also serves programs in a chroot.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':F' \
    >/proc/sys/fs/binfmt_misc/register || return 1
  echo "setup: i386 programs now run through $(qemu-i386 --version | head -1)"
}
if ! runs_i386; then
  emulate_i386 && runs_i386 ||
    echo "setup: 32-bit programs cannot run here; the tests will run the 64-bit build and report the shipped exe as not run" >&2
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
# The waits group's slow share; where the kernel offers no FUSE, that group
# says it was not run.
/usr/bin/python3 -c 'import fusepy' 2>/dev/null || die "the FUSE binding for Python is missing; package python3-fusepy"
[ -f /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf ] ||
  die "the IPA P Gothic font is missing; package fonts-ipafont-gothic"
exit 0
