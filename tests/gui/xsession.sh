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
  [ -f "$work/xvfb.log" ] && tail -n 5 "$work/xvfb.log" >&2
  cp -f "$work/app.log" "$work/xvfb.log" "$shots/" 2>/dev/null || true
  shot "failure-$(date +%s%N)"
  exit 1
}

note() { echo "-- $*"; }

# A private X server on a free display, open to every local user (the
# permission cases run the programs as nobody). Sets DISPLAY.
start_x() {
  local fifo="$work/displayfd"
  mkfifo "$fifo"
  # exec, so that $! is the server itself and stop_x ends it: a subshell
  # left in between would take the signal and leave the server running.
  (exec Xvfb -displayfd 3 -screen 0 1280x900x24 -ac -nolisten tcp 3>"$fifo" >"$work/xvfb.log" 2>&1) &
  xvfb_pid=$!
  local number
  read -r -t "$LIMIT" number <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$number"
}

stop_x() {
  # wait gives the server's status, and set -e holds in the exit trap too.
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && { wait "$xvfb_pid" 2>/dev/null || true; }
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
  [ "$user" = root ] || chown nobody "$work/runtime-$user"
  local try lines
  for try in 1 2 3; do
    touch "$work/app.log"
    lines=$(wc -l <"$work/app.log")
    # exec for the same reason as the X server's: app_pid is the program.
    if [ "$user" = nobody ]; then
      (exec setpriv --reuid=nobody --regid=nogroup --clear-groups "${env[@]}" "$program" "$@" >>"$work/app.log" 2>&1) &
    else
      (exec "${env[@]}" "$program" "$@" >>"$work/app.log" 2>&1) &
    fi
    app_pid=$!
    # The same burst that makes xdotool retry can turn the program away
    # before it has a window: Qt then ends it at once with "could not
    # connect to display". Start it again; anything else is the program's.
    connected && return 0
    tail -n "+$((lines + 1))" "$work/app.log" | grep -q "could not connect to display" || return 0
    wait "$app_pid" 2>/dev/null || true
    echo "-- $(basename "$program") could not reach the X server; started again"
  done
  app_pid=
  fail "$(basename "$program") could not reach the X server three times"
}

# Waits until the program has a window on the X server (true) or has ended
# (false).
connected() {
  local waited=0
  while kill -0 "$app_pid" 2>/dev/null; do
    [ -n "$(xdo search --pid "$app_pid" 2>/dev/null)" ] && return 0
    [ "$waited" -ge $((LIMIT * 10)) ] && return 0  # the waits that follow report it
    sleep 0.1
    waited=$((waited + 1))
  done
  return 1
}

# xdotool, once more when it could not reach the X server at all. A burst of
# connections (the polling below, a program starting) now and then has the
# server reset one or refuse it with EAGAIN; that says nothing about the
# programs, so such a call is tried again. Any other failure is returned
# as xdotool's own, with its message.
xdo() {
  local err="$work/xdo.$BASHPID.err" out status try
  for try in 1 2 3 4 5; do
    status=0
    out=$(xdotool "$@" 2>"$err") || status=$?
    if [ "$status" = 0 ] || ! grep -q "Can't open display\|Failed creating new xdo" "$err"; then
      [ -n "$out" ] && printf '%s\n' "$out"
      [ "$status" = 0 ] || cat "$err" >&2
      rm -f "$err"
      return "$status"
    fi
    sleep 0.2
  done
  cat "$err" >&2
  rm -f "$err"
  return "$status"
}

# Waits for the program to end by itself (after Alt+X).
wait_exit() {
  local waited=0
  while kill -0 "$app_pid" 2>/dev/null; do
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "the program did not end"
    sleep 0.1
    waited=$((waited + 1))
  done
  local status=0
  wait "$app_pid" 2>/dev/null || status=$?
  app_pid=
  [ "$status" = 0 ] || fail "the program ended with status $status"
}

# Ends a program a test left running.
finish() {
  if [ -n "${app_pid:-}" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null || true  # killed: 143, which must not end the exit trap
  fi
  app_pid=
  return 0
}

# The one visible window whose whole title is TITLE (a regular expression
# without anchors); prints its id. Waits for it.
window() {
  local title=$1 waited=0 ids
  while :; do
    ids=$(xdo search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$ids" ] && { echo "$ids"; return 0; }
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "no window titled '$title'"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Waits until no visible window has the title.
gone() {
  local title=$1 waited=0
  while [ -n "$(xdo search --onlyvisible --name "^${title}\$" 2>/dev/null)" ]; do
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "window '$title' stays"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Waits for a visible window with another title than any given; prints its id.
other_window() {
  local waited=0 id name skip t
  while :; do
    for id in $(xdo search --onlyvisible --name '.' 2>/dev/null); do
      name=$(xdo getwindowname "$id" 2>/dev/null) || continue
      skip=0
      for t in "$@"; do [[ "$name" =~ ^${t}$ ]] && skip=1; done
      [ "$skip" = 0 ] && [ -n "$name" ] && { echo "$id"; return 0; }
    done
    [ "$waited" -ge $((LIMIT * 10)) ] && fail "no new window besides $*"
    sleep 0.1
    waited=$((waited + 1))
  done
}

title_of() { xdo getwindowname "$1"; }

# keys WINDOW KEY...: focuses the window and presses the keys, one by one.
keys() {
  local id=$1
  shift
  focus "$id"
  local k
  for k in "$@"; do xdo key --clearmodifiers "$k" || fail "xdotool could not press $k"; done
}

# Gives WINDOW the keyboard focus; a window that has gone is a failure.
focus() {
  xdo windowfocus --sync "$1" 2>/dev/null || xdo windowfocus "$1" 2>/dev/null ||
    fail "could not focus window '$1' ($(xdo getwindowname "$1" 2>&1))"
}

# Chooses PATH in the file dialog with id DIALOG: types it into the name
# field and confirms until the dialog has gone (a completion pop-up may take
# the first Return). On a loaded machine the pop-up that opens and closes
# while the name is typed can reorder the keys; a dialog that stays open is
# given the whole name again, typed more slowly.
visible() { xdo search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1"; }

choose_file() {
  local dialog=$1 path=$2 attempt press waited
  for attempt in 1 2 3; do
    focus "$dialog"
    xdo key --clearmodifiers ctrl+a
    xdo type --delay $((attempt * attempt * 15)) "$path"
    for press in 1 2; do
      visible "$dialog" || return 0
      xdo key Return
      waited=0
      while visible "$dialog" && [ "$waited" -lt $((LIMIT * 2)) ]; do
        sleep 0.1
        waited=$((waited + 1))
      done
    done
    visible "$dialog" || return 0
    note "the file dialog did not take the name; it is typed again"
  done
  fail "the file dialog stays open"
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
