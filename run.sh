#!/usr/bin/env bash
# Sets up, builds and imports the bundled sample board.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
bash tools/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target corvane-idf
# The model goes to build/sample-assembly/ unless options are given.
if [ $# -eq 0 ]; then
  set -- --assembly-dir "$PWD/build/sample-assembly/"
fi
./build/app/corvane-idf batch data/samples/sample.emn "$@"
