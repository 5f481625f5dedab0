#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 root (debootstrap) and checks, as an
# ordinary user, what an installed system must do: the programs answer, a script runs on a
# virtual card, the C kit builds with pkg-config and with find_package, the desktop entry, MIME
# type and udev rule are accepted, the guide and the Python package are in place.
#
#   sudo scripts/test-package-fresh-root.sh [path/to/zeq_VERSION_amd64.deb]
#
# Default package: build/zeq_*_amd64.deb (make it with: cd build && cpack -G DEB).
# Environment:
#   ZEQ_TEST_MIRROR=URL      Debian mirror (default: the first one this machine's apt uses)
#   ZEQ_TEST_ROOT_BASE=DIR   copy this untouched debootstrap result instead of bootstrapping
#                            (to rerun quickly); it is not modified
#   ZEQ_TEST_KEEP_ROOT=1     keep the fresh root afterwards (its path is printed)
# Exit status: 0 when every check passed, 1 when one failed, 2 when the root could not be made.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-}
if [ -z "$deb" ]; then
    deb=$(ls -1t "$here"/build/zeq_*_amd64.deb 2>/dev/null | head -n 1)
fi
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "no package: build it with 'cd build && cpack -G DEB' or pass its path" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "run as root (debootstrap and chroot need it)" >&2
    exit 2
fi

mirror=${ZEQ_TEST_MIRROR:-}
if [ -z "$mirror" ]; then
    mirror=$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}' | grep -v security | head -n 1)
fi
if [ -z "$mirror" ]; then
    mirror=$(grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list | awk '{print $2}' | grep -v security | head -n 1)
fi
mirror=${mirror:-http://deb.debian.org/debian}

root=$(mktemp -d /tmp/zeq-fresh-root.XXXXXX)
chmod 755 "$root"  # it becomes "/" of the ordinary user too
mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null; done
    if [ "${ZEQ_TEST_KEEP_ROOT:-0}" = 1 ]; then
        echo "fresh root kept in $root"
    else
        rm -rf --one-file-system "$root"
    fi
}
trap cleanup EXIT

log=$root.log
echo "== fresh root $root (mirror $mirror), package $(basename "$deb"); log $log"
if [ -n "${ZEQ_TEST_ROOT_BASE:-}" ]; then
    cp -a "$ZEQ_TEST_ROOT_BASE"/. "$root"/ || exit 2
else
    debootstrap --variant=minbase bookworm "$root" "$mirror" >"$log" 2>&1 || {
        echo "debootstrap failed (see $log)" >&2
        exit 2
    }
fi
for fs in proc sys dev; do
    mount --bind "/$fs" "$root/$fs" && mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== installing the package with apt-get"
in_root apt-get update -qq >>"$log" 2>&1 || { echo "apt-get update failed (see $log)"; exit 2; }
cp "$deb" "$root/tmp/"
debname=$(basename "$deb")
if ! (cd "$root/tmp" && in_root sh -c "cd /tmp && apt-get install -y -qq ./$debname") >>"$log" 2>&1; then
    echo "FAIL apt-get install ./$debname (see $log)"
    exit 1
fi
echo "   installed; it pulled in: $(in_root dpkg-query -W -f='${Depends}' zeq)"
echo "== installing the tools of the checks"
in_root apt-get install -y -qq --no-install-recommends pkg-config gcc libc6-dev make cmake \
    desktop-file-utils xdg-utils shared-mime-info udev python3 >>"$log" 2>&1 ||
    { echo "tool installation failed (see $log)"; exit 2; }
in_root useradd -m -s /bin/sh tester

