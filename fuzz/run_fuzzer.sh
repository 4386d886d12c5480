#!/usr/bin/env bash
# run_fuzzer.sh FUZZER SEED_CORPUS SECONDS
# Runs FUZZER for SECONDS from the committed seeds, keeping what it learns in a
# scratch corpus so that the committed one only changes by hand.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds" 2>&1 | tail -n 25
