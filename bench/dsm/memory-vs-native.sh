#!/bin/sh
# A ten-page feeder batch at 300 dpi in colour on an A4 frame, taken by memory
# transfer and by native transfer, alternating, in one run: the medians of the
# batch times and of the peak memory, and their ratios (memory / native).
#   bench/dsm/memory-vs-native.sh <build folder> [rounds]
set -eu
build=${1:?build folder}
rounds=${2:-5}
program="$build/bin/dsm_batch_stalls"
library="$(realpath "$build/bin/libdocketeer_dsm.so")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A sanitized build holds freed blocks in quarantine; without it the peak is the program's own.
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=0
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for round in $(seq "$rounds"); do
  # "<pages> pages <seconds> s longest-stall <ms> ms peak <kB> kB"
  "$program" "$library" 10 300 0 >> "$work/native.txt"
  "$program" "$library" 10 300 0 --memory >> "$work/memory.txt"
done
for mode in native memory; do
  awk '$1 != 10 { print "a batch without 10 pages: " $0; exit 1 }' "$work/$mode.txt"
  awk '{ print $3 }' "$work/$mode.txt" | median > "$work/$mode.seconds"
  awk '{ print $9 }' "$work/$mode.txt" | median > "$work/$mode.peak"
done
ns=$(cat "$work/native.seconds"); ms=$(cat "$work/memory.seconds")
np=$(cat "$work/native.peak"); mp=$(cat "$work/memory.peak")
echo "native: $ns s, peak $np kB (median of $rounds)"
echo "memory: $ms s, peak $mp kB"
awk -v a="$ms" -v b="$ns" -v c="$mp" -v d="$np" \
  'BEGIN { printf "ratio memory/native: time %.3f, peak %.3f\n", a / b, c / d }'
