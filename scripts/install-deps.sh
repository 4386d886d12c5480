#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the fuzzers and the
# benchmarks need, skipping those already present. Used by `make`, CI and
# developers alike.
set -euo pipefail

packages=(
  build-essential cmake make
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libfltk1.3-dev libx11-dev libxcursor-dev libxinerama-dev libxft-dev libxfixes-dev libxext-dev libxrender-dev libfontconfig-dev
  libcli11-dev nlohmann-json3-dev
  xvfb xauth
  clang libclang-rt-14-dev clang-format
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
