#!/bin/sh
# Many scans filing into one folder at once, as scanner buttons and a second
# computer do: 8 processes x 25 single-page scans ("docketeer scan FOLDER
# --format jpeg", names proposed by the folder) against one process doing its
# 25 alone. Checks that all 200 documents are there under the 200 names that
# follow the folder's last one, with no gap and none lost, and prints the time
# per scan of both (wall time divided by scans) and their ratio (target: 1.1
# at most). Beside them, the same load with scanimage writing numbered files,
# which names nothing and claims nothing. FORMATS="jpeg pdf tiff" gives the
# processes those formats in turn: a number of the series is taken once,
# whatever the format of the document that took it.
#
#   [FORMATS=...] bench/claims/concurrent-scans.sh <build folder> [processes] [scans each] [folder]
set -eu
build=$(cd "${1:?build folder}" && pwd)
processes=${2:-8}
each=${3:-25}
top=$(cd "$(dirname "$0")/../.." && pwd)
# tmpfs by default so disk write-back does not decide the race; a 4th argument
# puts the archive elsewhere (an ext4 or network folder).
base=${4:-$(test -d /dev/shm && echo /dev/shm || echo "${TMPDIR:-/tmp}")}
work=$(mktemp -d -p "$base")
trap 'rm -rf "$work"' EXIT
shared="$work/common/Ferncastle/Docketeer 2.0/Shared"
mkdir -p "$work/sane" "$work/home" "$work/tmp" "$work/alone" "$work/together" "$work/theirs" \
  "$shared"
cp "$top/data/DocumentSizes.txt" "$shared/"
echo test > "$work/sane/dll.conf"
printf 'number_of_devices 1\ngeometry_min 0.0\ngeometry_max 400.0\ngeometry_quant 0.0\n' \
  > "$work/sane/test.conf"
export SANE_CONFIG_DIR="$work/sane" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  TMPDIR="$work/tmp" DOCKETEER_COMMON_DATA="$work/common" ASAN_OPTIONS=detect_leaks=0
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.4f\n", b - a }'; }
per() { awk -v t="$1" -v n="$2" 'BEGIN { printf "%.4f", t / n }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# Counter names, "Item 0001" onwards, so the expected names are easy to list.
series() {
  printf '[Settings]\r\nRecurrenceType=1\r\nItemType=1\r\nRelationType=1\r\nIndexType=9\r\n' \
    > "$1/_defaults.ini"
}

formats=${FORMATS:-jpeg}
format_of() { # process number
  set -- "$1" $formats
  shift $(( ($1 - 1) % ($# - 1) + 1 ))
  echo "$1"
}

scans() { # folder count [format]
  for _ in $(seq "$2"); do
    "$build/bin/docketeer" scan "$1" --format "${3:-jpeg}" --resolution 75 --mode gray --no-ocr \
      > /dev/null || echo "exit $?" >> "$work/failures"
  done
}

scanimages() { # process count
  for n in $(seq "$2"); do
    scanimage -d test:0 --mode Gray --resolution 75 --format=jpeg \
      -o "$work/theirs/$1-$n.jpg" > /dev/null 2>&1
  done
}

: > "$work/failures"
series "$work/alone"
series "$work/together"
start=$(date +%s.%N); scans "$work/alone" "$each"; alone=$(since "$start")

start=$(date +%s.%N)
for p in $(seq "$processes"); do scans "$work/together" "$each" "$(format_of "$p")" & done
wait
together=$(since "$start")

start=$(date +%s.%N)
for p in $(seq "$processes"); do scanimages "$p" "$each" & done
wait
theirs=$(since "$start")

total=$((processes * each))
documents='^Item [0-9]*\.\(jpg\|pdf\|tif\)$'
found=$(ls "$work/together" | grep -c "$documents" || true)
missing=0
for i in $(seq "$total"); do
  # Exactly one document per number, whatever its format.
  taken=$(ls "$work/together" | grep -c "^$(printf 'Item %04d' "$i")\." || true)
  [ "$taken" -eq 1 ] || missing=$((missing + 1))
done
echo "documents: $found of $total, names Item 0001 to $(printf 'Item %04d' "$total") missing or twice: $missing," \
  "failed commands: $(wc -l < "$work/failures")," \
  "left over: $(ls -A "$work/together" | grep -vc -e "$documents" -e '^_defaults.ini$' || true)"
echo "last recorded: $(grep LastDestination "$work/together/_defaults.ini" | tr -d '\r')"
echo "one process alone:        $(per "$alone" "$each") s per scan ($each scans)"
echo "$processes processes at once:   $(per "$together" "$total") s per scan ($total scans)," \
  "ratio $(ratio "$(per "$together" "$total")" "$(per "$alone" "$each")")"
echo "scanimage, $processes at once:  $(per "$theirs" "$total") s per scan" \
  "($(ls "$work/theirs" | wc -l) numbered files, no names)"
