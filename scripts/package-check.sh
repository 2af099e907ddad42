#!/usr/bin/env bash
# Installs the package that scripts/package.sh built (lumo_*_amd64.deb in the top folder) on
# this machine with apt-get and checks the installed programs from /usr/bin: their versions, a
# read of the simulated unit over a pseudo-terminal, and a start of the desktop program in a
# fresh home folder, which must fill ~/Lumo with the shipped data and keep what the user
# changed there. Needs root (or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
debs=(lumo_*_amd64.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package-check: expected one lumo_*_amd64.deb in $PWD, found ${#debs[@]}" >&2
    exit 1
fi
deb="${debs[0]}"
version="$(dpkg-deb -f "$deb" Version)"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "=== installing $deb ==="
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --reinstall --allow-downgrades \
    "./$deb" >/dev/null

fail() {
    echo "package-check: $*" >&2
    exit 1
}

for f in /usr/bin/lumo /usr/bin/lumo-cli /usr/bin/lumo-sim /usr/lib/udev/rules.d/60-lumo.rules \
    /usr/share/applications/invalid.lumo.Lumo.desktop /usr/share/lumo/Cesky.lng \
    /usr/share/lumo/English.lng /usr/share/man/man1/lumo.1.gz; do
    dpkg -S "$f" >/dev/null 2>&1 || fail "$f is not installed by the package"
done

tmp="$(mktemp -d)"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

echo "=== versions ==="
for program in lumo-cli lumo-sim; do
    out="$(/usr/bin/$program --version)"
    echo "$out"
    # The programs print the version with two-digit parts (3.06.00.04 for 3.6.0.4).
    shown="$(echo "$out" | grep -Eo '[0-9]+(\.[0-9]+)+' | head -1 |
        awk -F. '{ for (i = 1; i <= NF; i++) printf "%s%d", (i > 1 ? "." : ""), $i }')"
    [ "$shown" = "$version" ] || fail "$program --version shows $shown, the package is $version"
done

echo "=== lumo-cli read all from lumo-sim ==="
/usr/bin/lumo-sim unit --pty-link "$tmp/unit" >"$tmp/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
    [ -e "$tmp/unit" ] && break
    sleep 0.1
done
[ -e "$tmp/unit" ] || fail "lumo-sim did not place its link: $(cat "$tmp/sim.out")"
/usr/bin/lumo-cli read all --port "$tmp/unit" "$tmp/read.KTF" || fail "read all failed"
[ -s "$tmp/read.KTF" ] || fail "read all wrote no settings file"
/usr/bin/lumo-cli show "$tmp/read.KTF" >/dev/null || fail "the read settings file does not show"
kill "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
sim_pid=""

echo "=== lumo --home-folder --simulate in a fresh home ==="
home="$tmp/home"
mkdir -p "$home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
start_gui() {
    # Still running after the time-out (status 124) is a good start.
    local rc=0
    HOME="$home" XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen LUMO_WORKDIR= \
        timeout 8 /usr/bin/lumo --home-folder --simulate >"$tmp/gui.out" 2>&1 || rc=$?
    [ "$rc" -eq 124 ] || fail "lumo ended early (status $rc): $(cat "$tmp/gui.out")"
}
start_gui
for f in Cesky.lng English.lng PowerOn.WAV Lumo-CZ.html Lumo-EN.html; do
    cmp -s "/usr/share/lumo/$f" "$home/Lumo/$f" || fail "~/Lumo/$f is not the shipped file"
done
# A second start keeps the user's own pack.
printf '[Menu]\r\n1=Mine\r\n' >"$home/Lumo/English.lng"
start_gui
[ "$(cat "$home/Lumo/English.lng")" = "$(printf '[Menu]\r\n1=Mine\r\n')" ] ||
    fail "a second start overwrote the user's English.lng"
echo "Package $deb installs and runs"