as_user() {
    chroot --userspec=tester:tester "$root" /usr/bin/env -i HOME=/home/tester USER=tester \
        PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

passed=0
failed=0
check() {  # check NAME COMMAND...: runs it, shows the last lines of its output
    local name=$1
    shift
    local out
    if out=$("$@" 2>&1); then
        passed=$((passed + 1))
        echo "PASS $name"
    else
        failed=$((failed + 1))
        echo "FAIL $name"
    fi
    [ -n "$out" ] && printf '%s\n' "$out" | tail -n 4 | sed 's/^/     | /'
}

echo "== checks (as the ordinary user 'tester' unless noted)"
check "zeq --version" as_user zeq --version
check "ZEQLINK_SIM=1 zeq run of the demo example" \
    as_user sh -c 'cp /usr/share/doc/zeq/examples/demo.zeq ~/demo.zeq && ZEQLINK_SIM=1 ZEQLINK_SIM_LATENCY_US=1000 zeq run ~/demo.zeq'
check "build files in the XDG data home (program folder not writable)" \
    as_user sh -c 'test -s ~/.local/share/zeqdesk/dat/build.dat && ! test -e /usr/lib/zeq/dat && ls ~/.local/share/zeqdesk/dat'
check "zeq exits 2 on a usage error" as_user sh -c 'zeq --no-such-option >/dev/null 2>&1; test $? -eq 2'
check "pkg-config --cflags --libs zeqlink" as_user pkg-config --cflags --libs zeqlink
check "C example built with pkg-config runs on a virtual card" \
    as_user sh -c 'cp -r /usr/share/doc/zeq/examples/c ~/c && cd ~/c && make -s && ZEQLINK_SIM=1 ./zeq_c_example'
check "CMake example with find_package(zeqlink) builds and runs" \
    as_user sh -c 'cmake -S /usr/share/doc/zeq/examples/cmake -B ~/cm >/dev/null && cmake --build ~/cm >/dev/null && ZEQLINK_SIM=2 ~/cm/zeq_list_cards'
check "desktop-file-validate zeqdesk.desktop" \
    as_user sh -c 'desktop-file-validate /usr/share/applications/zeqdesk.desktop && grep -E "^(Name|Exec|MimeType)" /usr/share/applications/zeqdesk.desktop'
check "MIME: *.zeq is text/x-zeq, opened by zeqdesk" \
    as_user sh -c 'grep -q "text/x-zeq:\*\.zeq" /usr/share/mime/globs2 && grep "^text/x-zeq=" /usr/share/applications/mimeinfo.cache && test "$(xdg-mime query default text/x-zeq)" = zeqdesk.desktop && echo "xdg-mime: $(xdg-mime query default text/x-zeq)"'
udev_check() {
    local rules=/usr/lib/udev/rules.d/70-zeq-ftdi.rules
    if in_root udevadm verify --help >/dev/null 2>&1; then
        in_root udevadm verify "$rules"
    else
        # udevadm of Debian 12 has no verify: `udevadm test` parses every rules file and logs
        # each invalid line as FILE:LINE followed by the complaint.
        local out
        out=$(in_root udevadm test --action=add /sys/class/mem/null 2>&1)
        printf '%s\n' "$out" | grep -F "Reading rules file: $rules" || return 1
        if printf '%s\n' "$out" | grep -F "$rules:"; then return 1; fi
        echo "udevadm test: no complaint about $rules"
    fi
}
check "udevadm accepts the rule (as root)" udev_check
check "user guide below the program folder" \
    as_user sh -c 'test -s "/usr/lib/zeq/doc/ZeqDesk软件操作指南.html" && ls -L /usr/lib/zeq/doc'
check "Dll/libzeqlink.so beside the programs resolves to the soname" \
    as_user sh -c 'readlink -f /usr/lib/zeq/Dll/libzeqlink.so && test -e /usr/lib/zeq/Dll/libzeqlink.so'
check "man pages" as_user sh -c 'test -s /usr/share/man/man1/zeq.1 && test -s /usr/share/man/man1/zeqdesk.1'
check "Python package on a virtual card" \
    as_user sh -c 'ZEQLINK_SIM=1 python3 -c "import zeqlink; print(zeqlink.library_version(), zeqlink.list_devices())"'
if [ -e "$root/usr/bin/zeqdesk" ]; then
    check "zeqdesk --version" as_user env QT_QPA_PLATFORM=offscreen zeqdesk --version
else
    echo "SKIP zeqdesk --version (zeqdesk is not in this package)"
fi

echo "== $passed passed, $failed failed"
if [ "$failed" -eq 0 ]; then
    rm -f "$log"
    exit 0
fi
echo "   apt and tool output: $log"
exit 1
