#!/usr/bin/env bash
# install-deps.sh [run|test|bench|windows|vscode|web]
# Installs the Debian packages one set of make targets needs, skipping those
# already present: `run` what building and running the program needs, `test`
# that and the test tools, `bench` that and the benchmark library, `windows`
# the MinGW-w64 cross-compiler, Wine and GoogleTest's source, `vscode` Node.js
# and the VS Code extension's npm packages (which `test` installs too), `web`
# Debian's emscripten, Chromium and the page's npm packages (which `test`
# installs too). Without
# an argument, `run`. Used by `make`, CI and developers alike; when everything
# is present it needs no root and calls no sudo.
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
  ccache
  googletest libgtest-dev libgmock-dev
  xvfb xauth
  groff-base man-db dpkg-dev
  chromium python3
  neovim
  "clang-$LLVM_VERSION" "libclang-rt-$LLVM_VERSION-dev" "clang-format-$LLVM_VERSION"
)
bench_packages=(libbenchmark-dev python3)
web_packages=(cmake make emscripten chromium nlohmann-json3-dev)
windows_packages=(
  cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest
  libcli11-dev nlohmann-json3-dev
  xvfb xauth
)

set_name=${1:-run}
case "$set_name" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}" "${web_packages[@]}") ;;
  bench) packages=("${run_packages[@]}" "${bench_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  vscode) packages=() ;;
  web) packages=("${web_packages[@]}") ;;
  *)
    echo "usage: install-deps.sh [run|test|bench|windows|vscode|web]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

# Node.js and npm may come from Debian or from elsewhere: only a missing
# `npm` command brings in Debian's.
if [[ $set_name == test || $set_name == vscode || $set_name == web ]] && ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

apt_install() {
  echo "install-deps: installing $*"
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
      echo "install-deps: missing $*; run this script as root or install sudo" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! "${sudo[@]}" apt-get install -y --no-install-recommends "$@"; then
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "$@"
  fi
}

# The npm packages of a folder (editors/vscode, web), at the versions of its
# package-lock.json: installed once, and again when the lock file changes.
npm_install() {
  local dir
  dir=$(cd "$(dirname "$0")/.." && pwd)/$1
  local installed=$dir/node_modules/.package-lock.json
  if [[ ! -f $installed || $dir/package-lock.json -nt $installed ]]; then
    echo "install-deps: npm ci in $1"
    (cd "$dir" && npm ci --no-audit --no-fund)
  fi
}

if ((${#missing[@]} > 0)); then
  apt_install "${missing[@]}"
fi
if [[ $set_name == test || $set_name == vscode ]]; then
  npm_install editors/vscode
fi
if [[ $set_name == test || $set_name == web ]]; then
  npm_install web
fi
