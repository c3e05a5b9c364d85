# Helpers for driving the programs with real X events: a private X server,
# programs started as root or as the unprivileged user "nobody", windows
# found by their titles, keys typed through the X server's keymap.
#
# Every wait polls with a generous limit, so a busy machine only makes the
# tests slower; a limit that runs out is a failure with a screenshot.

LIMIT=${NV_XTEST_LIMIT:-60}  # seconds any single wait may take

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/app.log" ] && tail -n 5 "$work/app.log" >&2
  shot "failure-$(date +%s%N)"
  exit 1
}

note() { echo "-- $*"; }

# A private X server on a free display, open to every local user (the
# permission cases run the programs as nobody). Sets DISPLAY.
start_x() {
  local fifo="$work/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x900x24 -ac -nolisten tcp 3>"$fifo" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local number
  read -r -t "$LIMIT" number <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$number"
}

stop_x() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  return 0
}

shot() {
  [ -n "${DISPLAY:-}" ] && import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null
  return 0
}

# A sandbox configuration folder for each user (the registry files one user
# writes are not another's): silent audio that keeps real time.
make_config() {
  local user
  for user in root nobody; do
    mkdir -p "$work/config-$user/N&V/registry"
    cat >"$work/config-$user/N&V/registry/HKEY_CURRENT_USER.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\N&V\Sonvox]
"AudioDevice"="null"
REG
    chown -R "$user" "$work/config-$user"
  done
}

# start USER PROGRAM ARGS...: the program from the build, in the background,
# as root or as nobody; sets app_pid.
start() {
  local user=$1
  shift
  local program="$bin/$1"
  shift
  local env=(env "DISPLAY=$DISPLAY" "XDG_CONFIG_HOME=$work/config-$user" "XDG_RUNTIME_DIR=$work/runtime-$user"
             "HOME=$work" "QT_QPA_PLATFORM=xcb" "LANG=C.UTF-8")
  mkdir -p "$work/runtime-$user"
  chmod 700 "$work/runtime-$user"
  if [ "$user" = nobody ]; then
    chown nobody "$work/runtime-$user"
    setpriv --reuid=nobody --regid=nogroup --clear-groups "${env[@]}" "$program" "$@" >>"$work/app.log" 2>&1 &
  else
    "${env[@]}" "$program" "$@" >>"$work/app.log" 2>&1 &
  fi
  app_pid=$!
}

# Waits for the program to end by itself (after Alt+X).
wait_exit() {
  local waited=0
  while kill -0 "$app_pid" 2>/dev/null; do
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "the program did not end"
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$app_pid" 2>/dev/null
  app_pid=
}

# Ends a program a test left running.
finish() {
  if [ -n "${app_pid:-}" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
  fi
  app_pid=
  return 0
}

# The one visible window whose whole title is TITLE (a regular expression
# without anchors); prints its id. Waits for it.
window() {
  local title=$1 waited=0 ids
  while :; do
    ids=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$ids" ] && { echo "$ids"; return 0; }
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "no window titled '$title'"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Waits until no visible window has the title.
gone() {
  local title=$1 waited=0
  while [ -n "$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null)" ]; do
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "window '$title' stays"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Waits for a visible window with another title than any given; prints its id.
other_window() {
  local waited=0 id name skip t
  while :; do
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
      skip=0
      for t in "$@"; do [[ "$name" =~ ^${t}$ ]] && skip=1; done
      [ "$skip" = 0 ] && [ -n "$name" ] && { echo "$id"; return 0; }
    done
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "no new window besides $*"
    sleep 0.1
    waited=$((waited + 1))
  done
}

title_of() { xdotool getwindowname "$1"; }

# keys WINDOW KEY...: focuses the window and presses the keys, one by one.
keys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  local k
  for k in "$@"; do xdotool key --clearmodifiers "$k"; done
}

# type_text WINDOW TEXT
type_text() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool type --delay 15 "$2"
}

# Chooses PATH in the file dialog with id DIALOG: types it into the name
# field and confirms until the dialog has gone (a completion pop-up may take
# the first Return).
visible() { xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1"; }

choose_file() {
  local dialog=$1 path=$2 tries=0 waited
  type_text "$dialog" "$path"
  while visible "$dialog"; do
    [ "$tries" -ge 3 ] && fail "the file dialog stays open"
    xdotool key Return
    tries=$((tries + 1))
    # Another Return only when this one left the dialog open for long.
    waited=0
    while visible "$dialog" && [ "$waited" -lt $((LIMIT * 2)) ]; do
      sleep 0.1
      waited=$((waited + 1))
    done
  done
}

# waits until COMMAND succeeds, polling every tenth of a second.
until_true() {
  local what=$1 waited=0
  shift
  until "$@"; do
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "$what"
    sleep 0.1
    waited=$((waited + 1))
  done
}

inode() { stat -c %i "$1"; }
