#!/bin/sh
# The event loop's longest stall during a ten-page batch of about two seconds
# a page, the peak memory of a ten-page batch against a two-page one, and the
# time a disable of a slow scan takes; each over repeated runs.
#   bench/dsm/batch-stalls-and-memory.sh <build folder> [runs]
set -eu
build=${1:?build folder}
runs=${2:-3}
program="$build/bin/dsm_batch_stalls"
library="$(realpath "$build/bin/libdocketeer_dsm.so")"
# A sanitized build holds freed blocks in quarantine; without it the peak is the program's own.
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=0
# 300 dpi A4 colour is about 26 MB; 400 reads of 64 KiB at 5 ms make two seconds.
for run in $(seq "$runs"); do
  ten=$("$program" "$library" 10 300 5000)
  two=$("$program" "$library" 2 300 5000)
  echo "run $run: ten: $ten | two: $two"
  echo "$ten $two" | awk '{ printf "  memory ten/two %.2f\n", $9 / $19 }'
  "$program" "$library" 10 150 100000 --disable-after 300
done
