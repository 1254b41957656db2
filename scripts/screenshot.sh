#!/usr/bin/env bash
# Takes a picture of the main window over a fresh default archive, under a
# virtual X server with SANE's test backend as the scanner.
#
#   scripts/screenshot.sh [output.png]      (default: docs/main-window.png)
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

out=$(realpath -m "${1:-$DOCKETEER_TOP/docs/main-window.png}")
ensure_packages
install_packages "${X_SESSION_PACKAGES[@]}" x11-apps netpbm
build="$DOCKETEER_TOP/build/release"
configure_and_build "$build" -DCMAKE_BUILD_TYPE=Release -DDOCKETEER_TESTS=OFF -DDOCKETEER_BENCH=OFF >&2

WORK=$(mktemp -d)
start_x_session "$WORK" 1024x768
# No catalogue of the user's: the picture shows the default one.
export DOCKETEER_COMMON_DATA="$WORK/common"
"$build/bin/docketeer" > /dev/null 2>&1 &
program=$!
wait_for_window '^Docketeer'
sleep 1.5  # the tree and the preview paint
window=$(xdotool search --onlyvisible --name '^Docketeer' | head -n 1)
mkdir -p "$(dirname "$out")"
xwd -silent -id "$window" | xwdtopnm 2> /dev/null | pnmtopng > "$out"
kill "$program"
wait "$program" 2> /dev/null || true
echo "$out"
