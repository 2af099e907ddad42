#!/usr/bin/env bash
# Installs what is missing, builds Lumo and starts it. Without a real unit attached it runs
# against the built-in simulated unit and line box (--simulate). With no display it starts
# a virtual one (Xvfb) so the program can still be driven and screenshotted.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
exe="$PWD/build/release/src/lumo"
cli="$PWD/build/release/cli/lumo-cli"
args=("$@")
# Without arguments: real devices when a USB-serial port or an FTDI device is attached
# (or LUMO_REAL_DEVICES is set), otherwise the simulated unit and line box.
if [ ${#args[@]} -eq 0 ] && [ -z "${LUMO_REAL_DEVICES:-}" ]; then
    if ! compgen -G "/dev/ttyUSB*" >/dev/null && ! compgen -G "/dev/ttyACM*" >/dev/null &&
        [ -z "$("$cli" usb 2>/dev/null)" ]; then
        args=(--simulate)
    fi
fi
# --home-folder: the program works in ~/Lumo (or $LUMO_WORKDIR), creates it and copies the
# shipped data (language packs, tone samples, manual) from build/release/share/lumo into it;
# files the technician changed or removed there are left as they are.
args=(--home-folder "${args[@]}")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$exe" "${args[@]}"
fi
exec "$exe" "${args[@]}"
