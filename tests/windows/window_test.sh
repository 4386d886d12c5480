#!/usr/bin/env bash
# window_test.sh WINDOWS_EXE
# The one-shot run with its Win32 window, under Wine on a virtual display: it
# shows the window, ends by itself and leaves the scenario beside the program.
set -euo pipefail
exe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/scenario-compiler.exe"
timeout 180 xvfb-run -a wine "$dir/scenario-compiler.exe"
for f in Vardeo_Lustrella_linea.dat Vardeo_Lustrella_K7306.sim Vardeo_Lustrella_K7306.dat; do
  [[ -f "$dir/$f" ]] || { echo "missing $f"; exit 1; }
done
echo "window run ok"
