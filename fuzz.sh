#!/usr/bin/env bash
# Builds the IDF reader's fuzzer with clang and libFuzzer and runs it for SECONDS (default 60).
# "./fuzz.sh SECONDS model" runs the slower target instead: the board built and drilled in the
# OpenCASCADE host; "./fuzz.sh SECONDS dialog" the whole import through the dialog against the
# recording host. Findings land in fuzz-out/ (fuzz-out-model/, fuzz-out-dialog/); copy a fixed one
# into fuzz/regressions/ so every test run replays it.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
seconds="${1:-60}"
target="${2:-reader}"
bash tools/install-deps.sh --fuzz
if [ "$target" = model ]; then
  build=build-fuzz-model out=fuzz-out-model exe=idf_model_fuzz occt=ON
elif [ "$target" = dialog ]; then
  build=build-fuzz out=fuzz-out-dialog exe=idf_dialog_fuzz occt=OFF
else
  build=build-fuzz out=fuzz-out exe=idf_fuzz occt=OFF
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DIDF_FUZZ=ON -DIDF_SANITIZE=ON \
  -DIDF_WITH_QT=OFF -DIDF_WITH_OCCT="$occt" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$exe"
mkdir -p "$out/corpus" "$out/findings"
cp -n fuzz/seeds/* fuzz/regressions/* "$out/corpus/" 2>/dev/null || true
# The project's sample pairs, joined the way the target splits them.
for s in data/samples/*.emn; do
  lib="${s%.emn}.emp"
  if [ -f "$lib" ]; then
    { cat "$s"; printf '\n%%%%LIBRARY%%%%\n'; cat "$lib"; } > "$out/corpus/sample-$(basename "${s%.emn}")"
  fi
done
export ASAN_OPTIONS="detect_leaks=1"
# Further arguments go to libFuzzer as they stand (-timeout=60 where a niced run waits its turn).
"./$build/fuzz/$exe" "$out/corpus" -artifact_prefix="$out/findings/" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 "${@:3}"
