# Sourced (bash): gives the caller a throw-away Wine world of its own.
#   - a fresh 64-bit WINEPREFIX in a temp folder, Japanese locale (code page 932),
#     no Mono/Gecko, no crash dialog;
#   - its own Xvfb on a free display (1280x1024x24), exported as DISPLAY;
#   - a persistent wineserver for that prefix, so each wine call starts fast.
# Everything it started is ended by e2e_env_cleanup, which is installed as the
# EXIT/INT/TERM trap; a caller that sets its own trap must call it from there.
# Exports: E2E_TMP, WINEPREFIX, DISPLAY, LANG, WINEDLLOVERRIDES, WINEDEBUG,
#          E2E_PREFIX_SECONDS (time taken to create the prefix).
# Optional input: E2E_UNMOUNT (a folder the caller mounted inside E2E_TMP,
#                 unmounted before E2E_TMP is removed),
#                 E2E_PREFIX (use/keep this prefix instead of a temp one; it is
#                 created when missing, and deleted and made anew when its
#                 sorvel-made-by names another Wine or other loaders, or it
#                 has none),
#                 E2E_TEMPLATE (a prefix made by make_prefix.sh: the temp prefix
#                 starts as a copy of it instead of being made from nothing),
#                 E2E_USE_DISPLAY=1 (use the caller's $DISPLAY, start no Xvfb),
#                 E2E_LOGPIXELS=N (the display scale in dpi, 96 by default).

e2e_env_log() { echo "wine_env: $*" >&2; }

