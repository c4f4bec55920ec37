#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# run-vm-test.sh WORKDIR BINARY...: runs the scenario programs (the binaries named *_scenarios and the
# scripts named *-guest.sh, in the order given) on the real kernel HID stack: a Debian kernel in QEMU, a busybox
# initramfs with these files in /bin. Exit 0 passed, 1 failed, 77 skipped. LQ3860_VM_FILES: more files (a Qt
# platform plugin, say), kept at their paths; LQ3860_VM_MODULES: kernel modules to load after the HID ones, in
# order, each NAME or NAME:PARAMETER; LQ3860_VM_ENV: NAME=VALUE words the guest's programs get;
# LQ3860_VM_SHARE_ROOT=1: the host's root read-only as 9p tag "hostroot" and WORKDIR/shared read-write as tag
# "work"; LQ3860_VM_MEMORY (MB) and LQ3860_VM_TIMEOUT (s); LQ3860_VM_CACHE: kernel cache (~/.cache/lq3860-vm);
# LQ3860_VM_ACCEL: tcg or kvm (default: KVM where /dev/kvm opens and boots, else plain emulation). Binaries built with
# AddressSanitizer take their runtime libraries along like any other library.
set -uo pipefail

workdir=$1 binaries=("${@:2}") started=$SECONDS scenarios=()
for binary in "${binaries[@]}"; do [[ $binary == *_scenarios || $binary == *-guest.sh ]] && scenarios+=("${binary##*/}"); done
cache=${LQ3860_VM_CACHE:-${HOME:-/tmp}/.cache/lq3860-vm} modules=$(echo hid uhid hid-generic ${LQ3860_VM_MODULES:-})
skip() { echo "VM test skipped: $*"; exit 77; }
fail() { echo "VM test FAILED: $*"; exit 1; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
busybox=$(command -v busybox) || skip "busybox is not installed"
[ "$(uname -m)" = x86_64 ] || skip "the guest kernel is for x86_64"

# --- Kernel: the one Debian's metapackage names (else the newest cached), with the modules every leg loads: HID
# over uhid and USB, a USB gadget on the dummy controller, and the 9p share with an overlay. The cache folder is
# named by a hash of this recipe, so a changed list fills a new one.
recipe="hid uhid hid-generic usb-common usbcore usbhid udc-core configfs libcomposite usb_f_hid dummy_hcd
        virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci netfs fscache 9pnet 9pnet_virtio 9p
        overlay"
kernel=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
kernel=${kernel:-$(cat "$cache"/*/kernel 2>/dev/null | sort -V | tail -n 1)}
[ -n "$kernel" ] || skip "no kernel package known (apt-get update?) and none cached"
kdir=$cache/$(echo "$kernel" $recipe | sha256sum | cut -c 1-16)
if [ ! -f "$kdir/kernel" ]; then  # the modules may be xz-compressed
  tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
  (cd "$tmp" && apt-get download "$kernel" >/dev/null 2>&1) || skip "cannot download $kernel"
  rm -rf "$kdir.new" && mkdir -p "$kdir.new"
  wanted=('./boot/vmlinuz-*') && for module in $recipe; do wanted+=("*/$module.ko*"); done
  dpkg-deb --fsys-tarfile "$tmp"/*.deb | tar -x -C "$kdir.new" --wildcards --transform 's,.*/,,;s,^vmlinuz-.*,vmlinuz,' \
    "${wanted[@]}" && find "$kdir.new" -name '*.xz' -exec xz -d {} + && echo "$kernel" >"$kdir.new/kernel" ||
    fail "cannot unpack $kernel"
  rm -rf "$kdir" && mv "$kdir.new" "$kdir"
fi
for module in $modules; do [ -f "$kdir/${module%%:*}.ko" ] || fail "kernel module ${module%%:*} is not in the recipe"; done

# --- Initramfs: busybox, our binaries and their libraries, the modules, and udevadm with only our rule.
root=$workdir/initramfs && rm -rf "$root" && mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules,etc/udev/rules.d,run/udev}
add() {  # file, its path in the guest; with the libraries it needs
  cp "$1" "$root$2" && strip --strip-debug "$root$2" 2>/dev/null
  for library in $(ldd "$1" 2>/dev/null | grep -o '/[^ ]*'); do
    [ -e "$root$library" ] || { mkdir -p "$root${library%/*}" && cp -L "$library" "$root$library"; }
  done
}
add "$busybox" /bin/busybox
for applet in sh mount insmod mkdir poweroff chroot cp; do ln -s busybox "$root/bin/$applet"; done
for binary in "${binaries[@]}"; do [ -x "$binary" ] && add "$binary" "/bin/${binary##*/}" || fail "$binary is not built"; done
for file in ${LQ3860_VM_FILES:-}; do mkdir -p "$root${file%/*}" && add "$file" "$file" || fail "cannot copy $file"; done
for module in $modules; do cp "$kdir/${module%%:*}.ko" "$root/lib/modules/"; done
[ -n "${LQ3860_UDEV_RULE:-}" ] && udevadm=$(command -v udevadm) && cp "$LQ3860_UDEV_RULE" "$root/etc/udev/rules.d/" &&
  add "$udevadm" /bin/udevadm
cat > "$root/init" <<INIT
#!/bin/sh
export PATH=/bin HOME=/tmp
mount -t devtmpfs devtmpfs /dev; mount -t proc proc /proc; mount -t sysfs sysfs /sys; mount -t tmpfs tmpfs /tmp
echo "LQ3860-VM: booted"
for module in $modules; do
  name=\${module%%:*} parameter=; [ "\$name" = "\$module" ] || parameter=\${module#*:}
  insmod /lib/modules/\$name.ko \$parameter || echo "LQ3860-VM: insmod \$name failed"
done
[ -d /sys/kernel/config ] && mount -t configfs configfs /sys/kernel/config
mkdir -m 700 /tmp/runtime && export XDG_RUNTIME_DIR=/tmp/runtime result=0 ${LQ3860_VM_ENV:-}
for program in ${scenarios[*]}; do /bin/\$program --gtest_color=no || result=1; done
echo "LQ3860-VM-RESULT: \$result"
poweroff -f
INIT
chmod +x "$root/init" && initrd=$workdir/initramfs.cpio && (cd "$root" && find . | cpio -o -H newc --quiet) >"$initrd" || fail "no initramfs"

# --- Boot: with KVM where /dev/kvm opens, else plain emulation. Some hosts (nested virtualisation) open
# /dev/kvm but stall the guest's kernel: a KVM guest that has not booted within 30 s is stopped and the run
# starts again emulated; the cache remembers that host, so later runs go straight to emulation.
log=$workdir/console.log stalls=$cache/kvm-stalls-$(uname -n)
accel=${LQ3860_VM_ACCEL:-$( [ -r /dev/kvm ] && [ -w /dev/kvm ] && [ ! -f "$stalls" ] && echo kvm || echo tcg)}
share=() && if [ "${LQ3860_VM_SHARE_ROOT:-}" = 1 ]; then
  mkdir -p "$workdir/shared" && share=(
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap
    -virtfs "local,path=$workdir/shared,mount_tag=work,security_model=none")
fi
boot() {  # boot ACCEL: runs the guest to its end; with KVM false when it has not booted within 30 s
  timeout "${LQ3860_VM_TIMEOUT:-360}" qemu-system-x86_64 -accel "$1" -m "${LQ3860_VM_MEMORY:-512}" -smp 1 \
    -nographic -no-reboot -kernel "$kdir/vmlinuz" -initrd "$initrd" -append "console=ttyS0 panic=-1 quiet" \
    "${share[@]}" </dev/null >"$log" 2>&1 &
  local qemu=$! waited=0
  while [ "$1" = kvm ] && kill -0 $qemu 2>/dev/null && ! grep -q 'LQ3860-VM: booted' "$log"; do
    [ $((waited += 1)) -le 300 ] || { kill $qemu; wait $qemu; return 1; }
    sleep 0.1
  done
  wait $qemu
  return 0
}
if ! boot "$accel"; then
  echo "VM test: the KVM guest did not boot within 30 s; emulating (and from now on on $(uname -n))"
  touch "$stalls" && accel=tcg && boot tcg
fi
grep -q 'LQ3860-VM: booted' "$log" || grep -q SeaBIOS "$log" || { head -n 5 "$log"; skip "QEMU cannot run here"; }
tr -d '\r' <"$log" | grep -v '^\[ *[0-9]*\.[0-9]*\]'  # the guest's own lines, without the kernel's
echo "VM test: accel $accel, kernel $kernel, $((SECONDS - started)) s wall time"
grep -q 'LQ3860-VM: booted' "$log" || fail "the guest did not boot"
grep -q 'insmod .* failed' "$log" && fail "a kernel module did not load"
tr -d '\r' <"$log" | grep -qx 'LQ3860-VM-RESULT: 0' && echo "VM test PASSED" || fail "scenarios failed in the guest"
