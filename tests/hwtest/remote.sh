#!/usr/bin/env bash
# The desktop's side of the remote bus test: tallyport-cli here, each bus
# served in the VM behind a serial port (run.sh). The answers over the
# connection must be the VM's local ones byte for byte; a write goes through;
# a board that goes silent is said so.
#
#   remote.sh <tallyport-cli> <work folder> <pid of the VM's runner>
set -uo pipefail
cli=$1
work=$2
vm=$3
cd "$work"
failed=0
check() { # name, condition status
    if [ "$2" = 0 ]; then echo "hwtest-remote: ok    $1"; else echo "hwtest-remote: FAIL  $1"; failed=1; fi
}
await() { # a console line, within 600 s, while the VM runs
    for _ in $(seq 1200); do
        grep -aq "^$1" console.log && return 0
        kill -0 "$vm" 2>/dev/null || return 1
        sleep 0.5
    done
    return 1
}
# A serial port as a desktop reaches it: what the VM sends, and what goes to it.
port() { echo "exec:cat '$work/serial$1.out' & exec cat > '$work/serial$1.in'"; }
export TALLYPORT_REMOTE_TIMEOUT=30 # a serial line in an emulated machine

if ! await HWTEST-REMOTE-READY; then
    echo "hwtest-remote: FAIL  the VM never served its buses"
    exit 1
fi
stub=$(port 1)
dvi=$(port 2)
for c in "scan stub" "get stub 20 00 -c 8" "get dvi 50 00 -c 128" "scan dvi"; do
    local_out=$(awk -v c="LOCAL-BEGIN $c" '$0 == c {on = 1; next} /^LOCAL-END/ {on = 0} on' console.log)
    set -- $c
    sub=$1 spec=$stub
    [ "$2" = dvi ] && spec=$dvi
    shift 2
    remote_out=$("$cli" "$sub" -a "$spec" "$@" 2>remote-err.txt)
    [ -n "$local_out" ] && [ "$local_out" = "$remote_out" ]
    check "$c: the same over the serial line as in the VM" $?
    [ "$local_out" = "$remote_out" ] || { echo "  VM:     $local_out"; echo "  remote: $remote_out"; cat remote-err.txt; }
done
edid=$("$cli" get -a "$dvi" 50 00 -c 8 2>&1)
[ "$edid" = "00 FF FF FF FF FF FF 00" ]
check "ddc: the EDID header over the remote bus ($edid)" $?
"$cli" set -a "$stub" 20 30 5A >/dev/null 2>remote-err.txt && [ "$("$cli" get -a "$stub" 20 30 2>&1)" = "5A" ]
check "stub: a byte written over the remote bus reads back" $?

echo silence > serial3.in
if await HWTEST-REMOTE-SILENT; then
    TALLYPORT_REMOTE_TIMEOUT=3 "$cli" get -a "$stub" 20 00 >/dev/null 2>remote-err.txt
    rc=$?
    [ "$rc" != 0 ] && grep -q "did not answer within" remote-err.txt
    check "the VM's serve stopped: the desktop says the board did not answer" $?
    [ "$rc" != 0 ] || cat remote-err.txt
else
    check "the VM's serve stopped" 1
fi
echo done > serial3.in
exit $failed
