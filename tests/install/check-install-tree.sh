#!/usr/bin/env bash
# cmake --install into a temporary DESTDIR: every file is there, the metadata
# is valid, and the installed program finds its manager library and the
# default catalogue by itself; the scanner button's script files a document
# as another user.
#   check-install-tree.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/install-checks.sh"
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

prefix=/opt/docketeer-test
DESTDIR="$work/stage" cmake --install "$build" --prefix "$prefix" > /dev/null
root=$(realpath "$work/stage$prefix")
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
check_tree "$root" "$libdir"
check_metadata "$root"
check_program_starts "$root/bin/docketeer" "$root/$libdir/docketeer/libdocketeer_dsm.so" \
  "$root/share/docketeer/DocumentSizes.txt" "$work/run"
check_button_script "$root" "$work"
echo "install tree ok"
