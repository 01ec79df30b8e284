#!/usr/bin/env bash
# Runs a Windows program of this project under Wine in a private, headless prefix.
#   wine.sh --arch win32|win64 --prefix DIR [--init] [--kill] [--server-persistent]
#           [-- PROGRAM ARGS...]
# --init creates the prefix if needed; --kill stops its Wine server and waits for it, except
# inside scripts/wine-suite.sh for the suite's own prefix (VESMARIN_WINE_SUITE names it), whose
# server stays up for the next test; --server-persistent starts a server that stays up until
# it is killed.
# The Russian locale goes on the wine command only: it gives programs the 1251 code page,
# and exported it would disturb the host tools.
set -u
arch= prefix= init=0 kill=0 persistent=0
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --init) init=1; shift ;;
    --kill) kill=1; shift ;;
    --server-persistent) persistent=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all,err+module}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$arch" = win64 ]; then
  loader=/usr/lib/wine/wine64
  server=/usr/lib/wine/wineserver64
else
  loader=/usr/lib/wine/wine
  server=/usr/lib/wine/wineserver32
fi
[ -x "$server" ] || server=wineserver

if [ $kill -eq 1 ]; then
  [ "${VESMARIN_WINE_SUITE:-}" = "$prefix" ] && exit 0
  "$server" -k 2>/dev/null
  "$server" -w 2>/dev/null
  exit 0
fi

if [ $init -eq 1 ] && [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  env LC_ALL=ru_RU.UTF-8 "$loader" wineboot -u </dev/null >/dev/null 2>&1
  "$server" -w
  # Wine draws its own window frames (no window manager under Xvfb) and needs a substitute
  # for Times New Roman, which the program's texts use.
  cat > "$prefix/vesmarin.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Times New Roman"="Liberation Serif"
REG
  env LC_ALL=ru_RU.UTF-8 "$loader" regedit /S 'Z:'"$prefix"/vesmarin.reg </dev/null >/dev/null 2>&1
  "$server" -w
fi

if [ $persistent -eq 1 ]; then
  # Its own log: on its way out the server may list every object it still holds.
  "$server" -p >>"$prefix/wineserver.log" 2>&1
  exit
fi

[ $# -gt 0 ] || exit 0
exec env LC_ALL=ru_RU.UTF-8 "$loader" "$@"
