#!/usr/bin/env bash
# Takes a picture of the main window over a fresh default archive, under a
# virtual X server with SANE's test backend as the scanner, after one page was
# scanned into "Banks" (the status line under the buttons tells what was
# saved). With --search, a few letters are filed into the archive and the
# picture shows the results of a search typed into the window at its default size.
#
#   scripts/screenshot.sh [output.png]            (default: docs/main-window.png)
#   scripts/screenshot.sh --search [output.png]   (default: docs/search-results.png)
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

search=false
if [ "${1:-}" = "--search" ]; then
  search=true
  shift
fi
default_name=main-window.png
$search && default_name=search-results.png
out=$(realpath -m "${1:-$DOCKETEER_TOP/docs/$default_name}")
ensure_packages
install_packages "${X_SESSION_PACKAGES[@]}" x11-apps netpbm ghostscript openbox
build="$DOCKETEER_TOP/build/release"
configure_and_build "$build" -DCMAKE_BUILD_TYPE=Release -DDOCKETEER_TESTS=OFF -DDOCKETEER_BENCH=OFF >&2

# letter_pdf OUT PAGE...: a PDF with a text layer, one line of words per
# "|"-separated piece of each page.
letter_pdf() {
  local out=$1 ps
  shift
  mkdir -p "$(dirname "$out")"
  ps=$(mktemp)
  echo '%!PS' > "$ps"
  for page in "$@"; do
    echo '/Helvetica findfont 13 scalefont setfont /y 740 def' >> "$ps"
    IFS='|' read -ra lines <<< "$page"
    for line in "${lines[@]}"; do
      printf '72 y moveto (%s) show /y y 22 sub def\n' "$line" >> "$ps"
    done
    echo 'showpage' >> "$ps"
  done
  ps2pdf "$ps" "$out"
  rm -f "$ps"
}

# A few letters of a household, filed where Docketeer would file them.
file_sample_letters() {
  local root=$1
  letter_pdf "$root/Houses/Maple Street/Insurance/Policy Renewal 2026-03-02.pdf" \
    "Harbor Mutual Insurance|Homeowners policy HM-20417, renewal|Your cover for the roof, walls and contents continues|unchanged at an annual premium of 1,184.00."
  letter_pdf "$root/Houses/Maple Street/Insurance/Claim 2026-05-09.pdf" \
    "Harbor Mutual Insurance|Claim 5531 of 9 May 2026" \
    "Assessment|The storm of 2 May lifted tiles on the north side of the roof.|We will pay for the roof repair less the deductible of 500.00."
  letter_pdf "$root/Houses/Maple Street/Maintenance/Roof Repair Invoice 2026-05-21.pdf" \
    "Oakes and Daughter Roofing|Invoice 2291|Replacing 38 roof tiles and the ridge flashing: 2,460.00"
  letter_pdf "$root/Banks/Riverside Savings/Statements/Month Ending 2026-05-31.pdf" \
    "Riverside Savings|Statement for May 2026|Payment to Oakes and Daughter Roofing: 2,460.00"
  letter_pdf "$root/Utilities and Services/Electricity/Bill 2026-06-01.pdf" \
    "Northgrid Energy|Your bill for May 2026|Meter reading 40218 kWh"
}

WORK=$(mktemp -d)
screen=1024x768
$search && screen=1600x900
start_x_session "$WORK" "$screen"
# No catalogue of the user's: the picture shows the default one.
export DOCKETEER_COMMON_DATA="$WORK/common"
# The scanned page is not shown in a viewer over the window.
mkdir -p "$XDG_CONFIG_HOME/Ferncastle"
printf '[Settings]\nViewAfterSaving=0\n' > "$XDG_CONFIG_HOME/Ferncastle/Docketeer.conf"
openbox > /dev/null 2>&1 &
"$build/bin/docketeer" > /dev/null 2>&1 &
program=$!
wait_for_window '^Docketeer'
sleep 1.5  # the tree and the preview paint
window=$(xdotool search --onlyvisible --name '^Docketeer' | head -n 1)
if $search; then
  file_sample_letters "$HOME/Documents/Docketeer"
  xdotool windowmove --sync "$window" 0 0
  sleep 4  # the tree sees them and the index reads them
  xdotool windowfocus --sync "$window"
  xdotool key --window "$window" ctrl+f
  xdotool type --window "$window" --delay 120 "roof"
  sleep 1.5  # the results arrive and paint
else
  # One page into the first folder: select it by typing its name in the tree.
  xdotool windowfocus --sync "$window"
  xdotool mousemove --window "$window" 80 90 click 1
  xdotool type --window "$window" --delay 80 "Banks"
  sleep 0.5
  xdotool key --window "$window" Return
  for _ in $(seq 60); do
    ls "$HOME/Documents/Docketeer/Banks/"*.* > /dev/null 2>&1 && break
    sleep 0.5
  done
  sleep 1.5  # the status line and the page in the preview paint
fi
mkdir -p "$(dirname "$out")"
xwd -silent -id "$window" | xwdtopnm 2> /dev/null | pnmtopng > "$out"
kill "$program"
wait "$program" 2> /dev/null || true
echo "$out"
