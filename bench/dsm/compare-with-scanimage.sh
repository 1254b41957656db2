#!/bin/sh
# A 10-page feeder batch at 300 dpi in colour on an A4 frame, from SANE's test
# backend: scanimage --batch writing PNM files against the manager library
# writing BMP files, alternating, in one run. Prints the medians and the ratios:
# whole processes, and the library's batch alone (from opening the manager to
# closing it, without the start of a Qt process that the program pays anyway).
#
#   bench/dsm/compare-with-scanimage.sh <build folder> [rounds]
set -eu
build=$(cd "${1:?build folder}" && pwd)
rounds=${2:-5}
# tmpfs when there is one, so that disk write-back does not decide the race
work=$(mktemp -d -p "$(test -d /dev/shm && echo /dev/shm || echo "${TMPDIR:-/tmp}")")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sane" "$work/config" "$work/ours" "$work/theirs"
echo test > "$work/sane/dll.conf"
printf 'number_of_devices 1\ngeometry_min 0.0\ngeometry_max 400.0\ngeometry_quant 0.0\n' \
  > "$work/sane/test.conf"
export SANE_CONFIG_DIR="$work/sane" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen

since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.4f\n", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
seconds() { start=$(date +%s.%N); "$@" > /dev/null 2>&1; since "$start"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: > "$work/ours.txt"; : > "$work/theirs.txt"; : > "$work/batch.txt"
for round in $(seq "$rounds"); do
  rm -f "$work/theirs"/* "$work/ours"/*
  seconds scanimage -d test:0 --source "Automatic Document Feeder" --mode Color --depth 8 \
    --resolution 300 -l 0 -t 0 -x 210 -y 297 --format=pnm \
    --batch="$work/theirs/page%d.pnm" >> "$work/theirs.txt"
  start=$(date +%s.%N)
  "$build/bin/dsm_feeder_batch" "$build/bin/libdocketeer_dsm.so" "$work/ours" 300 2> /dev/null \
    | awk '{ print $3 }' >> "$work/batch.txt"
  since "$start" >> "$work/ours.txt"
  test "$(ls "$work/ours" | wc -l)" -eq 10 || { echo "the library did not give 10 pages"; exit 1; }
done
ours=$(median < "$work/ours.txt")
batch=$(median < "$work/batch.txt")
theirs=$(median < "$work/theirs.txt")
echo "scanimage --batch:        $theirs s (median of $rounds)"
echo "docketeer_dsm, process:   $ours s, ratio $(ratio "$ours" "$theirs")"
echo "docketeer_dsm, batch:     $batch s, ratio $(ratio "$batch" "$theirs")"
