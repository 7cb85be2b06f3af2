#!/usr/bin/env bash
# Rewrites tests/data/expected/ from the current build: the whole `batch --log all` output of
# every bundled sample. Review the change with `git diff tests/data/expected` before committing.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja
cmake --build build --target app_tests
mkdir -p tests/data/expected
IDF_UPDATE_GOLDEN=1 build/tests/app/app_tests --gtest_filter='GoldenOutput.*'
git status --short tests/data/expected
