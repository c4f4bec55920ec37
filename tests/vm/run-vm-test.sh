#!/usr/bin/env bash
# run-vm-test.sh WORKDIR SCENARIOS SIM [MORE_BINARIES...]: runs the scenario program on the real kernel
# HID stack: a Debian kernel in QEMU, a busybox initramfs with these binaries. Exit 0 passed, 1 failed, 77 skipped.
# LQ3860_VM_CACHE: kernel cache (~/.cache/lq3860-vm); LQ3860_VM_ACCEL=kvm: faster.
set -uo pipefail

workdir=$1 scenarios=$2 binaries=("${@:2}")
cache=${LQ3860_VM_CACHE:-${HOME:-/tmp}/.cache/lq3860-vm}
started=$(date +%s)
skip() { echo "VM test skipped: $*"; exit 77; }
fail() { echo "VM test FAILED: $*"; exit 1; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
busybox=$(command -v busybox) || skip "busybox is not installed"
[ "$(uname -m)" = x86_64 ] || skip "the guest kernel is for x86_64"

# --- Kernel: the one Debian's metapackage names (else the newest cached); only it and the HID modules are kept.
kernel_package=$(apt-cache depends linux-image-amd64 2>/dev/null |
                 sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
[ -n "$kernel_package" ] || kernel_package=$(ls "$cache" 2>/dev/null | grep '^linux-image-' | sort -V | tail -n 1)
[ -n "$kernel_package" ] || skip "no kernel package known (apt-get update?) and none cached"
kernel_dir=$cache/$kernel_package
if [ ! -f "$kernel_dir/vmlinuz" ]; then
  download=$(mktemp -d "${TMPDIR:-/tmp}/lq3860-kernel.XXXXXX")
  trap 'rm -rf "$download"' EXIT
  (cd "$download" && apt-get download "$kernel_package" >/dev/null 2>&1) || skip "cannot download $kernel_package"
  mkdir -p "$download/root" "$kernel_dir.new"
  dpkg-deb --fsys-tarfile "$download"/*.deb |
    tar -x -C "$download/root" --wildcards './boot/vmlinuz-*' '*/modules/*/kernel/drivers/hid/*' ||
    fail "cannot unpack $kernel_package"
  cp "$download"/root/boot/vmlinuz-* "$kernel_dir.new/vmlinuz" || fail "no kernel image in $kernel_package"
  for module in hid uhid hid-generic; do
    found=$(find "$download/root" -path '*/kernel/drivers/hid/*' -name "$module.ko*" | head -n 1)
    [ -n "$found" ] || fail "$module.ko is missing from $kernel_package"
    case $found in *.xz) xz -dc "$found" ;; *.zst) zstd -qdc "$found" ;; *) cat "$found" ;; esac \
      >"$kernel_dir.new/$module.ko"
  done
  rm -rf "$kernel_dir" && mv "$kernel_dir.new" "$kernel_dir"
fi

# --- Initramfs: busybox, our binaries and their libraries, the modules, and udevadm with only our rule.
root=$workdir/initramfs
rm -rf "$root" && mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules}
install_with_libraries() {  # file, its path in the guest
  cp "$1" "$root$2" && strip --strip-debug "$root$2" 2>/dev/null
  ldd "$1" 2>/dev/null | grep -o '/[^ ]*' | while read -r library; do
    [ -e "$root$library" ] || { mkdir -p "$root$(dirname "$library")" && cp -L "$library" "$root$library"; }
  done
}
install_with_libraries "$busybox" /bin/busybox
for applet in sh mount insmod poweroff; do ln -s busybox "$root/bin/$applet"; done
for binary in "${binaries[@]}"; do
  [ -x "$binary" ] || fail "$binary is not built"
  install_with_libraries "$binary" "/bin/$(basename "$binary")"
done
cp "$kernel_dir"/*.ko "$root/lib/modules/"
if [ -n "${LQ3860_UDEV_RULE:-}" ] && udevadm=$(command -v udevadm); then
  mkdir -p "$root/etc/udev/rules.d" "$root/run/udev"
  cp "$LQ3860_UDEV_RULE" "$root/etc/udev/rules.d/"
  install_with_libraries "$udevadm" /bin/udevadm
fi
cat > "$root/init" <<INIT
#!/bin/sh
export PATH=/bin LQ3860_SIM=/bin/lq3860-sim HOME=/tmp
[ -x /bin/lq3860ctl ] && export LQ3860_CTL=/bin/lq3860ctl
[ -x /bin/udevadm ] && export LQ3860_UDEVADM=/bin/udevadm
mount -t devtmpfs devtmpfs /dev; mount -t proc proc /proc; mount -t sysfs sysfs /sys; mount -t tmpfs tmpfs /tmp
echo "LQ3860-VM: booted"
for module in hid uhid hid-generic; do insmod /lib/modules/\$module.ko || echo "LQ3860-VM: insmod \$module failed"; done
/bin/$(basename "$scenarios") --gtest_color=no
echo "LQ3860-VM-RESULT: \$?"
poweroff -f
INIT
chmod +x "$root/init"
initrd=$workdir/initramfs.cpio && (cd "$root" && find . | cpio -o -H newc --quiet) >"$initrd" || fail "no initramfs"

# --- Boot: plain emulation boots everywhere (KVM guests hang on some hosts).
accel=${LQ3860_VM_ACCEL:-tcg} log=$workdir/console.log
timeout 150 qemu-system-x86_64 -accel "$accel" -m 512 -smp 1 -nographic -no-reboot -kernel "$kernel_dir/vmlinuz" \
  -initrd "$initrd" -append "console=ttyS0 panic=-1 quiet" </dev/null >"$log" 2>&1
grep -q 'LQ3860-VM: booted' "$log" || grep -q SeaBIOS "$log" || { head -n 5 "$log"; skip "QEMU cannot run here"; }
grep -v '^\[ *[0-9]*\.[0-9]*\]' "$log" | tr -d '\r'  # the guest's own lines, without the kernel's
echo "VM test: accel $accel, kernel $kernel_package, $(($(date +%s) - started)) s wall time"

grep -q 'LQ3860-VM: booted' "$log" || fail "the guest did not boot"
result=$(tr -d '\r' < "$log" | sed -n 's/^LQ3860-VM-RESULT: \([0-9]*\)$/\1/p' | tail -n 1)
[ "${result:-none}" = 0 ] || fail "scenarios failed in the guest (status ${result:-none})"
grep -q 'insmod .* failed' "$log" && fail "a kernel module did not load"
echo "VM test PASSED"
