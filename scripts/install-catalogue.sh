#!/usr/bin/env bash
# Puts a copy of the default document size catalogue in place as the user's
# own when the user has none yet; the program reads the default by itself, so
# a copy is only for editing the file by hand. The folder is the one the
# program reads it from: $DOCKETEER_COMMON_DATA when set, otherwise the XDG
# data folder (a relative XDG_DATA_HOME is ignored, as Qt does).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
data_home=${XDG_DATA_HOME:-}
[[ $data_home == /* ]] || data_home=$HOME/.local/share
folder=${DOCKETEER_COMMON_DATA:-$data_home}/Ferncastle/Docketeer\ 2.0/Shared
[ -f "$top/data/DocumentSizes.txt" ] || exit 0
if [ ! -e "$folder/DocumentSizes.txt" ]; then
  mkdir -p "$folder"
  # Copied under a temporary name first, so an interrupted copy never leaves
  # a half catalogue behind.
  cp "$top/data/DocumentSizes.txt" "$folder/.DocumentSizes.txt.new"
  mv "$folder/.DocumentSizes.txt.new" "$folder/DocumentSizes.txt"
fi
