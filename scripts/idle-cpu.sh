#!/usr/bin/env bash
# Measures the CPU time the desktop program takes while it sits idle with its window open:
# starts `lumo --simulate` on a virtual display in a scratch working folder (a settings file
# named on the command line, so no start-up question waits), lets the start-up finish, then
# reads the process's user and system time from /proc before and after SECONDS of idling.
# CPU time of the process, not wall time, so other load on the machine does not count.
#   scripts/idle-cpu.sh [PATH-TO-lumo] [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$(realpath -m "${1:-$root/build/release/src/lumo}")"
seconds="${2:-60}"
cli="$(dirname "$exe")/../cli/lumo-cli"
[ -x "$exe" ] || { echo "no program at $exe" >&2; exit 2; }

work="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
if [ -x "$cli" ]; then
    "$cli" new "$work/Idle.KTF" >/dev/null
else
    : >"$work/Idle.KTF"
fi

export LUMO_INSTANCE_NAME="lumo-idle-$$"
export QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" "$exe" --simulate "$work/Idle.KTF" &
# The program is the grandchild of xvfb-run: find it by its own name and this working folder.
pid=""
for _ in $(seq 1 100); do
    for candidate in $(pgrep -x lumo || true); do
        if [ "$(readlink "/proc/$candidate/cwd" 2>/dev/null)" = "$work" ]; then
            pid=$candidate
        fi
    done
    [ -n "$pid" ] && break
    sleep 0.1
done
[ -n "$pid" ] || { echo "the program did not start" >&2; exit 1; }

cputicks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Per thread: id, name and user+system ticks (the name may hold blanks, in parentheses).
threadticks() {
    for t in /proc/"$1"/task/*; do
        sed -E 's/^([0-9]+) \((.*)\) (.*)$/\1 \2|\3/' "$t/stat" |
            awk -F'|' '{ split($2, f, " "); print $1 "|" f[12] + f[13] }'
    done
}
# Past the start-up: the warning window, the port timer's first 8 s and the first status read.
sleep 15
hz=$(getconf CLK_TCK)
before=$(cputicks "$pid")
threadticks "$pid" >"$work/threads.before"
sleep "$seconds"
after=$(cputicks "$pid")
threadticks "$pid" >"$work/threads.after"
used=$((after - before))
awk -v t="$used" -v hz="$hz" -v s="$seconds" 'BEGIN {
    printf "idle CPU: %.0f ms in %d s = %.3f %% of a core\n", t * 1000 / hz, s, t * 100 / hz / s }'
# Where it went, by thread (only threads that used any).
awk -F'|' -v hz="$hz" 'NR == FNR { was[$1] = $2; next }
    { used = $2 - was[$1]; if (used > 0) printf "  %-28s %6.0f ms\n", $1, used * 1000 / hz }' \
    "$work/threads.before" "$work/threads.after"
