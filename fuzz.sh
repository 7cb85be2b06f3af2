#!/usr/bin/env bash
# Builds the IDF reader's fuzzer with clang and libFuzzer and runs it for SECONDS (default 60).
# Findings land in fuzz-out/; copy a fixed one into fuzz/regressions/ so every test run replays it.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
seconds="${1:-60}"
bash tools/install-deps.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DIDF_FUZZ=ON -DIDF_SANITIZE=ON \
  -DIDF_WITH_QT=OFF -DIDF_WITH_OCCT=OFF -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target idf_fuzz
mkdir -p fuzz-out/corpus fuzz-out/findings
cp -n fuzz/seeds/* fuzz/regressions/* fuzz-out/corpus/ 2>/dev/null || true
# The project's sample pairs, joined the way the target splits them.
for s in data/samples/*.emn; do
  lib="${s%.emn}.emp"
  if [ -f "$lib" ]; then
    { cat "$s"; printf '\n%%%%LIBRARY%%%%\n'; cat "$lib"; } > "fuzz-out/corpus/sample-$(basename "${s%.emn}")"
  fi
done
export ASAN_OPTIONS="detect_leaks=1"
./build-fuzz/fuzz/idf_fuzz fuzz-out/corpus -artifact_prefix=fuzz-out/findings/ \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1
