#!/usr/bin/env bash
# Runs scripts/setup.sh against stand-ins that record their calls (apt-get,
# dpkg, dpkg-query, qemu-i386 and locale on PATH; the release, the apt
# sources and Wine's 32-bit loader in a stand-in root, SORVEL_SETUP_ROOT) on a
# Debian 12 whose mirror is mid-sync; then keeps a Wine prefix as the demo
# does and uses it under other loaders. Exits non-zero when a row fails.
set -u
cd "$(dirname "$0")/../.."
t=$(mktemp -d /tmp/sorvel-setup-test.XXXXXX)
trap 'rm -rf "$t"' EXIT
mkdir -p "$t/bin"
stub() { printf '#!/bin/sh\necho "%s $*" >>"$T/seen"\n%s\n' "$1" "$2" >"$t/bin/$1" && chmod +x "$t/bin/$1"; }
stub apt-get 'case " $* " in *" update "*) [ "$UPDATE" = ok ] && exit 0
    printf "E: The repository \047http://mirror.test/debian bookworm-gone Release\047 does not have a Release file.\n"
    echo "E: Failed to fetch http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."; exit 100 ;;
  *" -t bookworm "*) [ "$INSTALL" != never ] && exit 0 ;; *) [ "$INSTALL" = ok ] && exit 0 ;; esac
echo "E: Unable to correct problems, you have held broken packages."; exit 100'
stub dpkg 'echo i386'
stub dpkg-query 'case "$*" in *wine32:i386) exit 1 ;; esac; printf "install ok installed"'
stub qemu-i386 'echo "qemu-i386 version 7.2.0"'
stub locale 'echo ja_JP.utf8'
failed=0
fail() { echo "FAILED: $1: $2"; sed 's/^/  | /' "$t/seen"; failed=1; ok=0; }

# row | update | install (ok; retry: only with -t bookworm; never) | Wine's
# 32-bit loader exits | apt sources | setup exits | lines that must be seen (;)
while IFS='|' read -r row update install loader sources rc want; do
  r=$t/root/$row
  mkdir -p "$r/etc/apt/sources.list.d" "$r/usr/lib/wine"
  echo VERSION_CODENAME=bookworm >"$r/etc/os-release"
  printf '#!/bin/sh\nexit %s\n' "$loader" >"$r/usr/lib/wine/wine" && chmod +x "$r/usr/lib/wine/wine"
  [ "$sources" = deb822 ] && printf '%s\n' 'Types: deb' 'URIs: http://mirror.test/debian' \
    'Suites: bookworm bookworm-updates' >"$r/etc/apt/sources.list.d/debian.sources"
  [ "$sources" = one-line ] && printf '%s\n' 'deb http://security.test/debian-security bookworm-security main' \
    'deb [arch=amd64 signed-by=/k.gpg] http://mirror.test/debian bookworm main' >"$r/etc/apt/sources.list"
  : >"$t/seen"
  ok=1
  T=$t UPDATE=$update INSTALL=$install SORVEL_SETUP_ROOT=$r PATH="$t/bin:$PATH" bash scripts/setup.sh >>"$t/seen" 2>&1
  got=$?
  cat "$r"/etc/apt/sources.list.d/*.list >>"$t/seen" 2>/dev/null
  [ "$got" = "$rc" ] || fail "$row" "setup exits $got, not $rc"
  IFS=';' read -ra lines <<<"$want"
  for line in "${lines[@]}"; do grep -qE "$line" "$t/seen" || fail "$row" "no line $line"; done
  [ $ok = 0 ] || echo "ok: $row"
done <<'ROWS'
update misses an index|midsync|ok|0|deb822|0|^setup: apt could not fetch http://mirror.test/debian-security/\S+ \(File has unexpected size \(374820 != 376004\)\. Mirror sync in progress\?\); going on;^setup: apt could not fetch http://mirror.test/debian bookworm-gone \(no Release file\);^apt-get install .* wine32:i386$
install unresolved|ok|retry|0|deb822|0|^setup: apt fetched every index$;^apt-get install .*-t bookworm wine32:i386$
unresolved with -t too|midsync|never|0|deb822|1|^setup: could not install wine32:i386;^setup:   http://mirror.test/debian-security/\S+ \(;try again later
qemu-user from backports|ok|retry|126|deb822|0|^deb http://mirror.test/debian bookworm-backports main$;^apt-get install .*-t bookworm qemu-user/bookworm-backports$
qemu-user, one-line sources|ok|ok|126|one-line|0|^deb http://mirror.test/debian bookworm-backports main$
no mirror in the sources|ok|ok|126|none|0|^setup: .*no apt source names a mirror for bookworm
ROWS

# A kept prefix records the loaders and the Wine that made it; here it was
# made by the other loaders (the 64-bit one alone where 32-bit code runs).
p=$t/prefix
E2E_PREFIX=$p bash -c 'source tests/e2e/wine_env.sh' >"$t/seen" 2>&1
made_by=$(cat "$p/sorvel-made-by" 2>/dev/null)
sed -i 's/32-bit and 64-bit loaders/64-bit loader alone/; t; s/64-bit loader alone/32-bit and 64-bit loaders/' "$p/sorvel-made-by" 2>/dev/null
touch "$p/old"
E2E_PREFIX=$p bash -c 'source tests/e2e/wine_env.sh' >>"$t/seen" 2>&1
{ [ -n "$made_by" ] && grep -q "making $p anew: it was made by .*; here run $made_by" "$t/seen" && [ ! -e "$p/old" ] &&
  [ "$(cat "$p/sorvel-made-by")" = "$made_by" ]; } && echo "ok: prefix made by other loaders, made anew" ||
  fail "prefix made by other loaders" "not made anew"
exit $failed
