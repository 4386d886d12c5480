#!/usr/bin/env bash
# compare_with_linux.sh LINUX_BIN WINDOWS_EXE
# The Windows build must write the Linux build's bytes: the one-shot run, and
# generated routes of many lengths compiled with and without the profile, the
# second with names in à and €. Both builds also agree on the status and on
# what `dump --json` and `plot` print for the largest route. Runs the .exe
# under Wine (WINEPREFIX and WINEDEBUG from the environment).
set -euo pipefail
linux_bin=$1
exe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
same_files() {  # same_files WHAT DIR_A DIR_B
  if ! diff -r "$2" "$3" > /dev/null; then
    fail "$1: the files differ"
    diff -rq "$2" "$3" || true
  fi
}

# The one-shot run, each program in a folder of its own.
mkdir "$work/linux" "$work/windows"
cp "$linux_bin/scenario-compiler" "$work/linux/"
cp "$exe" "$work/windows/"
(cd "$work/linux" && env -u DISPLAY ./scenario-compiler)
(cd "$work/windows" && env -u DISPLAY wine ./scenario-compiler.exe)
rm "$work/linux/scenario-compiler" "$work/windows/scenario-compiler.exe"
same_files "one-shot run" "$work/linux" "$work/windows"
runs=1

# 50 routes from 0 to 1000 km, spread more densely over the short ones.
lengths=(0 1 49 50 51 999 1000 1001 1234 2500 3333 4000 5000 7777 9999 10000 12345 15000 20000
         27000 31415 40000 50000 65536 77777 83150 99999 100000 123456 150000 180000 200000
         222222 250000 270350 300000 333333 400000 450000 500000 555555 600000 650000 700000
         750000 800000 850000 900000 999999 1000000)
names=(--line-name "Città" --train-number "R€1")
for length in "${lengths[@]}"; do
  "$linux_bin/generate_route" "$length" "$work/G_linea.txt" "$work/G_T1-.txt"
  for variant in profile no-profile; do
    options=(-w)
    [[ $variant == no-profile ]] && options+=(--no-profile "${names[@]}")
    rm -rf "$work/l" "$work/w"
    status_l=0 status_w=0
    "$linux_bin/scenario-compiler" compile "$work/G_linea.txt" "$work/G_T1-.txt" -o "$work/l" \
      "${options[@]}" > /dev/null 2>&1 || status_l=$?
    wine "$exe" compile "$work/G_linea.txt" "$work/G_T1-.txt" -o "$work/w" "${options[@]}" \
      > "$work/w.out" 2>&1 || status_w=$?
    [[ $status_l == "$status_w" ]] ||
      fail "length $length $variant: status $status_l on Linux, $status_w on Windows:" \
        "$(head -c 2000 "$work/w.out")"
    same_files "length $length $variant" "$work/l" "$work/w"
    runs=$((runs + 1))
  done
done
# The names in à and €: on disk in UTF-8 on both, stored in Windows-1252.
[[ -f "$work/w/Città_R€1.dat" && -f "$work/w/Città_R€1.sim" ]] ||
  fail "the Windows build did not name its files Città_R€1.*"
LC_ALL=C grep -q $'Citt\xe0' "$work/w/Città_R€1.sim" && LC_ALL=C grep -q $'R\x801' "$work/w/Città_R€1.sim" ||
  fail "the table does not hold the names in Windows-1252"

# What the inspecting commands print, on the last (1000 km) route.
"$linux_bin/scenario-compiler" compile "$work/G_linea.txt" "$work/G_T1-.txt" -o "$work/l" -w
for file in G_T1.dat G_T1.sim G_linea.dat; do
  cmp <("$linux_bin/scenario-compiler" dump --json "$work/l/$file") \
      <(wine "$exe" dump --json "$work/l/$file") || fail "dump --json $file differs"
done
"$linux_bin/scenario-compiler" plot "$work/G_linea.txt" "$work/G_T1-.txt" -o "$work/linux.svg"
wine "$exe" plot "$work/G_linea.txt" "$work/G_T1-.txt" -o "$work/windows.svg"
cmp "$work/linux.svg" "$work/windows.svg" || fail "plot differs"

echo "$((runs - failures)) passed, $failures failed"
((failures == 0))
