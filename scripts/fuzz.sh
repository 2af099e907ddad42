#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (the libraries they link instrumented too) and runs
# each for SECONDS (default 20) on one core, printing executions and coverage per target.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# Findings are written to build/fuzz/findings/<target>/; the exit status is 1 when any target
# found one. The grown corpora stay in build/fuzz/corpus/<target>/ for the next run; the seeds
# checked in under fuzz/corpus/ are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
build=build/fuzz

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLUMO_BUILD_FUZZERS=ON -DLUMO_BUILD_TESTS=OFF >/dev/null
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi
cmake --build "$build" -j "${LUMO_FUZZ_BUILD_JOBS:-2}" --target "${targets[@]}"

# The parsers must be instrumented, not only the harnesses: without coverage guards in the
# libraries the fuzzer is blind to their branches and ASan cannot see inside them.
for lib in params files platform link texts remote; do
    archive="$build/src/liblumo_$lib.a"
    guards=$(nm "$archive" 2>/dev/null | grep -c __sanitizer_cov || true)
    if [ "${guards:-0}" -eq 0 ]; then
        echo "fuzz.sh: $archive carries no coverage instrumentation" >&2
        exit 1
    fi
done

status=0
printf '%-24s %12s %10s %10s %8s %s\n' target executions exec/s coverage features result
for target in "${targets[@]}"; do
    name="${target#fuzz_}"
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    mkdir -p "$corpus" "$findings"
    dict=()
    [ -f "fuzz/dict/$name.dict" ] && dict=("-dict=fuzz/dict/$name.dict")
    log="$build/$name.log"
    set +e
    # One job, one worker: the machine is shared.
    ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1:${ASAN_OPTIONS:-}" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -rss_limit_mb=2048 -timeout=20 -artifact_prefix="$findings/" "${dict[@]}" \
        "$corpus" "fuzz/corpus/$name" >"$log" 2>&1
    rc=$?
    set -e
    executions=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
    features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
    result=ok
    if [ $rc -ne 0 ]; then
        result="FINDING (see $log, $findings/)"
        status=1
    fi
    printf '%-24s %12s %10s %10s %8s %s\n' "$name" "${executions:-?}" "${speed:-?}" \
        "${coverage:-?}" "${features:-?}" "$result"
done
exit $status
