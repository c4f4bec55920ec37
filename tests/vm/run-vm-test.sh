#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# run-vm-test.sh WORKDIR BINARY...: runs the scenario programs (the binaries named *_scenarios, in the order
# given) on the real kernel HID stack: a Debian kernel in QEMU, a busybox initramfs with these binaries in /bin.
# Exit 0 passed, 1 failed, 77 skipped. LQ3860_VM_FILES: more files (a Qt platform plugin, say), kept at their
# paths; LQ3860_VM_CACHE: kernel cache (~/.cache/lq3860-vm); LQ3860_VM_ACCEL=kvm: faster. Binaries built with
# AddressSanitizer take their runtime libraries along like any other library.
set -uo pipefail

workdir=$1 binaries=("${@:2}") started=$SECONDS scenarios=()
for binary in "${binaries[@]}"; do [[ $binary == *_scenarios ]] && scenarios+=("${binary##*/}"); done
cache=${LQ3860_VM_CACHE:-${HOME:-/tmp}/.cache/lq3860-vm} modules="hid uhid hid-generic"
skip() { echo "VM test skipped: $*"; exit 77; }
fail() { echo "VM test FAILED: $*"; exit 1; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
busybox=$(command -v busybox) || skip "busybox is not installed"
[ "$(uname -m)" = x86_64 ] || skip "the guest kernel is for x86_64"

# --- Kernel: the one Debian's metapackage names (else the newest cached); only it and the HID modules are kept.
kernel=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
kernel=${kernel:-$(cd "$cache" 2>/dev/null && ls -d linux-image-*/vmlinuz | sort -V | tail -n 1 | cut -d / -f 1)}
[ -n "$kernel" ] || skip "no kernel package known (apt-get update?) and none cached"
kdir=$cache/$kernel
if [ ! -f "$kdir/vmlinuz" ]; then  # the modules may be xz-compressed
  tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
  (cd "$tmp" && apt-get download "$kernel" >/dev/null 2>&1) || skip "cannot download $kernel"
  rm -rf "$kdir.new" && mkdir -p "$kdir.new"
  wanted=('./boot/vmlinuz-*') && for module in $modules; do wanted+=("*/drivers/hid/$module.ko*"); done
  dpkg-deb --fsys-tarfile "$tmp"/*.deb | tar -x -C "$kdir.new" --wildcards --transform 's,.*/,,;s,^vmlinuz-.*,vmlinuz,' \
    "${wanted[@]}" && find "$kdir.new" -name '*.xz' -exec xz -d {} + || fail "cannot unpack $kernel"
  rm -rf "$kdir" && mv "$kdir.new" "$kdir"
fi

# --- Initramfs: busybox, our binaries and their libraries, the modules, and udevadm with only our rule.
root=$workdir/initramfs && rm -rf "$root" && mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules,etc/udev/rules.d,run/udev}
add() {  # file, its path in the guest; with the libraries it needs
  cp "$1" "$root$2" && strip --strip-debug "$root$2" 2>/dev/null
  for library in $(ldd "$1" 2>/dev/null | grep -o '/[^ ]*'); do
    [ -e "$root$library" ] || { mkdir -p "$root${library%/*}" && cp -L "$library" "$root$library"; }
  done
}
add "$busybox" /bin/busybox
for applet in sh mount insmod mkdir poweroff; do ln -s busybox "$root/bin/$applet"; done
for binary in "${binaries[@]}"; do [ -x "$binary" ] && add "$binary" "/bin/${binary##*/}" || fail "$binary is not built"; done
for file in ${LQ3860_VM_FILES:-}; do mkdir -p "$root${file%/*}" && add "$file" "$file" || fail "cannot copy $file"; done
cp "$kdir"/*.ko "$root/lib/modules/"
[ -n "${LQ3860_UDEV_RULE:-}" ] && udevadm=$(command -v udevadm) && cp "$LQ3860_UDEV_RULE" "$root/etc/udev/rules.d/" &&
  add "$udevadm" /bin/udevadm
cat > "$root/init" <<INIT
#!/bin/sh
export PATH=/bin HOME=/tmp
mount -t devtmpfs devtmpfs /dev; mount -t proc proc /proc; mount -t sysfs sysfs /sys; mount -t tmpfs tmpfs /tmp
echo "LQ3860-VM: booted"
for module in $modules; do insmod /lib/modules/\$module.ko || echo "LQ3860-VM: insmod \$module failed"; done
mkdir -m 700 /tmp/runtime && export XDG_RUNTIME_DIR=/tmp/runtime result=0
for program in ${scenarios[*]}; do /bin/\$program --gtest_color=no || result=1; done
echo "LQ3860-VM-RESULT: \$result"
poweroff -f
INIT
chmod +x "$root/init" && initrd=$workdir/initramfs.cpio && (cd "$root" && find . | cpio -o -H newc --quiet) >"$initrd" || fail "no initramfs"

# --- Boot: plain emulation boots everywhere (KVM guests hang on some hosts).
accel=${LQ3860_VM_ACCEL:-tcg} log=$workdir/console.log
timeout 360 qemu-system-x86_64 -accel "$accel" -m 512 -smp 1 -nographic -no-reboot -kernel "$kdir/vmlinuz" \
  -initrd "$initrd" -append "console=ttyS0 panic=-1 quiet" </dev/null >"$log" 2>&1
grep -q 'LQ3860-VM: booted' "$log" || grep -q SeaBIOS "$log" || { head -n 5 "$log"; skip "QEMU cannot run here"; }
tr -d '\r' <"$log" | grep -v '^\[ *[0-9]*\.[0-9]*\]'  # the guest's own lines, without the kernel's
echo "VM test: accel $accel, kernel $kernel, $((SECONDS - started)) s wall time"
grep -q 'LQ3860-VM: booted' "$log" || fail "the guest did not boot"
grep -q 'insmod .* failed' "$log" && fail "a kernel module did not load"
tr -d '\r' <"$log" | grep -qx 'LQ3860-VM-RESULT: 0' && echo "VM test PASSED" || fail "scenarios failed in the guest"
