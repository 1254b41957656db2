#!/usr/bin/env bash
# From the start of the program to its main window shown over the default
# archive (292 folders), and its resident memory once shown, against GNOME's
# Document Scanner started the same way: one virtual X server, SANE's test
# backend, alternating runs. Prints the medians and the ratios.
#
#   bench/scan/compare-startup.sh <build folder> [rounds]
set -euo pipefail
source "$(dirname "$0")/../../scripts/x-session.sh"

build=$(cd "${1:?build folder}" && pwd)
rounds=${2:-7}
install_packages "${X_SESSION_PACKAGES[@]}" simple-scan
WORK=$(mktemp -d)
start_x_session "$WORK"
export DOCKETEER_COMMON_DATA="$WORK/common"
mkdir -p "$DOCKETEER_COMMON_DATA/Ferncastle/Docketeer 2.0/Shared"
cp "$DOCKETEER_TOP/data/DocumentSizes.txt" "$DOCKETEER_COMMON_DATA/Ferncastle/Docketeer 2.0/Shared/"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# run TITLE_REGEX PROGRAM...: prints "<seconds to window> <resident KiB>".
run() {
  local title=$1 start pid shown rss
  shift
  start=$(date +%s.%N)
  "$@" > /dev/null 2>&1 &
  pid=$!
  wait_for_window "$title"
  shown=$(date +%s.%N)
  sleep 1  # what it loads right after showing counts too
  rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  awk -v a="$start" -v b="$shown" -v r="$rss" 'BEGIN { printf "%.4f %d\n", b - a, r }'
}

ours() { run '^Docketeer' "$build/bin/docketeer"; }
theirs() { run 'Document Scanner|Simple Scan' simple-scan; }

ours > /dev/null  # the first start creates the default archive
test "$(find "$HOME/Documents/Docketeer" -mindepth 1 -type d | wc -l)" -eq 292 ||
  echo "warning: the archive does not hold 292 folders" >&2
theirs > /dev/null
: > "$WORK/ours.txt"; : > "$WORK/theirs.txt"
for _ in $(seq "$rounds"); do
  ours >> "$WORK/ours.txt"
  theirs >> "$WORK/theirs.txt"
done
ours_time=$(awk '{ print $1 }' "$WORK/ours.txt" | median)
ours_rss=$(awk '{ print $2 }' "$WORK/ours.txt" | median)
theirs_time=$(awk '{ print $1 }' "$WORK/theirs.txt" | median)
theirs_rss=$(awk '{ print $2 }' "$WORK/theirs.txt" | median)
echo "simple-scan: $theirs_time s to window, $((theirs_rss / 1024)) MiB (median of $rounds)"
echo "docketeer:   $ours_time s to window, $((ours_rss / 1024)) MiB"
echo "ratios:      time $(ratio "$ours_time" "$theirs_time"), memory $(ratio "$ours_rss" "$theirs_rss")"
