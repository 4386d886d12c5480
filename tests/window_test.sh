#!/usr/bin/env bash
# Runs the one-shot job with its window on a virtual display and checks that it
# ends by itself with the finished scenario beside the program.
set -euo pipefail
exe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/scenario-compiler"
# The X libraries keep a few allocations until exit; they are not ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
timeout 60 xvfb-run -a "$dir/scenario-compiler"
for f in Vardeo_Lustrella_linea.dat Vardeo_Lustrella_K7306.sim Vardeo_Lustrella_K7306.dat \
         Vardeo_Lustrella_K7306_note.txt Vardeo_Lustrella_K7306_rallentamenti.txt \
         Vardeo_Lustrella_K7306_scheda_treno.txt; do
  [[ -f "$dir/$f" ]] || { echo "missing $f"; exit 1; }
done
if ls "$dir"/*.txt | grep -q -e '_linea.txt' -e '-.txt'; then
  echo "a text file was left behind"; exit 1
fi
echo "window run ok"
