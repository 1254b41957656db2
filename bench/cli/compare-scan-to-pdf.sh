#!/bin/sh
# A 10-page feeder batch, A4 at 300 dpi in colour, from SANE's test backend
# into one PDF with JPEG pages: "docketeer scan FOLDER --feeder --format pdf"
# against "scanimage --batch --format=jpeg" followed by img2pdf, alternating,
# whole processes each. Prints the medians and their ratio (target: 1.15 at most).
# Text recognition is off, as neither tool on the other side reads the pages.
#
#   bench/cli/compare-scan-to-pdf.sh <build folder> [rounds]
set -eu
build=$(cd "${1:?build folder}" && pwd)
rounds=${2:-5}
top=$(cd "$(dirname "$0")/../.." && pwd)
command -v img2pdf > /dev/null || { echo "img2pdf is needed (apt-get install img2pdf)"; exit 1; }
# tmpfs when there is one, so that disk write-back does not decide the race
work=$(mktemp -d -p "$(test -d /dev/shm && echo /dev/shm || echo "${TMPDIR:-/tmp}")")
trap 'rm -rf "$work"' EXIT
shared="$work/common/Ferncastle/Docketeer 2.0/Shared"
mkdir -p "$work/sane" "$work/home" "$work/tmp" "$work/ours" "$work/theirs" "$shared"
cp "$top/data/DocumentSizes.txt" "$shared/"
echo test > "$work/sane/dll.conf"
printf 'number_of_devices 1\ngeometry_min 0.0\ngeometry_max 400.0\ngeometry_quant 0.0\n' \
  > "$work/sane/test.conf"
export SANE_CONFIG_DIR="$work/sane" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  TMPDIR="$work/tmp" DOCKETEER_COMMON_DATA="$work/common"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.4f\n", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

theirs() {
  scanimage -d test:0 --source "Automatic Document Feeder" --mode Color --depth 8 \
    --resolution 300 -l 0 -t 0 -x 210 -y 297 --format=jpeg \
    --batch="$work/theirs/page%02d.jpg" > /dev/null 2>&1
  img2pdf "$work/theirs"/page*.jpg -o "$work/theirs.pdf"
}

ours() {
  "$build/bin/docketeer" scan "$work/ours" --feeder --format pdf --resolution 300 \
    --mode color --size A4 --name Batch --no-ocr > /dev/null
}

: > "$work/ours.txt"; : > "$work/theirs.txt"
for round in $(seq "$rounds"); do
  rm -rf "$work/theirs"/* "$work/theirs.pdf" "$work/ours"/*
  start=$(date +%s.%N); theirs; since "$start" >> "$work/theirs.txt"
  start=$(date +%s.%N); ours; since "$start" >> "$work/ours.txt"
  test -s "$work/ours/Batch.pdf" || { echo "docketeer wrote no PDF"; exit 1; }
  test "$(ls "$work/theirs" | wc -l)" -eq 10 || { echo "scanimage did not give 10 pages"; exit 1; }
done
ours=$(median < "$work/ours.txt")
theirs=$(median < "$work/theirs.txt")
echo "scanimage --batch + img2pdf:  $theirs s (median of $rounds)"
echo "docketeer scan --feeder:      $ours s, ratio $(ratio "$ours" "$theirs")"
echo "PDF sizes: docketeer $(wc -c < "$work/ours/Batch.pdf") bytes, img2pdf $(wc -c < "$work/theirs.pdf") bytes"
