#!/usr/bin/env bash
# The melody editor, the set editor and the doorbell programmer driven as a
# user drives them: real key presses and mouse clicks through an X server,
# files on disk and the virtual doorbell checked after each flow. Permission
# cases run the programs as "nobody", since root may write anywhere.
#
#   RealEventsTest.sh BIN_DIR [SCREENSHOT_DIR]
#
# Exit 77 (skipped) when Xvfb, xdotool or the user switch is missing.
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb xdotool import setpriv; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
[ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1 || { echo "skipped: needs root and the user nobody"; exit 77; }

work=$(mktemp -d /tmp/nv-xevents-XXXXXX)
chmod 755 "$work"
shots=${2:-$work/shots}
mkdir -p "$shots"
app_pid=
# shellcheck source=xsession.sh
source "$here/xsession.sh"
trap 'finish; stop_x; rm -rf "$work"' EXIT

notara="Редактор мелодий"
setora="Редактор набора мелодий"

# A melody file: name A, the given number of sixteenth notes of A4.
melody() {
  local path=$1 count=$2 i
  {
    printf '\x05EM2.0'
    printf "\\x$(printf %02x "$count")\\x00\\x00\\x00"
    printf '\x01A'
    printf "\\x$(printf %02x "$count")\\x00\\x00\\x00"
    for ((i = 0; i < count; i++)); do printf '\x0d\x04\x00'; done
  } >"$path"
}
notes_in() { od -An -tu4 -j6 -N4 "$1" | tr -d ' '; }

# failed_opens_then_save APP_TITLE WINDOW FILE ORIGINAL BROKEN...: each broken
# file is chosen with Ctrl+O and refused with an error box; the title still
# names FILE, and Ctrl+S writes FILE back exactly as ORIGINAL. Then Alt+X.
failed_opens_then_save() {
  local app=$1 main=$2 file=$3 original=$4 broken before
  local title
  title=$(title_of "$main")
  shift 4
  for broken in "$@"; do
    keys "$main" ctrl+o
    choose_file "$(other_window "$title")" "$broken"
    keys "$(window "$app")" Return
    gone "$app"
    shot "after-failed-open-$(basename "$broken")"
  done
  [ "$(title_of "$main")" = "$title" ] || fail "title after failed opens: $(title_of "$main")"
  before=$(inode "$file")
  keys "$main" ctrl+s
  until_true "Ctrl+S did not save $file" test "$(inode "$file")" != "$before"
  cmp -s "$file" "$original" || fail "$file changed after failed opens and Ctrl+S"
  keys "$main" alt+x
  wait_exit
}

start_x
make_config

# --- Melody editor ------------------------------------------------------

flow_failed_open_keeps_the_document() {
  note "Notara: failed opens (a cut file, a named pipe) leave the melody; Ctrl+S writes it back whole"
  local d="$work/open"
  mkdir -p "$d"
  melody "$d/a.mel" 3
  cp "$d/a.mel" "$d/a.orig"
  head -c 20 "$d/a.mel" >"$d/cut.mel"  # magic, counts, name and one of three records
  mkfifo "$d/pipe.mel"
  start root notara "$d/a.mel"
  failed_opens_then_save "$notara" "$(window "$notara - a.mel")" "$d/a.mel" "$d/a.orig" "$d/cut.mel" "$d/pipe.mel"
}

flow_pipe_at_start_up() {
  note "Notara: a named pipe on the command line is refused and a new melody starts"
  local d="$work/startpipe"
  mkdir -p "$d"
  mkfifo "$d/pipe.mel"
  start root notara "$d/pipe.mel"
  keys "$(window "$notara")" Return
  local main
  main=$(window "$notara - Новая мелодия")
  keys "$main" alt+x
  wait_exit
}

flow_failed_save_as_keeps_the_name() {
  note "Notara as nobody: Save As into a locked folder fails; title, name and Ctrl+S stay with a.mel"
  local d="$work/saveas"
  mkdir -p "$d/own" "$d/locked"
  chmod 755 "$d" "$d/locked"
  melody "$d/own/a.mel" 2
  chown -R nobody "$d/own"
  start nobody notara "$d/own/a.mel"
  local main
  main=$(window "$notara - a.mel")
  keys "$main" Insert  # a change, so the saves below have something to write
  # File menu by mouse, then its fourth item, "Сохранить как...".
  xdo mousemove --window "$main" 20 10 click 1
  sleep 0.3
  xdo key Down Down Down Down Return
  choose_file "$(other_window "$notara - a.mel")" "$d/locked/c.mel"
  keys "$(window "$notara")" Return
  gone "$notara"
  [ "$(title_of "$main")" = "$notara - a.mel" ] || fail "title after a failed Save As: $(title_of "$main")"
  chmod 777 "$d/locked"
  keys "$main" ctrl+s
  until_true "Ctrl+S did not write a.mel" test "$(notes_in "$d/own/a.mel")" = 3
  [ ! -e "$d/locked/c.mel" ] || fail "Ctrl+S wrote the file the failed Save As named"
  shot "notara-after-failed-save-as"
  keys "$main" alt+x
  wait_exit
}

flow_saves_keep_the_users_files() {
  note "Notara as nobody: a read-only file is refused; a symbolic link and a hard link stay"
  local d="$work/links"
  mkdir -p "$d"
  chmod 777 "$d"
  melody "$d/ro.mel" 2
  cp "$d/ro.mel" "$d/ro.orig"
  chmod 444 "$d/ro.mel"
  melody "$d/target.mel" 2
  ln -s target.mel "$d/link.mel"
  melody "$d/hard.mel" 2
  ln "$d/hard.mel" "$d/other-name.mel"
  chown nobody "$d/target.mel" "$d/hard.mel"
  chmod 640 "$d/target.mel" "$d/hard.mel"
  local main file

  start nobody notara "$d/ro.mel"
  main=$(window "$notara - ro.mel")
  keys "$main" ctrl+s
  keys "$(window "$notara")" Return
  gone "$notara"
  cmp -s "$d/ro.mel" "$d/ro.orig" || fail "the read-only file was replaced"
  keys "$main" alt+x
  wait_exit

  for file in link.mel hard.mel; do
    start nobody notara "$d/$file"
    main=$(window "$notara - $file")
    local ino
    ino=$(inode "$d/hard.mel")
    keys "$main" Insert ctrl+s
    until_true "Ctrl+S did not save $file" test "$(notes_in "$d/$file")" = 3
    keys "$main" alt+x
    wait_exit
  done
  [ -L "$d/link.mel" ] || fail "the symbolic link was replaced by a file"
  [ "$(stat -c %a "$d/target.mel")" = 640 ] || fail "the link's target lost its mode"
  [ "$(inode "$d/hard.mel")" = "$(inode "$d/other-name.mel")" ] || fail "the hard link was broken"
  [ "$(notes_in "$d/other-name.mel")" = 3 ] || fail "the other name of the file does not see the save"
  [ "$(stat -c %a "$d/hard.mel")" = 640 ] || fail "the hard-linked file lost its mode"
}

flow_keypad_zoom() {
  note "Notara: keypad + and - zoom"
  local d="$work/zoom" reg="$work/config-root/N&V/registry/HKEY_CURRENT_USER.reg"
  mkdir -p "$d"
  melody "$d/a.mel" 3
  local keypresses expected
  for case in "KP_Add KP_Add:00000090" "KP_Subtract:00000078"; do
    keypresses=${case%%:*}
    expected=${case##*:}
    start root notara "$d/a.mel"
    local main
    main=$(window "$notara - a.mel")
    # shellcheck disable=SC2086
    keys "$main" $keypresses
    shot "notara-zoom-${keypresses// /-}"
    keys "$main" alt+x
    wait_exit
    grep -q "\"Scale\"=dword:$expected" "$reg" || fail "zoom after $keypresses: $(grep Scale "$reg")"
  done
}

flow_play_to_the_end() {
  note "Notara: after each play to the end the editing commands work again"
  local d="$work/play"
  mkdir -p "$d"
  melody "$d/a.mel" 2
  start root notara "$d/a.mel"
  local main count run
  main=$(window "$notara - a.mel")
  for run in 1 2 3 4 5 6; do
    count=$(notes_in "$d/a.mel")
    keys "$main" ctrl+p
    # Insert is refused while the melody plays and works once it has ended.
    until_true "run $run: the window stays in its playing state" \
      bash -c "xdotool key Insert ctrl+s; sleep 0.1; test \"\$(od -An -tu4 -j6 -N4 '$d/a.mel' | tr -d ' ')\" -gt $count"
  done
  shot "notara-after-playing"
  keys "$main" alt+x
  wait_exit
}

# menu_item WINDOW MENU_STEPS KEYSYM: opens the File menu by mouse, moves
# MENU_STEPS menus to the right and picks the item whose mnemonic is KEYSYM
# (a Cyrillic letter's key name, e.g. Cyrillic_te).
menu_item() {
  local main=$1 steps=$2 letter=$3 i
  focus "$main"
  xdo mousemove --window "$main" 20 10 click 1
  sleep 0.3
  for ((i = 0; i < steps; i++)); do xdo key Right; done
  sleep 0.2
  xdo key "$letter"
}

# menu_dialog WINDOW MENU_STEPS KEYSYM: menu_item until a window with
# another title than WINDOW's opens; prints its id. On a loaded machine the
# key can come before the menu is on the screen and be lost: the menu is
# then closed and opened again, up to three times.
menu_dialog() {
  local main=$1 title attempt id
  title=$(title_of "$main")
  for attempt in 1 2 3; do
    menu_item "$@"
    if id=$(LIMIT=10 other_window "$title" 2>/dev/null); then
      echo "$id"
      return 0
    fi
    note "the menu item was not taken; the menu is opened again" >&2
    xdo key Escape
    xdo key Escape
    sleep 0.5
  done
  fail "the menu item opened no window"
}

# The note symbols of a melody file as nvtool prints them in JSON.
json_notes() { "$bin/nvtool" info --json "$1" | sed 's/.*"notes": //; s/}$//'; }

# saved_as MAIN FILE EXPECTED_NOTES: Ctrl+S, then FILE holds the note symbols.
saved_as() {
  keys "$1" ctrl+s
  until_true "$2 does not hold $3 but $(json_notes "$2")" test "$(json_notes "$2")" = "$3"
}

flow_ring_tone_text() {
  note "Notara: a tune copied and pasted, another typed in and fitted, transposed, undone, exported as text"
  local d="$work/ringtone"
  mkdir -p "$d"
  melody "$d/a.mel" 3
  start root notara "$d/a.mel"
  local main dialog
  main=$(window "$notara - a.mel")
  # Edit menu, "Копировать как текст мелодии": the clipboard offers it to the import.
  menu_item "$main" 1 Cyrillic_ka
  # Once more, in case a loaded machine lost the key (copying is idempotent).
  sleep 0.5
  xdo key Escape
  xdo key Escape
  menu_item "$main" 1 Cyrillic_ka
  dialog=$(menu_dialog "$main" 0 Cyrillic_te)
  # The text is there; Tab leads to the semitones, 5 moves A4 up to D5.
  keys "$dialog" Tab
  keys "$dialog" 5
  shot "notara-ringtone-import-pasted"
  keys "$dialog" Return
  gone "Импорт текста мелодии"
  saved_as "$main" "$d/a.mel" "[[18, 4, 0], [18, 4, 0], [18, 4, 0]]"

  # A tune above the bell's range, fitted: everything an octave down.
  dialog=$(menu_dialog "$main" 0 Cyrillic_te)
  keys "$dialog" ctrl+a
  focus "$dialog"
  xdo type --delay 15 "Tune:d=8,o=6,b=120:e,d#,p,c,4b5"
  keys "$dialog" Tab Tab space
  shot "notara-ringtone-import-typed"
  keys "$dialog" Return
  gone "Импорт текста мелодии"
  local imported="[[20, 3, 0], [19, 3, 0], [11, 3, 4], [16, 3, 0], [15, 2, 0]]"
  saved_as "$main" "$d/a.mel" "$imported"
  [ "$("$bin/nvtool" info --json "$d/a.mel" | sed 's/^{"name": "\([^"]*\)".*/\1/')" = Tune ] || fail "the tune's name was not taken"

  dialog=$(menu_dialog "$main" 1 Cyrillic_te)
  keys "$dialog" minus 5
  shot "notara-transpose"
  keys "$dialog" Return
  gone "Транспонирование мелодии"
  saved_as "$main" "$d/a.mel" "[[15, 3, 0], [14, 3, 0], [11, 3, 4], [11, 3, 0], [10, 2, 0]]"
  keys "$main" ctrl+z
  saved_as "$main" "$d/a.mel" "$imported"
  shot "notara-after-ring-tone-undo"

  choose_file "$(menu_dialog "$main" 0 Cyrillic_ie)" "$d/out.rtttl"
  until_true "the export wrote no out.rtttl" test -s "$d/out.rtttl"
  "$bin/nvtool" export "$d/a.mel" --format rtttl -o "$d/tool.rtttl" >/dev/null || fail "nvtool export"
  cmp -s "$d/out.rtttl" "$d/tool.rtttl" || fail "the export differs from nvtool's: $(cat "$d/out.rtttl")"
  keys "$main" alt+x
  wait_exit
}

flow_midi_import() {
  note "Notara: the second melody of a MIDI file taken through the import dialog and saved, as nvtool takes it"
  local d="$work/midi" main dialog
  mkdir -p "$d"
  cp "$here/../../scripts/demo-tune.mid" "$d/tune.mid"
  "$bin/nvtool" import "$d/tune.mid" --melody 2 -o "$d/tool.mel" >/dev/null || fail "nvtool import"
  start root notara
  main=$(window "$notara - Новая мелодия")
  # File menu, "Импорт MIDI..."
  choose_file "$(menu_dialog "$main" 0 Cyrillic_i)" "$d/tune.mid"
  dialog=$(window "Загрузка мелодии из MIDI файла")
  # "Следующая мелодия", the fourth button under the sliders; "Редактор"
  # is the default button.
  xdo mousemove --window "$dialog" 140 160 click 1 || fail "xdotool could not click"
  sleep 0.3
  shot "notara-midi-import-second-melody"
  keys "$dialog" Return
  gone "Загрузка мелодии из MIDI файла"
  window "$notara - tune" >/dev/null
  keys "$main" ctrl+s
  choose_file "$(other_window "$notara - tune")" "$d/tune.mel"
  until_true "the imported melody was not saved as nvtool imports it: $(json_notes "$d/tune.mel" 2>&1)" \
    test "$(json_notes "$d/tune.mel" 2>/dev/null)" = "$(json_notes "$d/tool.mel")"
  keys "$main" alt+x
  wait_exit
}

# --- Set editor ---------------------------------------------------------

flow_setora() {
  note "Setora: a set given at start-up opens; pipes and broken sets are refused; the set stays"
  local d="$work/setora"
  mkdir -p "$d"
  melody "$d/a.mel" 2
  melody "$d/b.mel" 3
  "$bin/nvtool" set create "$d/set.sto" "$d/a.mel" "$d/b.mel" >/dev/null || fail "nvtool set create"
  cp "$d/set.sto" "$d/set.orig"
  head -c 30 "$d/set.sto" >"$d/cut.sto"
  mkfifo "$d/pipe.sto" "$d/pipe.mel"

  start root setora "$d/pipe.sto"
  keys "$(window "$setora")" Return
  local main
  main=$(window "$setora - Новый набор.sto")
  # The focus is on "Добавить мелодию".
  keys "$main" Return
  choose_file "$(other_window "$setora - Новый набор.sto")" "$d/pipe.mel"
  keys "$(window "$setora")" Return
  gone "$setora"
  window "$setora - Новый набор.sto" >/dev/null
  keys "$main" alt+x
  wait_exit

  start root setora "$d/set.sto"
  main=$(window "$setora - set.sto")
  shot "setora-started-with-a-set"
  failed_opens_then_save "$setora" "$main" "$d/set.sto" "$d/set.orig" "$d/cut.sto" "$d/pipe.sto"
}

# --- Doorbell programmer ------------------------------------------------

dinova="Программа звонок v2.1 — виртуальный звонок bell.bin"
bell_question="Звонок v2.1"

# Whether the device buttons of the programmer window are enabled: the
# selection-mode button, which never takes the focus here, shows its icon in
# colour then and greyed while the status is unknown or a flow runs.
device_buttons_enabled() {
  local saturation
  saturation=$(import -display "$DISPLAY" -window "$1" png:- 2>/dev/null |
    convert - +repage -crop 40x40+231+232 +repage -colorspace HSL -channel G -separate -format '%[fx:mean]' info:) ||
    return 1
  awk -v s="$saturation" 'BEGIN { exit !(s > 0.02) }'
}

# The notes of a set as nvtool lists them, without the melodies' names (the
# doorbell keeps none).
set_notes() { "$bin/nvtool" info "$1" | grep -v '^Melody '; }

flow_dinova() {
  note "Dinova: status, a set written, read back into a file and cleared; the doorbell checked from outside"
  local d="$work/dinova" main
  mkdir -p "$d"
  melody "$d/a.mel" 2
  melody "$d/b.mel" 3
  "$bin/nvtool" set create "$d/set.sto" "$d/a.mel" "$d/b.mel" >/dev/null || fail "nvtool set create"
  cat >>"$work/config-root/N&V/registry/HKEY_CURRENT_USER.reg" <<REG

[HKEY_CURRENT_USER\Software\N&V\Chimox]
"Port"="virtual:$d/bell.bin?size=32768"
REG

  start root dinova
  main=$(window "$dinova")
  device_buttons_enabled "$main" && fail "device buttons enabled before the status is known"
  # "Обновить" has the focus; every flow gives the focus back to its button.
  keys "$main" space
  until_true "the status was not read" device_buttons_enabled "$main"
  keys "$main" Tab space  # "Записать набор"
  choose_file "$(window Открыть)" "$d/set.sto"
  keys "$(window "Установка режима выбора мелодии")" Return
  gone "Установка режима выбора мелодии"
  until_true "the set was not written" device_buttons_enabled "$main"
  shot "dinova-set-written"
  keys "$main" Tab Tab space  # "Считать набор"
  choose_file "$(window "Сохранить как")" "$d/back.sto"
  until_true "the set was not read back" device_buttons_enabled "$main"
  [ "$(set_notes "$d/back.sto")" = "$(set_notes "$d/set.sto")" ] ||
    fail "the set read back differs: $(set_notes "$d/back.sto")"
  keys "$main" Tab space  # "Очистить"
  keys "$(window "$bell_question")" Return
  gone "$bell_question"
  until_true "the doorbell was not cleared" device_buttons_enabled "$main"
  # "Выход", at the right end of the button row.
  xdo mousemove --window "$main" 495 252 click 1 || fail "xdotool could not click"
  wait_exit
  "$bin/nvtool" bell --port "virtual:$d/bell.bin" status | grep -qx "Количество мелодий - 0" ||
    fail "the doorbell still holds melodies"
}

flows=(flow_failed_open_keeps_the_document flow_pipe_at_start_up flow_failed_save_as_keeps_the_name
       flow_saves_keep_the_users_files flow_keypad_zoom flow_play_to_the_end flow_ring_tone_text flow_midi_import
       flow_setora flow_dinova)
if [ -n "${NV_XTEST_ONLY:-}" ]; then flows=("$NV_XTEST_ONLY"); fi
for flow in "${flows[@]}"; do
  "$flow"
  finish
done
echo "all real-event flows passed; screenshots in $shots"
