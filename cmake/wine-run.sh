#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs one Windows program under 64-bit Wine; CTest's cross-compiling
# emulator of the Windows build:
#   wine-run.sh [--prefix DIR] program.exe [arguments...]
#
# The Wine prefix is LQ_WINEPREFIX when set, else DIR, else WINEPREFIX, else
# ~/.cache/lq3860-wine; it is created on first use. Mono and Gecko are
# switched off so no installer is ever asked for, and Wine's own diagnostics
# are silenced so a program's output is its own.
#
# Wine draws windows on an X server, and without one no window can be made.
# Each prefix gets a virtual X server of its own (Xvfb, where installed),
# never the user's screen: started by the first program, it ends a minute
# after its last client has gone (Wine's desktop process, which ends with
# Wine's server).
set -eu

PREFIX_ARGUMENT=
if [ "${1:-}" = --prefix ]; then
    PREFIX_ARGUMENT=$2
    shift 2
fi
WINEPREFIX=${LQ_WINEPREFIX:-${PREFIX_ARGUMENT:-${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/lq3860-wine}}}
WINEDEBUG=${WINEDEBUG:--all}
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
unset DISPLAY WAYLAND_DISPLAY
XVFB_FILE=$WINEPREFIX.xvfb  # "display-number pid" of the prefix's X server

# Debian's wine64 package puts the loader here; /usr/bin/wine (package wine)
# is only a wrapper that chooses it.
WINE=${LQ_WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINE%/*}/wineserver64
if [ ! -x "$WINE" ] || [ ! -x "$WINESERVER" ]; then
    echo "wine-run.sh: $WINE or $WINESERVER not found (apt-get install wine64)" >&2
    exit 127
fi

mkdir -p "$(dirname "$WINEPREFIX")"
# Several tests may start at once (ctest -j): the first creates the prefix and
# starts Wine; the others wait here until that is done.
(
    flock 9
    read -r number pid 2>/dev/null <"$XVFB_FILE" || true
    if command -v Xvfb >/dev/null &&
        ! { [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null && [ -S "/tmp/.X11-unix/X$number" ]; }; then
        rm -f "$XVFB_FILE.number"
        setsid Xvfb -displayfd 7 -terminate 60 -nolisten tcp -screen 0 1280x1024x24 \
            7>"$XVFB_FILE.number" </dev/null >/dev/null 2>&1 9>&- &
        pid=$!
        for _ in $(seq 100); do
            [ -s "$XVFB_FILE.number" ] && break
            sleep 0.1
        done
        echo "$(cat "$XVFB_FILE.number") $pid" >"$XVFB_FILE"
    fi
) 9>"$WINEPREFIX.lock"
read -r number pid 2>/dev/null <"$XVFB_FILE" && [ -n "$number" ] && export DISPLAY=":$number"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        # wineboot returns before the server has written the registry out.
        "$WINESERVER" -w </dev/null >/dev/null 2>&1 9>&- || true
    fi
    # Wine's server and its background programs (services.exe, plugplay.exe,
    # rpcss.exe ...) would otherwise be started by the program and inherit
    # its output pipe; they outlive the program, and CTest would wait for
    # them to close the pipe. So start them here, detached from our output.
    # The server stays 30 s (LQ_WINESERVER_PERSISTENCE) after its last client,
    # so the next test finds it running: the server then answers 2 and
    # nothing more is done. None of
    # them may inherit the lock (descriptor 9): a lock held by the server
    # would make the next test wait until the server exits.
    if "$WINESERVER" -p"${LQ_WINESERVER_PERSISTENCE:-30}" </dev/null >/dev/null 2>&1 9>&-; then
        "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-run.sh: could not create the Wine prefix $WINEPREFIX" >&2
    exit 127
fi
exec "$WINE" "$@"
