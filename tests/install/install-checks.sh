# Checks shared by the install tree and Debian package tests.
# shellcheck shell=bash

APP_ID=com.ferncastle.docketeer
SKIPPED=77

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# expected_files LIBDIR : every file an installation holds, relative to its prefix.
expected_files() {
  local libdir=$1 size
  echo bin/docketeer
  echo "$libdir/docketeer/libdocketeer_dsm.so"
  echo "$libdir/docketeer/docketeer-source-window"
  echo share/docketeer/DocumentSizes.txt
  echo share/docketeer/help/index.html
  echo share/docketeer/help/style.css
  echo "share/applications/$APP_ID.desktop"
  echo "share/metainfo/$APP_ID.metainfo.xml"
  echo share/man/man1/docketeer.1.gz
  echo share/doc/docketeer/copyright
  echo share/doc/docketeer/changelog.gz
  echo share/docketeer/scanbd/docketeer-scan-button
  echo "share/icons/hicolor/scalable/apps/$APP_ID.svg"
  for size in 16 22 24 32 48 64 128 256 512; do
    echo "share/icons/hicolor/${size}x$size/apps/$APP_ID.png"
  done
}

# check_tree ROOT LIBDIR : ROOT holds exactly the expected files, each not empty.
check_tree() {
  local root=$1 libdir=$2 file
  while read -r file; do
    [ -s "$root/$file" ] || fail "$root/$file is missing or empty"
  done < <(expected_files "$libdir")
  diff <(expected_files "$libdir" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
    fail "the installed files differ from the expected ones (< expected, > installed)"
}

# check_metadata ROOT : the desktop entry and the AppStream metadata are valid
# (offline), and the manual page formats without warnings.
check_metadata() {
  local root=$1
  desktop-file-validate "$root/share/applications/$APP_ID.desktop" ||
    fail "desktop-file-validate refused the desktop entry"
  appstreamcli validate --no-net "$root/share/metainfo/$APP_ID.metainfo.xml" ||
    fail "appstreamcli refused the metadata"
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/docketeer.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
}

# check_program_starts PROGRAM DSM CATALOGUE WORK : the program prints its
# version, then starts offscreen with none of its own environment variables,
# loads the manager library DSM and reads the default catalogue CATALOGUE, and
# ends cleanly on SIGTERM.
check_program_starts() {
  local program=$1 dsm=$2 catalogue=$3 work=$4
  local version
  version=$(env -u DOCKETEER_DSM -u DOCKETEER_COMMON_DATA "$program" --version) ||
    fail "$program --version failed"
  [[ $version == "Docketeer "* ]] || fail "unexpected version text: $version"

  mkdir -p "$work/home" "$work/tmp" "$work/sane"
  echo test > "$work/sane/dll.conf"
  # Leaks are checked with the scripted manager elsewhere; SANE's test backend
  # keeps memory of its own once the manager library is unloaded.
  local asan=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
  env -u DOCKETEER_DSM -u DOCKETEER_COMMON_DATA -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
    -u XDG_DATA_DIRS -u XDG_RUNTIME_DIR \
    HOME="$work/home" TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen \
    SANE_CONFIG_DIR="$work/sane" ASAN_OPTIONS="$asan" \
    "$program" > "$work/stdout" 2> "$work/stderr" &
  local pid=$! log="$work/tmp/Docketeer/Docketeer.log" i
  local dsm_line="TwainApi::TwainApi(): Loaded $dsm"
  local catalogue_line="sizes from $catalogue"
  for ((i = 0; i < 600; ++i)); do
    if grep -qF "$dsm_line" "$log" 2> /dev/null && grep -qF "$catalogue_line" "$log"; then
      break
    fi
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
  done
  grep -qF "$dsm_line" "$log" || { kill "$pid"; cat "$log" >&2; fail "$dsm was not loaded"; }
  grep -qF "$catalogue_line" "$log" || { kill "$pid"; cat "$log" >&2; fail "$catalogue was not read"; }
  grep -qF "LoadDocumentSizes(): 0 sizes" "$log" && fail "the default catalogue read as empty"
  kill -TERM "$pid"
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { cat "$work/stderr" >&2; fail "the program ended with status $status"; }
  grep -qF "CFoliantApp::ExitInstance()" "$log" || fail "the program did not close its window"
  [ ! -e "$work/home/.local/share/Ferncastle/Docketeer 2.0/Shared/DocumentSizes.txt" ] ||
    fail "the user's catalogue was written though the list was not changed"
}

# check_button_script ROOT WORK : the scanner button's script of the
# installation ROOT, run as another user whose home is empty (as a button
# daemon's user's is) with SANE's test backend, files the feeder as a PDF in
# the folder it makes, and logs the run. Only root can change users.
check_button_script() {
  local root=$1 work=$2 user=nobody
  if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the button script is not tried as another user"
    return 0
  fi
  local home="$work/button/home" sane="$work/button/sane" status=0
  mkdir -p "$sane"
  chmod 755 "$work" "$work/button" "$sane"
  install -d -o "$user" "$home" "$work/button/tmp"
  echo test > "$sane/dll.conf"
  printf 'geometry_max 400.0\nbr_x 215.9\nbr_y 297.0\n' > "$sane/test.conf"
  env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$work/button/tmp" SANE_CONFIG_DIR="$sane" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" SCANBD_ACTION=scan \
    DOCKETEER_PROGRAM="$root/bin/docketeer" \
    setpriv --reuid="$user" --regid=nogroup --clear-groups \
    "$root/share/docketeer/scanbd/docketeer-scan-button" || status=$?
  local log="$home/.docketeer-button.log"
  [ "$status" -eq 0 ] || { cat "$log" >&2; fail "the button script ended with status $status"; }
  local pdf
  pdf=$(find "$home/Documents/Docketeer/Fax" -maxdepth 1 -name '*.pdf' -user "$user" -print -quit)
  [ -n "$pdf" ] || { cat "$log" >&2; fail "the button script filed no PDF as $user"; }
  grep -q "exit status 0" "$log" || fail "the button script did not log its run"
}
