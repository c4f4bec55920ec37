#!/bin/bash
# SPDX-License-Identifier: MIT
# lq3860ctl getmac inside two network namespaces made here and joined by a
# veth pair: the host namespace holds zlq0 (192.168.255.2/24), which carries
# the route to the peer, and alq1, whose only neighbour row is elsewhere and
# which sorts first (before lo and zlq0): the default adapter must follow the
# route, not the order. The peer answers at 192.168.255.1 with MAC
# 00:0c:29:3a:4b:5c. No traffic leaves the namespaces.
#
#   getmac_netns.sh lq3860ctl
#   getmac_netns.sh lq3860ctl.exe WINEPREFIX wine-run.sh [its arguments]
#
# Under Wine, whose IP Helper reads the Linux neighbour and route tables of
# the namespace it runs in, the Wine prefix is this test's own: its Wine
# server and network driver run inside the namespace and are ended
# afterwards (a server of another prefix, started outside, would answer from
# the host's table). Needs root; exits 77 (skipped) without it. Ends with
# "N passed, N failed".
set -u

TOOL=${1:?lq3860ctl}
PREFIX=${2:-}
RUNNER=("${@:3}")
if [ -n "$PREFIX" ] && [ ${#RUNNER[@]} = 0 ]; then
    echo "no Wine runner given" >&2
    exit 2
fi
if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null; then
    echo "needs root and iproute2 to create network namespaces; skipped"
    exit 77
fi

HOST=lqmac$$h
PEER=lqmac$$p
WORK=$(mktemp -d /tmp/lq3860-getmac.XXXXXX)
passed=0
failed=0

end_wine() {
    [ -n "$PREFIX" ] || return 0
    WINEPREFIX=$PREFIX /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
    WINEPREFIX=$PREFIX /usr/lib/wine/wineserver64 -w >/dev/null 2>&1
}
cleanup() {
    end_wine
    ip netns del "$HOST" 2>/dev/null
    ip netns del "$PEER" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# A server of this prefix from an earlier, interrupted run may still live in
# a namespace that is gone.
end_wine
ip netns add "$HOST" && ip netns add "$PEER" || { echo "cannot create network namespaces; skipped"; exit 77; }
ip link add zlq0 netns "$HOST" type veth peer name blq0 netns "$PEER" &&
    ip -n "$PEER" link set blq0 address 00:0c:29:3a:4b:5c &&
    ip -n "$PEER" addr add 192.168.255.1/24 dev blq0 &&
    ip -n "$PEER" link set blq0 up &&
    ip -n "$HOST" addr add 192.168.255.2/24 dev zlq0 &&
    ip -n "$HOST" link set zlq0 up &&
    ip -n "$HOST" link set lo up &&
    ip -n "$HOST" link add alq1 type veth peer name alq2 &&
    ip -n "$HOST" neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev alq1 nud permanent ||
    { echo "cannot build the namespaces"; exit 1; }

# expect STATUS STDOUT STDERR ARGUMENTS...: runs the tool in the host
# namespace and compares status and the exact bytes of both streams.
expect() {
    local status=$1 out=$2 err=$3
    shift 3
    ip netns exec "$HOST" env LQ_WINEPREFIX="$PREFIX" "${RUNNER[@]}" "$TOOL" "$@" >"$WORK/out" 2>"$WORK/err"
    local got=$?
    if [ "$got" = "$status" ] && [ "$(od -c <"$WORK/out")" = "$(printf '%s' "$out" | od -c)" ] &&
        [ "$(od -c <"$WORK/err")" = "$(printf '%s' "$err" | od -c)" ]; then
        echo "PASS: $*"
        passed=$((passed + 1))
    else
        echo "FAIL: $*"
        echo "  status $got, expected $status"
        echo "  stdout: $(od -c <"$WORK/out" | head -5)"
        echo "  stderr: $(od -c <"$WORK/err" | head -5)"
        failed=$((failed + 1))
    fi
}

expect 0 $'00-0C-29-3A-4B-5C\n' "" getmac 192.168.255.1 --adapter zlq0
# Without --adapter: the adapter of the route.
expect 0 $'{"ip":"192.168.255.1","adapter":"zlq0","mac":"00-0C-29-3A-4B-5C"}\n' "" --json getmac 192.168.255.1
# The address is only in another adapter's rows; the adapter sorts first but is no default.
expect 4 "" $'lq3860ctl: No entry for this address on this adapter.\n' getmac 192.168.255.1 --adapter alq1
# A silent host: the probe fails.
expect 4 "" $'lq3860ctl: Get MAC Address Error\n' getmac 192.168.255.77
# The namespace has no default route.
expect 4 "" $'lq3860ctl: no route to 10.1.2.3 (name the adapter with --adapter)\n' getmac 10.1.2.3

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
