#!/usr/bin/env bash
# Installs the default document size catalogue when the user has none yet.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
folder=${DOCKETEER_COMMON_DATA:-$data_home}/Ferncastle/Docketeer\ 2.0/Shared
[ -f "$top/data/DocumentSizes.txt" ] || exit 0
if [ ! -f "$folder/DocumentSizes.txt" ]; then
  mkdir -p "$folder"
  cp "$top/data/DocumentSizes.txt" "$folder/DocumentSizes.txt"
fi
