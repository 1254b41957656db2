# Shared by the scripts that start windows under a virtual X server: the
# packages they need, a private HOME, the server, a session bus and SANE's
# test backend. Source it, then call start_x_session.
# shellcheck shell=bash

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# install_packages PACKAGE...: the ones missing, through apt-get.
install_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# start_x_session WORK_FOLDER [WIDTHxHEIGHT]: everything below WORK_FOLDER is
# thrown away with it; the server and the bus end with the calling shell.
start_x_session() {
  local work=$1 screen=${2:-1280x1024}
  mkdir -p "$work/home" "$work/runtime" "$work/sane"
  chmod 700 "$work/runtime"
  export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
  echo test > "$work/sane/dll.conf"
  printf 'number_of_devices 1\n' > "$work/sane/test.conf"
  export SANE_CONFIG_DIR="$work/sane" NO_AT_BRIDGE=1 QT_QPA_PLATFORM=xcb
  local display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 "${screen}x24" -nolisten tcp > /dev/null 2>&1 &
  X_SERVER_PID=$!
  export DISPLAY=":$display"
  for _ in $(seq 200); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.05; done
  DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3> "$work/bus.pid")
  export DBUS_SESSION_BUS_ADDRESS
  trap 'stop_x_session' EXIT
}

stop_x_session() {
  [ -n "${X_SERVER_PID:-}" ] && kill "$X_SERVER_PID" 2> /dev/null || true
  [ -f "$HOME/../bus.pid" ] && kill "$(cat "$HOME/../bus.pid")" 2> /dev/null || true
  [ -n "${WORK:-}" ] && rm -rf "$WORK"
}

# wait_for_window TITLE_REGEX: until a visible window's title matches.
wait_for_window() {
  for _ in $(seq 2000); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && return 0
    sleep 0.005
  done
  echo "no window named $1 appeared" >&2
  return 1
}

X_SESSION_PACKAGES=(xvfb x11-utils xdotool dbus-daemon)
