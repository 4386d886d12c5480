#!/usr/bin/env bash
# run_fuzzer.sh FUZZER SEED_CORPUS SECONDS
# Runs FUZZER for SECONDS from the committed seeds, keeping what it learns in a
# scratch corpus so that the committed one only changes by hand. An input that
# crashes, leaks or times out is kept in fuzz/findings/<fuzzer>/ (not tracked
# by git), and the run says where.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3
findings="$(cd "$(dirname "$0")" && pwd)/findings/$(basename "$fuzzer")"
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$findings/" "$work/corpus" "$seeds" \
  >"$work/log" 2>&1 || status=$?
tail -n 25 "$work/log"
if ((status != 0)); then
  echo "run_fuzzer: $(basename "$fuzzer") failed (status $status); its findings are in $findings:" >&2
  ls -t "$findings" | head -n 5 >&2
fi
exit "$status"
