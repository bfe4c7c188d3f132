#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan/UBSan) and runs each for SECONDS (default 30),
# starting from its committed seed corpus. New inputs go to build/fuzz/corpus/, never into the
# committed seeds; a crash leaves its input in build/fuzz/crashes/ and fails the script.
# A crash found is turned into a unit test before the fix.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz >/dev/null
targets=$(sed -n 's/^set(KEHRWIX_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/CMakeLists.txt)
[[ -n $targets ]] || { echo "no fuzz targets found in fuzz/CMakeLists.txt" >&2; exit 2; }
build_targets=()
for t in $targets; do build_targets+=("fuzz_$t"); done
cmake --build --preset fuzz -j"$(nproc)" --target "${build_targets[@]}"

mkdir -p build/fuzz/crashes
failed=0
for t in $targets; do
    work=build/fuzz/corpus/$t
    mkdir -p "$work"
    echo "== fuzz_$t for ${seconds}s"
    if ! build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build/fuzz/crashes/"$t"- \
        "$work" fuzz/corpus/"$t" >build/fuzz/"$t".log 2>&1; then
        echo "fuzz_$t FAILED (see build/fuzz/$t.log)"
        tail -n 30 build/fuzz/"$t".log
        failed=1
    else
        grep -E '^stat::number_of_executed_units' build/fuzz/"$t".log || true
    fi
done
exit $failed
