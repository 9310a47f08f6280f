#!/usr/bin/env bash
# Runs the i2c-dev backend's test program against a real Linux kernel:
# Debian's kernel boots under QEMU (software emulation, no KVM needed) from a
# busybox initramfs holding the program and the modules it needs: i2c-stub
# (an SMBus-only bus), radeonfb on QEMU's ati-vga (bit-banged DDC buses with
# an EDID chip), the PC's PIIX4 SMBus with its SPD EEPROMs, and at24.
#
#   run.sh <static test program> <work folder> [<static tallyport-cli>]
#
# Packages are fetched into the work folder once (apt-get download), never
# installed; qemu-system-x86 must be installed. i2c-tools' i2ctransfer, i2cdump and i2cget go in
# too, with the host's C library, to replay the bus log's exported scripts.
# With tallyport-cli, the VM then serves the stub and DDC buses on its second
# and third serial ports, and remote.sh drives them from this side through
# exec: as a desktop would (a fourth port carries its requests to the VM).
# Exits with the program's status, or 1 when the remote checks fail.
set -euo pipefail

prog_script=$(readlink -f "$0")
prog=$(readlink -f "$1")
work=$2
cli=${3:+$(readlink -f "$3")}
modules="i2c-dev i2c-algo-bit fb_ddc radeonfb i2c-piix4 at24 i2c-stub"

mkdir -p "$work/debs"
cd "$work"

kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -1
}

fetch() { # a package's .deb, downloaded once
    local deb
    deb=$(ls debs/"$1"_*.deb 2>/dev/null | head -1 || true)
    if [ -z "$deb" ]; then
        # root downloads as itself: the sandbox user cannot write here
        (cd debs && apt-get download -q $([ "$(id -u)" = 0 ] && echo -o APT::Sandbox::User=root) "$1" >/dev/null)
        deb=$(ls debs/"$1"_*.deb | head -1)
    fi
    echo "$deb"
}

kpkg=$(kernel_package)
if [ -z "$kpkg" ]; then
    apt-get update -qq
    kpkg=$(kernel_package)
fi
[ -n "$kpkg" ] || { echo "hwtest: no linux-image-amd64 in the package lists"; exit 1; }
kdeb=$(fetch "$kpkg")
bdeb=$(fetch busybox-static)
tdeb=$(fetch i2c-tools)
ldeb=$(fetch libi2c0)

# Only the kernel image and the modules the test needs come out of the
# package, once per package version.
if [ "$(cat root/.from 2>/dev/null)" != "$kdeb $bdeb" ]; then
    rm -rf root
    mkdir -p root
    pattern="boot/vmlinuz-|/($(echo "$modules" | tr ' ' '|'))\.ko(\.xz)?$"
    dpkg-deb --fsys-tarfile "$kdeb" | tar -t | grep -E "$pattern" > wanted.txt
    dpkg-deb --fsys-tarfile "$kdeb" | tar -x -C root -T wanted.txt
    dpkg-deb --fsys-tarfile "$bdeb" | tar -x -C root ./bin/busybox
    echo "$kdeb $bdeb" > root/.from
fi
rm -rf initrd
mkdir -p initrd/bin initrd/dev initrd/proc initrd/sys initrd/lib/modules
bb=$PWD/root/bin/busybox

cp "$bb" initrd/bin/busybox
for m in $modules; do
    ko=$(find root -name "$m.ko" -o -name "$m.ko.xz" | head -1)
    [ -n "$ko" ] || { echo "hwtest: module $m is not in $kpkg"; exit 1; }
    case $ko in
    *.xz) "$bb" unxz -c "$ko" > "initrd/lib/modules/$m.ko" ;;
    *) cp "$ko" "initrd/lib/modules/$m.ko" ;;
    esac
done
cp "$prog" initrd/hwtest
# i2ctransfer and what it links: libi2c from its package, the C library from the host.
rm -rf tools && mkdir -p tools
dpkg-deb -x "$tdeb" tools
dpkg-deb -x "$ldeb" tools
mkdir -p initrd/usr/sbin initrd/lib/x86_64-linux-gnu initrd/lib64
cp tools/usr/sbin/i2ctransfer tools/usr/sbin/i2cdump tools/usr/sbin/i2cget initrd/usr/sbin/
cp -L tools/usr/lib/x86_64-linux-gnu/libi2c.so.0 initrd/lib/x86_64-linux-gnu/
cp -L /lib/x86_64-linux-gnu/libc.so.6 initrd/lib/x86_64-linux-gnu/
cp -L /lib64/ld-linux-x86-64.so.2 initrd/lib64/
[ -z "$cli" ] || cp "$cli" initrd/tallyport-cli
cat > initrd/init <<'EOF'
#!/bin/busybox sh
# a line of its own for what the firmware left on the console
echo
/bin/busybox --install -s /bin
# busybox's i2c applets share i2c-tools' names but not their behaviour
rm -f /bin/i2ctransfer /bin/i2cdump /bin/i2cget /bin/i2cset /bin/i2cdetect
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for m in i2c-dev i2c-algo-bit fb_ddc radeonfb i2c-piix4 at24; do
    insmod /lib/modules/$m.ko || echo "hwtest: cannot load $m"
