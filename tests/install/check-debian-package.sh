#!/usr/bin/env bash
# scripts/package builds the Debian package; it holds the same files as an
# install of the same build, declares its dependencies, installs on this
# machine, the installed program starts and ends cleanly, and the scanner
# button's script files a document as another user. lintian finds nothing to
# warn about. The package is
# removed again afterwards, so the machine is left as it was.
#   check-debian-package.sh SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/install-checks.sh"
top=$1
work=$(mktemp -d)
installed_here=0
cleanup() {
  if [ "$installed_here" -eq 1 ]; then
    apt-get purge -y -qq -o DPkg::Lock::Timeout=300 docketeer > /dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

deb=$("$top/scripts/package" | tail -n 1)
[ -f "$deb" ] || fail "scripts/package made no package ($deb)"

# What the package holds, and what it says about itself.
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' |
  sort > "$work/contents"
libdir=$(grep -o '^lib/[^ ]*/libdocketeer_dsm.so$' "$work/contents" | sed 's|/docketeer/libdocketeer_dsm.so||')
[ -n "$libdir" ] || fail "no manager library in the package"
diff <(expected_files "$libdir" | sort) "$work/contents" ||
  fail "the package's files differ from the expected ones (< expected, > packaged)"
depends=$(dpkg-deb --field "$deb" Depends)
for package in libqt6widgets6 libsane1 libtiff6 libqpdf tesseract-ocr-eng tesseract-ocr-osd; do
  [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
recommends=$(dpkg-deb --field "$deb" Recommends)
for package in sane-utils sane-airscan ipp-usb; do
  [[ $recommends == *"$package"* ]] || fail "Recommends lacks $package: $recommends"
done
[ -n "$(dpkg-deb --field "$deb" Maintainer)" ] || fail "no maintainer"

# Debian's own checks of a package: no error and no warning (informational
# tags and overrides are not counted).
lintian --fail-on error,warning --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1 ||
  { cat "$work/lintian" >&2; fail "lintian reports errors or warnings"; }
cat "$work/lintian"

# The same files as an install of the build the package came from.
build=$(dirname "$(dirname "$deb")")
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr > /dev/null
diff "$work/contents" <(cd "$work/stage/usr" && find . -type f -printf '%P\n' | sort) ||
  fail "the package and cmake --install hold different files"
check_metadata "$work/stage/usr"

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: the package is not installed on this machine"
  exit "$SKIPPED"
fi
if dpkg-query -W -f='${Status}' docketeer 2> /dev/null | grep -q "install ok installed"; then
  echo "a docketeer package is installed already: left alone"
  exit "$SKIPPED"
fi
# One package test at a time on this machine (other checkouts run it too).
exec 9> /tmp/docketeer-package-test.lock
flock 9
installed_here=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=300 "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "the package did not install"; }
[ "$(command -v docketeer)" = /usr/bin/docketeer ] || fail "docketeer is not on the PATH"
check_program_starts /usr/bin/docketeer "/usr/$libdir/docketeer/libdocketeer_dsm.so" \
  /usr/share/docketeer/DocumentSizes.txt "$work/run"
check_button_script /usr "$work"
apt-get purge -y -qq -o DPkg::Lock::Timeout=300 docketeer > /dev/null
installed_here=0
[ ! -e /usr/bin/docketeer ] || fail "the package did not remove its program"
echo "debian package ok"
