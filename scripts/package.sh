#!/usr/bin/env bash
# Builds the shipped 32-bit sorvel.exe in release mode and packs it with the
# Japanese user guide for Windows users:
#
#   dist/sorvel-<version>-win32.zip
#     sorvel.exe
#     README.txt   (docs/ja/README.txt in code page 932 with CR LF line ends)
#   dist/sorvel-<version>-win32.buildinfo
#     the Debian release, the toolchain's package versions and the sha256 of
#     the zip and the exe
#
# The version is read from FILEVERSION in ui/about.rc and must match the
# PRODUCTVERSION there, the "FileVersion" string and the version resource of
# the built exe. Build directory: build/package-w32 (its own, git-ignored),
# or $PACKAGE_BUILD; output folder dist/, or $PACKAGE_DIST.
# Reproducible: one commit gives the same exe and zip bytes wherever and
# whenever it is built, with or without git. The entries' time is the
# release date of the version (or $SOURCE_DATE_EPOCH), their order and
# attributes are fixed.
# Needs cmake, the i686 MinGW-w64 compiler and python3 (scripts/setup.sh).
# Prints the zip's and the buildinfo's paths and the zip's listing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${PACKAGE_BUILD:-$root/build/package-w32}
dist=${PACKAGE_DIST:-$root/dist}

die() { echo "package: $*" >&2; exit 1; }

for tool in cmake i686-w64-mingw32-g++ python3; do
  command -v "$tool" >/dev/null || die "$tool is missing (bash scripts/setup.sh installs it)"
done

# --- version from the resource script ---------------------------------------
version=$(python3 - "$root/ui/about.rc" <<'EOF'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
def numbers(key):
    m = re.search(r"^\s*%s\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*$" % key, text, re.M)
    if not m:
        sys.exit("package: no %s line in ui/about.rc" % key)
    return [int(x) for x in m.groups()]
def string(key):
    m = re.search(r'VALUE\s+"%s"\s*,\s*"([^"]*)"' % key, text)
    if not m:
        sys.exit('package: no "%s" string in ui/about.rc' % key)
    return [int(x) for x in re.split(r"\s*,\s*", m.group(1).strip())]
file_version = numbers("FILEVERSION")
for other, got in (("PRODUCTVERSION", numbers("PRODUCTVERSION")),
                   ('"FileVersion"', string("FileVersion")),
                   ('"ProductVersion"', string("ProductVersion"))):
    if got != file_version:
        sys.exit("package: %s %s differs from FILEVERSION %s in ui/about.rc" % (other, got, file_version))
print(".".join(str(x) for x in file_version))
EOF
) || exit 1
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "odd version '$version'"

# --- build --------------------------------------------------------------------
mkdir -p "$build"
echo "package: building sorvel.exe $version (32-bit, release) in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; die "configure failed"; }
cmake --build "$build" --target sorvel -j2 >"$build/build.log" 2>&1 || { tail -40 "$build/build.log" >&2; die "build failed"; }
exe=$build/sorvel.exe
[ -f "$exe" ] || die "no $exe after the build"

# --- stage: the exe as built, the guide for Windows -------------------------
stage=$build/stage
rm -rf "$stage"
mkdir -p "$stage" "$dist"
cp "$exe" "$stage/sorvel.exe"
python3 - "$exe" "$version" "$root/docs/ja/README.txt" "$stage/README.txt" <<'EOF'
import struct, sys
exe, version, guide, out = sys.argv[1:]
data = open(exe, "rb").read()
# A 32-bit Windows GUI image...
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
    sys.exit("package: %s is not a PE image" % exe)
machine = struct.unpack_from("<H", data, pe + 4)[0]
if machine != 0x14C:
    sys.exit("package: %s is not a 32-bit (i386) image: machine 0x%x" % (exe, machine))
# ...whose version resource (VS_FIXEDFILEINFO) carries the same file version.
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at < 0:
    sys.exit("package: %s has no version resource" % exe)
ms, ls = struct.unpack_from("<II", data, at + 8)
built = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
if built != version:
    sys.exit("package: the exe says version %s, ui/about.rc says %s" % (built, version))
