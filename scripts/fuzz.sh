#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default
# 300). The fuzzers' own output goes to build-fuzz/<target>.log; a finding stops the script
# with that log's end and the crashing input left in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
bash scripts/install-deps.sh
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVPG_FUZZ=ON -DVPG_BUILD_TESTS=OFF -DVPG_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target settings_file_fuzz remote_message_fuzz
mkdir -p build-fuzz/corpus/settings build-fuzz/corpus/remote
cp fuzz/seeds/*.reg build-fuzz/corpus/settings/
for target in settings_file_fuzz:settings remote_message_fuzz:remote; do
    name=${target%%:*}
    corpus=build-fuzz/corpus/${target##*:}
    log=build-fuzz/$name.log
    echo "== $name for ${seconds}s"
    if ! (cd build-fuzz && fuzz/$name -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 "../$corpus" >"../$log" 2>&1); then
        tail -n 40 "$log"
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log"
done
