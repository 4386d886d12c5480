#!/usr/bin/env bash
# Runs the one-shot job with its window on a virtual display and checks that it
# ends by itself with the finished scenario beside the program, that the
# window module was loaded for it, and that a run without a display loads no
# X library.
set -euo pipefail
exe=$1
dir=$(mktemp -d)
logs=$(mktemp -d)
trap 'rm -rf "$dir" "$logs"' EXIT
cp "$exe" "$dir/scenario-compiler"
# The X libraries keep a few allocations until exit; they are not ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
timeout 60 xvfb-run -a env LD_DEBUG=files LD_DEBUG_OUTPUT="$logs/window" "$dir/scenario-compiler"
grep -q 'file=libX11\.so' "$logs"/window.* || { echo "the window module was not loaded"; exit 1; }
env -u DISPLAY LD_DEBUG=files LD_DEBUG_OUTPUT="$logs/terminal" "$dir/scenario-compiler"
if grep -q 'file=libX11\.so' "$logs"/terminal.*; then
  echo "a run without a display loaded the X library"; exit 1
fi
for f in Vardeo_Lustrella_linea.dat Vardeo_Lustrella_K7306.sim Vardeo_Lustrella_K7306.dat \
         Vardeo_Lustrella_K7306_note.txt Vardeo_Lustrella_K7306_rallentamenti.txt \
         Vardeo_Lustrella_K7306_scheda_treno.txt; do
  [[ -f "$dir/$f" ]] || { echo "missing $f"; exit 1; }
done
if ls "$dir"/*.txt | grep -q -e '_linea.txt' -e '-.txt'; then
  echo "a text file was left behind"; exit 1
fi
echo "window run ok"
