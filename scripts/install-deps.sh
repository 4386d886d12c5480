#!/usr/bin/env bash
# install-deps.sh [run|test|bench|windows]
# Installs the Debian packages one set of make targets needs, skipping those
# already present: `run` what building and running the program needs, `test`
# that and the test tools, `bench` that and the benchmark library, `windows`
# the MinGW-w64 cross-compiler, Wine and GoogleTest's source. Without an
# argument, `run`. Used by `make`, CI and developers alike; when everything is
# present it needs no root and calls no sudo.
set -euo pipefail
# shellcheck source=toolchain.env
source "$(dirname "$0")/toolchain.env"

run_packages=(
  build-essential cmake make
  libfltk1.3-dev libx11-dev libxcursor-dev libxinerama-dev libxft-dev libxfixes-dev libxext-dev
  libxrender-dev libfontconfig-dev
  libcli11-dev nlohmann-json3-dev
  python3
)
test_packages=(
  googletest libgtest-dev libgmock-dev
  xvfb xauth
  groff-base man-db dpkg-dev
  chromium python3
  neovim
  "clang-$LLVM_VERSION" "libclang-rt-$LLVM_VERSION-dev" "clang-format-$LLVM_VERSION"
)
bench_packages=(libbenchmark-dev python3)
windows_packages=(
  cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest
  libcli11-dev nlohmann-json3-dev
  xvfb xauth
)

set_name=${1:-run}
case "$set_name" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  bench) packages=("${run_packages[@]}" "${bench_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  *)
    echo "usage: install-deps.sh [run|test|bench|windows]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps: missing ${missing[*]}; run this script as root or install sudo" >&2
    exit 1
  fi
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
