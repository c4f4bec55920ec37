#!/usr/bin/env bash
# Boots a Debian kernel in QEMU with a busybox initramfs that holds our
# binaries, loads hid, uhid and hid-generic, and runs the scenario program
# against lq3860-sim modules on the real kernel HID stack.
#
#   run-vm-test.sh WORKDIR SCENARIOS SIM [MORE_BINARIES...]
#
# Exit status: 0 passed, 1 failed, 77 skipped (no QEMU, no kernel).
# LQ3860_VM_CACHE: where the kernel is kept (default ~/.cache/lq3860-vm).
# LQ3860_VM_ACCEL: kvm or tcg to skip the choice.
set -uo pipefail

SKIP=77
workdir=$1
scenarios=$2
shift 2
binaries=("$scenarios" "$@")
cache=${LQ3860_VM_CACHE:-${HOME:-/tmp}/.cache/lq3860-vm}
started=$(date +%s%N)

skip() { echo "VM test skipped: $*"; exit $SKIP; }
fail() { echo "VM test FAILED: $*"; exit 1; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
busybox=$(command -v busybox) || skip "busybox is not installed"
[ "$(uname -m)" = x86_64 ] || skip "the guest kernel is for x86_64"

# --- Kernel: the image the distribution's metapackage names, kept in the cache.
kernel_package=$(apt-cache depends linux-image-amd64 2>/dev/null |
                 sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
if [ -z "$kernel_package" ]; then
  # Without package lists, a kernel fetched earlier still serves.
  kernel_package=$(ls "$cache" 2>/dev/null | grep '^linux-image-' | sort -V | tail -n 1)
fi
[ -n "$kernel_package" ] || skip "no kernel package known (apt-get update?) and none cached"
kernel_dir=$cache/$kernel_package
if [ ! -f "$kernel_dir/vmlinuz" ]; then
  download=$(mktemp -d "${TMPDIR:-/tmp}/lq3860-kernel.XXXXXX")
  trap 'rm -rf "$download"' EXIT
  (cd "$download" && apt-get download "$kernel_package" >/dev/null 2>&1) ||
    skip "cannot download $kernel_package"
  # Only the kernel image and the HID modules are needed.
  mkdir -p "$download/root"
  dpkg-deb --fsys-tarfile "$download"/*.deb |
    tar -x -C "$download/root" --wildcards './boot/vmlinuz-*' '*/modules/*/kernel/drivers/hid/*' ||
    fail "cannot unpack $kernel_package"
  mkdir -p "$kernel_dir.new"
  cp "$download"/root/boot/vmlinuz-* "$kernel_dir.new/vmlinuz" || fail "no kernel image in $kernel_package"
  for module in hid uhid hid-generic; do
    found=$(find "$download/root" -path '*/kernel/drivers/hid/*' -name "$module.ko*" | head -n 1)
    [ -n "$found" ] || fail "$module.ko is missing from $kernel_package"
    case $found in
      *.ko) cp "$found" "$kernel_dir.new/$module.ko" ;;
      *.ko.xz) xz -dc "$found" > "$kernel_dir.new/$module.ko" ;;
      *.ko.zst) zstd -qdc "$found" > "$kernel_dir.new/$module.ko" ;;
      *) fail "unknown module format: $found" ;;
    esac
  done
  rm -rf "$kernel_dir" && mv "$kernel_dir.new" "$kernel_dir"
  rm -rf "$download"
fi

# --- Initramfs: busybox, our binaries with their shared libraries, the modules.
root=$workdir/initramfs
rm -rf "$root" && mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules}
cp "$busybox" "$root/bin/busybox"
for applet in sh mount mkdir insmod poweroff sleep cat echo ls; do
  ln -s busybox "$root/bin/$applet"
done
copy_with_libraries() {
  local file=$1 target=$2
  cp "$file" "$target"
  strip --strip-debug "$target" 2>/dev/null || true
  ldd "$file" 2>/dev/null | grep -o '/[^ ]*' | while read -r library; do
    [ -e "$root$library" ] && continue
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
}
copy_with_libraries "$busybox" "$root/bin/busybox"
for binary in "${binaries[@]}"; do
  [ -x "$binary" ] || fail "$binary is not built"
  copy_with_libraries "$binary" "$root/bin/$(basename "$binary")"
done
cp "$kernel_dir"/*.ko "$root/lib/modules/"
# udevadm with only our rule, to check the rule on the guest's devices.
udevadm=$(command -v udevadm || true)
if [ -n "${LQ3860_UDEV_RULE:-}" ] && [ -n "$udevadm" ]; then
  mkdir -p "$root/etc/udev/rules.d" "$root/run/udev"
  cp "$LQ3860_UDEV_RULE" "$root/etc/udev/rules.d/"
  copy_with_libraries "$udevadm" "$root/bin/udevadm"
fi

cat > "$root/init" <<INIT
#!/bin/sh
export PATH=/bin LQ3860_SIM=/bin/lq3860-sim HOME=/tmp
[ -x /bin/lq3860ctl ] && export LQ3860_CTL=/bin/lq3860ctl
[ -x /bin/udevadm ] && export LQ3860_UDEVADM=/bin/udevadm
mount -t devtmpfs devtmpfs /dev
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t tmpfs tmpfs /tmp
echo "LQ3860-VM: booted"
for module in hid uhid hid-generic; do
  insmod /lib/modules/\$module.ko || echo "LQ3860-VM: insmod \$module failed"
done
/bin/$(basename "$scenarios") --gtest_color=no
echo "LQ3860-VM-RESULT: \$?"
poweroff -f
INIT
chmod +x "$root/init"
initrd=$workdir/initramfs.cpio
(cd "$root" && find . | cpio -o -H newc --quiet) > "$initrd" || fail "cannot build the initramfs"

# --- Boot. KVM where a KVM guest really boots (it hangs on some hosts), else
# plain emulation; the verdict for this host is kept in the cache.
kvm_verdict=$cache/kvm-$(uname -r)
run_guest() {  # accel, seconds to the boot marker, seconds in all
  # Returns 0 when the guest booted and ended, 2 when it did not boot in
  # time, 3 when QEMU itself could not start.
  local accel=$1 boot_limit=$2 limit=$3 log=$workdir/console-$1.log
  : > "$log"
  timeout "$limit" qemu-system-x86_64 -accel "$accel" -m 512 -smp 1 -nographic -no-reboot \
    -kernel "$kernel_dir/vmlinuz" -initrd "$initrd" \
    -append "console=ttyS0 panic=-1 quiet" </dev/null >"$log" 2>&1 &
  local qemu=$! waited=0
  while kill -0 "$qemu" 2>/dev/null; do
    if [ "$waited" -ge "$((boot_limit * 10))" ] && ! grep -q 'LQ3860-VM: booted' "$log"; then
      kill "$qemu" 2>/dev/null; wait "$qemu" 2>/dev/null
      return 2
    fi
    sleep 0.1; waited=$((waited + 1))
  done
  wait "$qemu"
  grep -q 'LQ3860-VM: booted' "$log" && return 0
  grep -q 'SeaBIOS' "$log" && return 2
  return 3
}

accel=${LQ3860_VM_ACCEL:-}
if [ -z "$accel" ]; then
  accel=tcg
  if [ -r /dev/kvm ] && [ -w /dev/kvm ] && [ "$(cat "$kvm_verdict" 2>/dev/null)" != hangs ]; then
    accel=kvm
  fi
fi
run_guest "$accel" 20 150
status=$?
if [ $status -ne 0 ] && [ "$accel" = kvm ] && [ -z "${LQ3860_VM_ACCEL:-}" ]; then
  echo "VM test: the KVM guest did not boot; using plain emulation"
  mkdir -p "$cache" && echo hangs > "$kvm_verdict"
  accel=tcg
  run_guest tcg 60 150
  status=$?
elif [ $status -eq 0 ] && [ "$accel" = kvm ]; then
  mkdir -p "$cache" && echo boots > "$kvm_verdict"
fi
if [ $status -eq 3 ]; then
  head -n 5 "$workdir/console-$accel.log"
  skip "QEMU cannot run here"
fi
log=$workdir/console-$accel.log
# The guest's own lines, without the kernel's.
grep -v '^\[ *[0-9]*\.[0-9]*\]' "$log" | tr -d '\r'
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
echo "VM test: accel $accel, kernel $kernel_package, $((elapsed_ms / 1000)).$(printf %03d $((elapsed_ms % 1000))) s wall time"

[ $status -ne 2 ] || fail "the guest did not boot"
result=$(tr -d '\r' < "$log" | sed -n 's/^LQ3860-VM-RESULT: \([0-9]*\)$/\1/p' | tail -n 1)
[ -n "$result" ] || fail "the guest ended without a result"
[ "$result" = 0 ] || fail "scenarios failed in the guest (status $result)"
grep -q 'insmod .* failed' "$log" && fail "a kernel module did not load"
grep -q '\[  PASSED  \]' "$log" || fail "no passed scenarios reported"
echo "VM test PASSED"
