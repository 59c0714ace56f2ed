#!/bin/sh
# Runs a Windows executable under Wine, quiet and headless: no debug chatter, no
# display, and a private prefix created on first use (not the user's ~/.wine).
# Usage: wine_run.sh program.exe [arguments...]
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/trb2asc-wine-$(id -u)}"

if command -v wine64 >/dev/null 2>&1; then
  wine=wine64
elif [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
else
  wine=wine
fi
if command -v wineserver >/dev/null 2>&1; then
  wineserver=wineserver
else
  wineserver=/usr/lib/wine/wineserver
fi

# Parallel test runs must not race to create the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.create.lock" sh -c \
    '[ -f "$WINEPREFIX/system.reg" ] || "$1" wineboot --init </dev/null >/dev/null 2>&1' sh "$wine"
fi

# One server for a series of runs, kept 30 seconds after the last one ends: starting
# it costs seconds, reusing it milliseconds. When this call started it, the prefix's
# background services are started here too, detached from our output, so that they
# never hold the caller's pipes open (a test runner would wait for them).
if "$wineserver" -p30 </dev/null >/dev/null 2>&1; then
  "$wine" wineboot </dev/null >/dev/null 2>&1
fi

exec "$wine" "$@"