done
insmod /lib/modules/i2c-stub.ko chip_addr=0x20,0x50 || echo "hwtest: cannot load i2c-stub"
/hwtest
echo "HWTEST-EXIT $?"
if [ -x /tallyport-cli ]; then
    # The remote bus: a serve per bus on its own serial port, raw, started
    # again whenever it ends; the local answers for remote.sh to compare with.
    rmmod i2c_stub 2>/dev/null
    insmod /lib/modules/i2c-stub.ko chip_addr=0x20,0x50
    mkdir -p /tmp
    serve() {
        stty -F "$1" raw -echo
        while :; do
            /tallyport-cli serve --adapter "$2" <"$1" >"$1" 2>/dev/null &
            echo $! > "/tmp/serve-$3.pid"
            wait $!
            sleep 1
        done &
    }
    serve /dev/ttyS1 "SMBus stub driver" stub
    stub_server=$!
    serve /dev/ttyS2 "radeonfb dvi" dvi
    /tallyport-cli set -a "SMBus stub driver" -f 20 00 01 02 03 04 05 06 07 08 >/dev/null 2>&1
    for c in "scan stub" "get stub 20 00 -c 8" "get dvi 50 00 -c 128" "scan dvi"; do
        set -- $c
        sub=$1 bus="SMBus stub driver"
        [ "$2" = dvi ] && bus="radeonfb dvi"
        shift 2
        echo "LOCAL-BEGIN $c"
        /tallyport-cli $sub -a "$bus" "$@" 2>/dev/null
        echo "LOCAL-END"
    done
    stty -F /dev/ttyS3 -echo
    echo "HWTEST-REMOTE-READY"
    while read -r request </dev/ttyS3; do
        case $request in
        # i2c-stub cannot be unloaded while a serve holds it open: the board goes silent instead.
        silence) kill "$stub_server" "$(cat /tmp/serve-stub.pid)"; echo "HWTEST-REMOTE-SILENT" ;;
        done) break ;;
        esac
    done
fi
poweroff -f
EOF
chmod +x initrd/init
(cd initrd && find . | "$bb" cpio -o -H newc 2>/dev/null) | gzip -1 > initrd.gz

# The console stays on ttyS0; ports 1 to 3 are FIFO pairs (QEMU reads
# NAME.in, writes NAME.out).
ports=(-serial mon:stdio)
for n in 1 2 3; do
    rm -f "serial$n.in" "serial$n.out"
    mkfifo "serial$n.in" "serial$n.out"
    ports+=(-chardev "pipe,id=serial$n,path=serial$n" -serial "chardev:serial$n")
done

echo "hwtest: booting $kpkg under qemu-system-x86_64 (TCG)"
start=$(date +%s)
: > console.log # written line by line: remote.sh follows it
(timeout 900 qemu-system-x86_64 -accel tcg -m 512 -smp 1 -nographic -no-reboot -net none -vga none \
    -device ati-vga,model=rv100 "${ports[@]}" \
    -kernel root/boot/vmlinuz-* -initrd initrd.gz \
    -append "console=ttyS0 quiet loglevel=3 panic=-1" < /dev/null | stdbuf -oL tr -d '\r' > console.log || true) &
vm=$!
remote_rc=0
if [ -n "$cli" ]; then
    # remote.sh says so when the VM never got there
    "$(dirname "$prog_script")/remote.sh" "$cli" "$PWD" "$vm" || remote_rc=1
fi
wait "$vm" || true
grep -aE "^(hwtest|  i2c-)|Kernel panic|cannot load" console.log || true
rc=$(sed -n 's/^HWTEST-EXIT \([0-9]*\)$/\1/p' console.log | tail -1)
echo "hwtest: VM run took $(( $(date +%s) - start )) s; console in $PWD/console.log"
if [ -z "$rc" ]; then
    echo "hwtest: the VM did not finish the test program"
    exit 1
fi
[ "$remote_rc" = 0 ] || rc=1
exit "$rc"
