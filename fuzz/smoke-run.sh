#!/bin/sh
# The fuzz step of the test suite: the same tree gives the same result on every machine.
# The target first runs every seed and kept finding of its corpus (regression), then a fixed
# number of mutations from a fixed seed, starting each time from a fresh work folder, so that
# nothing an earlier run found changes what this run does.
# Usage: smoke-run.sh BINARY WORK_DIR RUNS [SEED_DIR]
set -eu
bin=$1
work=$2
runs=$3
seeds=${4:-}
rm -rf "$work"
mkdir -p "$work"
exec "$bin" -seed=1 -runs="$runs" -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="$work/" "$work" ${seeds:+"$seeds"}
