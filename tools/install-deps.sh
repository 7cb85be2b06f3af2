#!/usr/bin/env bash
# Installs the Debian packages the build needs; quiet when everything is there.
set -euo pipefail
pkgs=(g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev clang-format qt6-base-dev
      libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev
      libocct-data-exchange-dev libocct-ocaf-dev
      qt6-svg-dev libqt6opengl6-dev libocct-visualization-dev fonts-dejavu-core xvfb xauth)
if [ "${1:-}" = "--fuzz" ]; then
  pkgs+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null || true
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