# The guide: code page 932, CR LF line ends, for Notepad on a Japanese Windows.
text = open(guide, encoding="utf-8").read()
if "\r" in text:
    sys.exit("package: %s already has CR bytes; keep it with LF line ends" % guide)
try:
    raw = text.replace("\n", "\r\n").encode("cp932")
except UnicodeEncodeError as e:
    sys.exit("package: %s has a character that code page 932 lacks: %r" % (guide, e.object[e.start:e.end]))
open(out, "wb").write(raw)
EOF

# --- zip ------------------------------------------------------------------------
zipfile=$dist/sorvel-$version-win32.zip
rm -f "$zipfile"
# The day version 1.0.0.1 was released, 2026-12-07 00:00 UTC. A time taken
# from the checkout (git, file times) would differ between a clone and an
# unpacked source archive of the same commit.
release_epoch=1796601600
epoch=${SOURCE_DATE_EPOCH:-$release_epoch}
python3 - "$zipfile" "$epoch" "$stage/sorvel.exe" "$stage/README.txt" <<'EOF'
# Written here rather than by zip(1): every field that could tell one build
# from another (times, order, owner, permissions, extra fields) is fixed.
import sys, time, zipfile
out, epoch, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# DOS times have two-second steps and no zone: the commit time in UTC.
stamp = time.gmtime(max(epoch, 315532800))[:6]
with zipfile.ZipFile(out, "w") as z:
    for path in files:
        info = zipfile.ZipInfo(path.rsplit("/", 1)[-1], date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0          # MS-DOS: no Unix owner or mode bits
        info.external_attr = 0x20       # the archive attribute alone
        with open(path, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
EOF

# --- buildinfo: what the bytes were built with ---------------------------------
# The build is reproducible for one toolchain; another compiler, binutils,
# MinGW-w64 run-time or zlib gives other bytes. Like Debian's .buildinfo, this
# names them, so a download can be checked on a machine that has the same.
buildinfo=$dist/sorvel-$version-win32.buildinfo
owner() {  # owner <command>: "package (= version)" of the file behind a command
  local file pkg
  file=$(readlink -f "$(command -v "$1")") || return 1
  pkg=$(dpkg -S "$file" 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$pkg" ] || { echo "$1 (not from a Debian package: $file)"; return 0; }
  echo "$pkg (= $(dpkg-query -W -f='${Version}' "$pkg"))"
}
installed() { echo "$1 (= $(dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo missing))"; }
sum() { sha256sum "$1" | cut -d' ' -f1; }
{
  echo "Format: 1.0"
  echo "Source: sorvel"
  echo "Version: $version"
  echo "Build-Distribution: $(. /etc/os-release && echo "$PRETTY_NAME"), $(cat /etc/debian_version 2>/dev/null)"
  echo "Build-Architecture: $(dpkg --print-architecture)"
  echo "Toolchain:"
  echo " $(owner i686-w64-mingw32-g++),"
  echo " $(owner i686-w64-mingw32-ld),"
  echo " $(installed mingw-w64-i686-dev),"
  echo " $(owner cmake),"
  echo " $(owner python3)"
  echo "Compiler: $(i686-w64-mingw32-g++ --version | head -1)"
  echo "Linker: $(i686-w64-mingw32-ld --version | head -1)"
  echo "Zip-Writer: Python $(python3 -c 'import sys, zlib; print(sys.version.split()[0], "with zlib", zlib.ZLIB_RUNTIME_VERSION)')"
  echo "Checksums-Sha256:"
  echo " $(sum "$zipfile") $(stat -c %s "$zipfile") $(basename "$zipfile")"
  echo " $(sum "$stage/sorvel.exe") $(stat -c %s "$stage/sorvel.exe") sorvel.exe (in the zip)"
} >"$buildinfo"

echo "$zipfile"
echo "$buildinfo"
python3 - "$zipfile" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    print("%10s  %-19s  %s" % ("bytes", "date", "name"))
    total = 0
    for i in z.infolist():
        total += i.file_size
        print("%10d  %04d-%02d-%02d %02d:%02d:%02d  %s" % ((i.file_size,) + i.date_time + (i.filename,)))
    print("%10d  %-19s  %d files" % (total, "", len(z.infolist())))
EOF
