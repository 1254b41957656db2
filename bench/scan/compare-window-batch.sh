#!/usr/bin/env bash
# A ten-sheet A4 300 dpi colour feeder batch from SANE's test backend scanned
# through the real main window (offscreen) into one PDF, against
# `scanimage --batch --format=jpeg` followed by `img2pdf` on the same pages,
# alternating in one run; then the peak memory of ten sheets against two, of a
# hundred pages against ten through the fake manager, and the event loop's
# longest stall during the batch (text recognition off, as the other side has
# none). Prints medians and ratios.
#
#   bench/scan/compare-window-batch.sh [rounds]
#
# Builds its own release tree (build/bench) with the tests' fake manager.
set -euo pipefail
source "$(dirname "$0")/../../scripts/common.sh"

rounds=${1:-5}
ensure_packages
build="$DOCKETEER_TOP/build/bench"
test -f "$build/CMakeCache.txt" || cmake -S "$DOCKETEER_TOP" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DDOCKETEER_TESTS=ON -DDOCKETEER_BENCH=ON >&2
cmake --build "$build" --parallel "$(nproc)" --target scan_window_batch >&2
fake=$(find "$build" -name 'libdocketeer_fake_dsm.so' | head -n 1)

# tmpfs when there is one, so that disk write-back does not decide the race
work=$(mktemp -d -p "$(test -d /dev/shm && echo /dev/shm || echo "${TMPDIR:-/tmp}")")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sane" "$work/theirs"
echo test > "$work/sane/dll.conf"
printf 'number_of_devices 1\ngeometry_min 0.0\ngeometry_max 400.0\ngeometry_quant 0.0\n' \
  > "$work/sane/test.conf"
export SANE_CONFIG_DIR="$work/sane" QT_QPA_PLATFORM=offscreen
unset DOCKETEER_DSM

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
field() { awk -v name="$1" '{ for (i = 1; i < NF; ++i) if ($i == name) print $(i + 1) }'; }

# ours SHEETS DPI [--fake LIB]: one batch through the window in a fresh home.
ours() {
  local home
  home=$(mktemp -d -p "$work")
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    "$build/bin/scan_window_batch" "$@" 2> "$work/ours.err" ||
    { cat "$work/ours.err" >&2; echo "the window's batch failed" >&2; exit 1; }
  rm -rf "$home"
}
theirs() {
  rm -f "$work/theirs"/*
  local start
  start=$(date +%s.%N)
  scanimage -d test:0 --source "Automatic Document Feeder" --mode Color --depth 8 \
    --resolution 300 -l 0 -t 0 -x 210 -y 297 --format=jpeg \
    --batch="$work/theirs/page%02d.jpg" > /dev/null 2>&1
  img2pdf "$work/theirs"/page*.jpg -o "$work/theirs/batch.pdf"
  awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.4f\n", b - a }'
}

: > "$work/ours.txt"; : > "$work/theirs.txt"
for _ in $(seq "$rounds"); do
  ours 10 300 >> "$work/ours.txt"
  theirs >> "$work/theirs.txt"
done
ours_time=$(field seconds < "$work/ours.txt" | median)
theirs_time=$(median < "$work/theirs.txt")
stall=$(field longest-stall-ms < "$work/ours.txt" | sort -n | tail -n 1)
echo "scanimage + img2pdf:   $theirs_time s (median of $rounds)"
echo "docketeer window:      $ours_time s, ratio $(ratio "$ours_time" "$theirs_time")"
echo "longest event-loop stall over all batches: $stall ms"

: > "$work/two.txt"; : > "$work/hundred.txt"; : > "$work/ten-fake.txt"
for _ in $(seq "$rounds"); do
  ours 2 300 >> "$work/two.txt"
  ours 10 300 --fake "$fake" >> "$work/ten-fake.txt"
  ours 100 300 --fake "$fake" >> "$work/hundred.txt"
done
ten=$(field peak-kib < "$work/ours.txt" | median)
two=$(field peak-kib < "$work/two.txt" | median)
ten_fake=$(field peak-kib < "$work/ten-fake.txt" | median)
hundred=$(field peak-kib < "$work/hundred.txt" | median)
echo "peak memory, SANE:  ten sheets $((ten / 1024)) MiB, two $((two / 1024)) MiB, ratio $(ratio "$ten" "$two")"
echo "peak memory, fake:  100 pages $((hundred / 1024)) MiB, ten $((ten_fake / 1024)) MiB, ratio $(ratio "$hundred" "$ten_fake")"
