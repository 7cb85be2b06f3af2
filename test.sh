#!/usr/bin/env bash
# Sets up, builds and runs every test. `./test.sh --sanitize` does the same in build-sanitize/
# with AddressSanitizer, UndefinedBehaviorSanitizer and leak checking. IDF_STRICT=ON turns compiler
# warnings into errors.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
mode="${1:-}"
bash tools/install-deps.sh "$mode"
builddir=build
extra=()
if [ "$mode" = "--sanitize" ]; then
  builddir=build-sanitize
  extra=(-DIDF_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
export QT_QPA_PLATFORM=offscreen
cmake -S . -B "$builddir" -G Ninja -DIDF_STRICT="${IDF_STRICT:-OFF}" "${extra[@]}" >/dev/null
cmake --build "$builddir" -j"$(nproc)"
ctest --test-dir "$builddir" --output-on-failure -j"$(nproc)"
