#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite: a debug build with
# warnings as errors, a build under AddressSanitizer (leak detection on) and
# UndefinedBehaviorSanitizer, the serial component and FTDI tests under ThreadSanitizer, and
# every fuzz target for 20 s as a regression check (LUMO_FUZZ_SECONDS to change, 0 to skip),
# then builds the Debian package, installs it and tries the installed programs
# (LUMO_PACKAGE=0 skips that).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"
for preset in debug asan-ubsan; do
    echo "=== $preset ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
echo "=== tsan (serial component, FTDI layer) ==="
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan -j "$jobs"
seconds="${LUMO_FUZZ_SECONDS:-20}"
if [ "$seconds" != 0 ]; then
    echo "=== fuzz (${seconds} s per target) ==="
    LUMO_FUZZ_BUILD_JOBS="$jobs" scripts/fuzz.sh "$seconds"
fi
if [ "${LUMO_PACKAGE:-1}" != 0 ]; then
    echo "=== package ==="
    LUMO_PACKAGE_JOBS="$jobs" scripts/package.sh
    scripts/package-check.sh
fi
