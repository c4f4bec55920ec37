#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# run-wine-leg.sh WORKDIR LINUX_BUILD WINDOWS_BIN: lq3860ctl.exe and the window
# on Wine's HID stack in the test VM, beside the Linux tool of LINUX_BUILD
# (wine_scenarios, lq3860-sim, lq3860ctl) on the same virtual modules.
# WINDOWS_BIN holds the Windows build's programs and DLLs. The Wine prefix is
# made on the host once and cached by a hash of its recipe (Wine's version,
# the settings below); in the guest it lies under an overlay, so a run never
# changes it. The pictures of the window stay in WORKDIR/shared. Exit codes
# as run-vm-test.sh's.
set -uo pipefail
workdir=$1 linux=$2 windows=$3 here=$(cd "$(dirname "$0")" && pwd)
wine=${LQ_WINE:-/usr/lib/wine/wine64}
[ -x "$wine" ] || { echo "VM test skipped: $wine is not installed"; exit 77; }
for program in tests/vm/wine_scenarios uhid_sim/lq3860-sim cli/lq3860ctl; do
  [ -x "$linux/$program" ] || { echo "VM test FAILED: $linux/$program is not built"; exit 1; }
done

# Wine's HID back end for hidraw starts only when its SDL bus is off (Debian's
# Wine has no SDL, and the failed SDL start leaves the udev bus off too).
# Mono and Gecko stay off, so nothing asks for an installer.
recipe="$("$wine" --version) winebus Enable SDL 0, no mscoree, no mshtml"
prefix=${LQ3860_VM_CACHE:-${HOME:-/tmp}/.cache/lq3860-vm}/wine-$(echo "$recipe" | sha256sum | cut -c 1-16)
if [ ! -f "$prefix/ready" ]; then
  rm -rf "$prefix" && mkdir -p "$prefix"
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  "$wine" reg add 'HKLM\System\CurrentControlSet\Services\winebus' /v 'Enable SDL' /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
  "${wine%/*}/wineserver64" -w
  grep -q '"Enable SDL"=dword:00000000' "$prefix/system.reg" || { echo "VM test FAILED: no Wine prefix"; exit 1; }
  touch "$prefix/ready"
fi

rm -rf "$workdir/shared" && mkdir -p "$workdir/shared"
export LQ3860_VM_SHARE_ROOT=1 LQ3860_VM_MEMORY=2048 LQ3860_VM_TIMEOUT=${LQ3860_VM_TIMEOUT:-3000}
export LQ3860_VM_MODULES="virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci netfs fscache
  9pnet 9pnet_virtio 9p overlay"
export LQ3860_VM_ENV="LQ3860_SCENARIOS=$linux/tests/vm/wine_scenarios LQ3860_WINE_BIN=$windows \
LQ3860_WINE_RUN=$(cd "$here/../../cmake" && pwd)/wine-run.sh LQ3860_WINE_PREFIX=$prefix LQ3860_ARTEFACTS=$workdir/shared \
${GTEST_FILTER:+GTEST_FILTER=$GTEST_FILTER}"
exec bash "$here/run-vm-test.sh" "$workdir" "$here/wine-guest.sh" "$linux/uhid_sim/lq3860-sim" "$linux/cli/lq3860ctl"
