#!/bin/sh
# SPDX-License-Identifier: MIT
# The Wine leg inside the test VM (busybox, started by run-vm-test.sh's init):
# the host's root, shared read-only over 9p, becomes the guest's root under a
# writable overlay, so Wine, Xvfb and udev come from the host; the shared work
# folder is mounted at its own path for the pictures the scenarios keep.
# udevd runs, so Wine sees modules plugged after it started. Then
# wine_scenarios runs there (see run-wine-leg.sh for the LQ3860_ variables).
mkdir -p /host /layers /new
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=loose,ro hostroot /host || exit 1
mount -t tmpfs tmpfs /layers && mkdir /layers/upper /layers/work || exit 1
mount -t overlay overlay -o lowerdir=/host,upperdir=/layers/upper,workdir=/layers/work /new || exit 1
mount -o bind /dev /new/dev && mount -t proc proc /new/proc && mount -t sysfs sysfs /new/sys &&
  mount -t tmpfs tmpfs /new/tmp && mount -t tmpfs tmpfs /new/run || exit 1
# Builds kept under /tmp (a checkout there) stay visible through the guest's own /tmp;
# so does a Wine prefix cached there, under a writable layer of its own.
for dir in "${LQ3860_SCENARIOS%/*}" "$LQ3860_WINE_BIN" "${LQ3860_WINE_RUN%/*}"; do
  case $dir in /tmp/*) { mkdir -p "/new$dir" && mount -o bind "/host$dir" "/new$dir"; } || exit 1 ;; esac
done
case $LQ3860_WINE_PREFIX in
/tmp/*)
  mkdir -p /layers/prefix /layers/prefix-work "/new$LQ3860_WINE_PREFIX" && mount -t overlay overlay -o \
    "lowerdir=/host$LQ3860_WINE_PREFIX,upperdir=/layers/prefix,workdir=/layers/prefix-work" "/new$LQ3860_WINE_PREFIX" ||
    exit 1
  ;;
esac
mkdir -p "/new$LQ3860_ARTEFACTS" && mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 work "/new$LQ3860_ARTEFACTS" || exit 1
# The Linux tool and the virtual modules where the scenarios look for them.
cp /bin/lq3860-sim /bin/lq3860ctl /new/usr/bin/ || exit 1
# systemd-udevd and udevadm do nothing in a chroot unless told to.
export SYSTEMD_IGNORE_CHROOT=1
exec chroot /new /bin/sh -c '
  /lib/systemd/systemd-udevd --daemon && udevadm trigger --action=add && udevadm settle || exit 1
  export HOME=/root PATH=/usr/bin:/bin:/usr/sbin:/sbin
  "$LQ3860_SCENARIOS" --gtest_color=no'
