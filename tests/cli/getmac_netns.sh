#!/bin/bash
# SPDX-License-Identifier: MIT
# lq3860ctl getmac in two network namespaces joined by veth: zlq0 routes to the peer
# 192.168.255.1 (00:0c:29:3a:4b:5c); alq1 sorts first but is no default. Under Wine
# (TOOL.exe WINEPREFIX RUNNER...) the prefix and its server are this test's own. Root only.
set -u
TOOL=${1:?lq3860ctl} PREFIX=${2:-}
RUNNER=("${@:3}")
[ -z "$PREFIX" ] || [ ${#RUNNER[@]} != 0 ] || { echo "no Wine runner given" >&2; exit 2; }
[ "$(id -u)" = 0 ] && command -v ip >/dev/null || { echo "needs root and iproute2; skipped"; exit 77; }
HOST=lqmac$$h PEER=lqmac$$p WORK=$(mktemp -d /tmp/lq3860-getmac.XXXXXX) failed=0
end_wine() {  # also a server left in a namespace that is gone by an interrupted run
    [ -z "$PREFIX" ] || for f in -k -w; do WINEPREFIX=$PREFIX /usr/lib/wine/wineserver64 $f >/dev/null 2>&1; done
}
trap 'end_wine; ip netns del "$HOST" 2>/dev/null; ip netns del "$PEER" 2>/dev/null; rm -rf "$WORK"' EXIT
end_wine
ip netns add "$HOST" && ip netns add "$PEER" || { echo "cannot create network namespaces; skipped"; exit 77; }
ip link add zlq0 netns "$HOST" type veth peer name blq0 netns "$PEER" &&
    ip -n "$PEER" link set blq0 address 00:0c:29:3a:4b:5c up &&
    ip -n "$PEER" addr add 192.168.255.1/24 dev blq0 &&
    ip -n "$HOST" addr add 192.168.255.2/24 dev zlq0 &&
    ip -n "$HOST" link set zlq0 up && ip -n "$HOST" link set lo up &&
    ip -n "$HOST" link add alq1 type veth peer name alq2 &&
    ip -n "$HOST" neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev alq1 nud permanent ||
    { echo "cannot build the namespaces"; exit 1; }

expect() {  # STATUS STDOUT STDERR ARGUMENTS...: the exact bytes of both streams
    local status=$1; printf '%s' "$2" >"$WORK/want-out"; printf '%s' "$3" >"$WORK/want-err"; shift 3
    ip netns exec "$HOST" env LQ_WINEPREFIX="$PREFIX" "${RUNNER[@]}" "$TOOL" "$@" >"$WORK/out" 2>"$WORK/err"
    local got=$?
    [ $got = "$status" ] && cmp -s "$WORK/out" "$WORK/want-out" && cmp -s "$WORK/err" "$WORK/want-err" &&
        { echo "PASS: $*"; return; }
    echo "FAIL: $* (status $got, expected $status)"; od -c "$WORK/out" "$WORK/err" | head -10; failed=$((failed + 1))
}

expect 0 $'00-0C-29-3A-4B-5C\n' "" getmac 192.168.255.1 --adapter zlq0
expect 0 $'{"ip":"192.168.255.1","adapter":"zlq0","mac":"00-0C-29-3A-4B-5C"}\n' "" --json getmac 192.168.255.1
expect 4 "" $'lq3860ctl: No entry for this address on this adapter.\n' getmac 192.168.255.1 --adapter alq1
expect 4 "" $'lq3860ctl: Get MAC Address Error\n' getmac 192.168.255.77
expect 4 "" $'lq3860ctl: no route to 10.1.2.3 (name the adapter with --adapter)\n' getmac 10.1.2.3
echo "$failed failed"
[ "$failed" = 0 ]