e2e_env_cleanup() {
  local rc=$?
  if [ -n "${E2E_WINESERVER_UP:-}" ]; then
    WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$WINEPREFIX" timeout 10 wineserver -w >/dev/null 2>&1 || true
    E2E_WINESERVER_UP=
  fi
  if [ -n "${E2E_XVFB_PID:-}" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=
  fi
  if [ -n "${E2E_UNMOUNT:-}" ]; then
    # A folder mounted inside E2E_TMP goes first, so that removing the temp
    # folder never walks into it; its server ends with it.
    umount -l "$E2E_UNMOUNT" 2>/dev/null || true
    E2E_UNMOUNT=
  fi
  if [ -n "${E2E_TMP:-}" ] && [ -d "$E2E_TMP" ]; then
    # A run stopped inside a locked-folder case leaves the immutable flag set.
    chattr -R -i "$E2E_TMP" 2>/dev/null || true
    rm -rf "$E2E_TMP"
    E2E_TMP=
  fi
  return $rc
}

# Starts Xvfb on the first display in 50..99 that has neither a socket nor a
# lock file; another job may grab the same number between the check and the
# start, so the display counts as ours only when its lock names our server.
e2e_env_start_xvfb() {
  local n
  for n in $(seq 50 99); do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -ac -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then break; fi
      if [ -e "/tmp/.X11-unix/X$n" ] &&
         [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$E2E_XVFB_PID" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=
  done
  e2e_env_log "no free X display in 50..99"
  return 1
}

# Copies the prefix from to the new folder to. The system folders (well over
# a gigabyte of Wine's DLLs, which nothing here writes) are hard-linked; every
# other file, the registry among them, is a copy of its own.
e2e_env_copy_prefix() {
  local from=$1 to=$2 win=$2/drive_c/windows
  cp -a --link "$from" "$to" || return 1
  find "$to" -type f ! -path "$win/system32/*" ! -path "$win/syswow64/*" ! -path "$win/winsxs/*" \
    -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f" || exit 1; done' sh {} +
}

# Puts the display scale into the prefix's user registry while no wineserver
# runs: Wine 10 fixes each monitor's DPI when the session's first process
# meets the displays, from HKCU\Control Panel\Desktop\LogPixels, and keeps
# it for the session; a value written later reaches only the system DPI.
e2e_env_write_logpixels() {
  python3 - "$WINEPREFIX/user.reg" "$1" <<'PY'
import re, sys
path, dpi = sys.argv[1], int(sys.argv[2])
text = open(path, encoding="utf-8", errors="surrogateescape").read()
value = '"LogPixels"=dword:%08x\n' % dpi
head = re.search(r'^\[Control Panel\\\\Desktop\][^\n]*\n(#[^\n]*\n)*', text, re.M)
if not head:
    text += '\n[Control Panel\\\\Desktop]\n' + value
else:
    end = text.find('\n[', head.end())
    end = len(text) if end < 0 else end + 1
    section = re.sub(r'^"LogPixels"=[^\n]*\n', '', text[head.end():end], flags=re.M)
    text = text[:head.end()] + value + section + text[end:]
open(path, "w", encoding="utf-8", errors="surrogateescape").write(text)
PY
}

e2e_env_setup() {
  E2E_TMP=$(mktemp -d /tmp/sorvel-e2e.XXXXXX) || return 1
  export E2E_TMP
  trap e2e_env_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM

  # Debian's wine command starts every program through the 32-bit loader
  # when it is installed, so on a kernel that cannot execute it nothing would
  # run at all; there the 64-bit loader starts the 64-bit programs directly.
  local loader32=/usr/lib/wine/wine loader64=/usr/lib/wine/wine64 loaders="32-bit and 64-bit loaders"
  "$loader32" --version >/dev/null 2>&1 || loaders="64-bit loader alone"
  if [ "$loaders" = "64-bit loader alone" ] && [ -x "$loader32" ] && [ -x "$loader64" ]; then
    mkdir -p "$E2E_TMP/bin"
    local shim
    for shim in wine wine-stable; do
      printf '#!/bin/sh\nexec %s "$@"\n' "$loader64" >"$E2E_TMP/bin/$shim"
      chmod +x "$E2E_TMP/bin/$shim"
    done
    export PATH="$E2E_TMP/bin:$PATH" WINELOADER=$loader64
    e2e_env_log "the 32-bit loader does not run here: 64-bit programs start through $loader64"
  fi

  export LANG=ja_JP.UTF-8
  export LC_ALL=ja_JP.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEARCH=win64
  export WINEPREFIX="${E2E_PREFIX:-$E2E_TMP/prefix}"

  if [ "${E2E_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    e2e_env_log "using display $DISPLAY"
  else
    e2e_env_start_xvfb || return 1
    e2e_env_log "Xvfb on $DISPLAY (pid $E2E_XVFB_PID)"
  fi

  local t0 t1 fresh=0 copied=0
  t0=$(date +%s.%N)
  if [ -z "${E2E_PREFIX:-}" ] && [ -n "${E2E_TEMPLATE:-}" ]; then
    # Making a prefix costs seconds per group (more with the 32-bit half);
    # a copy of one made for this test run costs a fraction of that.
    [ -f "$E2E_TEMPLATE/system.reg" ] || { e2e_env_log "no prefix at E2E_TEMPLATE=$E2E_TEMPLATE"; return 1; }
    e2e_env_copy_prefix "$E2E_TEMPLATE" "$WINEPREFIX" || { e2e_env_log "copying $E2E_TEMPLATE failed"; return 1; }
    copied=1
  fi
  # A prefix made by other loaders or another Wine fails in ways that name no
  # cause (regedit fails in one the 64-bit loader made alone, once 32-bit code
  # runs), so one that records other conditions, or none, is made anew.
  local record=$WINEPREFIX/sorvel-made-by made_by was
  made_by="$(wine --version 2>/dev/null), $loaders"
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$record" 2>/dev/null)" != "$made_by" ]; then
    was=$(cat "$record" 2>/dev/null) || was="a Wine and loaders it does not record"
    e2e_env_log "making $WINEPREFIX anew: it was made by $was; here run $made_by"
    rm -rf "$WINEPREFIX" || return 1
    copied=0
  fi
  [ -f "$WINEPREFIX/system.reg" ] || fresh=1
  mkdir -p "$WINEPREFIX"
  wineserver -p || return 1
  E2E_WINESERVER_UP=1
  # No window manager runs on our Xvfb: unmanaged windows spare the 2 s that
  # Wine otherwise waits for a manager whenever a window is hidden. On a real
  # desktop the manager decorates and moves windows as usual.
  local managed='"Managed"=-'
  [ -n "${E2E_XVFB_PID:-}" ] && managed='"Managed"="N"'
  # The Japanese dialog font "MS Shell Dlg" stands for MS UI Gothic, which
  # Wine lacks; IPA P Gothic is the proportional face closest to it (without
  # this Wine falls back to a fixed-pitch face and texts come out wider).
  printf '%s\n' 'REGEDIT4' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' "$managed" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"MS UI Gothic"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' '"MS Gothic"="IPAGothic"' \
    >"$E2E_TMP/settings.reg"
  if [ $fresh = 1 ]; then
    wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 || { e2e_env_log "wineboot failed"; cat "$E2E_TMP/wineboot.log" >&2; return 1; }
    # Wine links Desktop, Documents, Music... to the Unix home folder; the tests
    # create files in the music folder, so make them folders of the prefix.
    local d
    for d in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
      if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
    done
  fi
  # A copied template already has these settings, made on an Xvfb like ours.
  if [ $copied = 0 ]; then
    local reg="Z:$E2E_TMP/settings.reg"
    wine regedit /S "${reg//\//\\}" >>"$E2E_TMP/wineboot.log" 2>&1 \
      || { e2e_env_log "registry settings failed"; return 1; }
  fi
  [ $fresh = 0 ] || echo "$made_by" >"$record" || return 1
  if [ -n "${E2E_LOGPIXELS:-}" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    e2e_env_write_logpixels "$E2E_LOGPIXELS" || { e2e_env_log "cannot set LogPixels=$E2E_LOGPIXELS"; return 1; }
    wineserver -p || return 1
    e2e_env_log "display scale $E2E_LOGPIXELS dpi"
  fi
  t1=$(date +%s.%N)
  E2E_PREFIX_SECONDS=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }')
  export E2E_PREFIX_SECONDS
  e2e_env_log "prefix $WINEPREFIX ready in ${E2E_PREFIX_SECONDS}s (fresh=$fresh, copied=$copied)"
}

e2e_env_setup || { e2e_env_log "setup failed"; return 1 2>/dev/null || exit 1; }
