#!/usr/bin/env bash
# The program as a user meets it, with real X input: an Xvfb of its own, the worktree's
# X11 Wine prefix, and xdotool's keys and clicks.  The program starts with a logon; what
# is typed then, without a click, goes into the SQL editor; the Execute button runs it;
# what is typed after the run goes into the editor too (read back through a copy to the
# clipboard); a line selected with Shift+End is painted selected, and a selection the
# caret left is not painted any more.
#   user_input_x11.sh SOURCE_DIR PROBE.exe
set -uo pipefail
root=$1
probe=$2
bin=$root/build/windows/bin
tmp=$(mktemp -d)
prefix=$("$root/tools/wine-prefix" x11) || exit 1
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export TESS_DATA=$tmp/data
xvfb=
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  WINEPREFIX=$prefix wineserver -w 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "user_input_x11: $*"
  mkdir -p "$root/screenshots"
  "$root/tools/capture-desktop" "$root/screenshots/user-input-x11-failed.png" 2>/dev/null &&
    echo "user_input_x11: the screen is in screenshots/user-input-x11-failed.png"
  exit 1
}

"$root/tools/wine-idle" "$prefix" || exit 1

# A display number of its own: Xvfb picks a free one and tells it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -1 "$tmp/display")
mkdir -p "$TESS_DATA"
wine "$bin/tessdb.exe" create DEFAULT </dev/null >/dev/null 2>&1 || fail "no database"

wine "$bin/tessellar.exe" DEMO/DEMO@DEFAULT </dev/null >/dev/null 2>&1 &
probe() { wine "$probe" "$@" 2>/dev/null | tr -d '\r'; }
# True once the main window is the active one (within 30 seconds).
main_active() {
  for _ in $(seq 30); do
    [ "$(probe active)" = "SQL Tessellar" ] && return 0
    sleep 1
  done
  return 1
}
editor=
for _ in $(seq 60); do
  editor=$(probe editor) && [ -n "$editor" ] && break
  sleep 1
done
[ -n "$editor" ] || fail "the main window with its SQL editor did not appear"
read -r left top right bottom <<<"$editor"
# The start-up's work (the schema tree) ends with the main window active.
main_active || fail "no window of the program is active after start-up"

# Keys go to the X window under the pointer, here the Wine desktop; nothing is clicked.
xdotool mousemove $(( (left + right) / 2 )) $(( bottom + 40 ))
xdotool type --delay 20 "SELECT * FROM EMP"
# The Execute button stands on the tool bar right above the editor.
xdotool mousemove $((left + 39)) $((top - 15)) click 1
sleep 3
main_active || fail "no window of the program is active after the run"
xdotool type --delay 20 " WHERE 1=1"
xdotool key ctrl+Home ctrl+shift+End ctrl+c
sleep 0.5
text=$(probe clipboard)
[ "$text" = "SELECT * FROM EMP WHERE 1=1" ] || fail "the editor holds \"$text\", not what was typed"

# The pixels of the editor's first row that are not its background (taken right of the
# text): the text's glyphs alone are a few hundred, a selection's block thousands.
painted() {
  "$root/tools/capture-desktop" "$tmp/shot.png"
  local bg
  bg=$(convert "$tmp/shot.png" -format "%[pixel:p{$((right - 30)),$((top + 10))}]" info:)
  convert "$tmp/shot.png" -crop $((right - left - 24))x14+$((left + 4))+$((top + 3)) +repage \
    -fill black -opaque "$bg" -fill white +opaque black -format "%[fx:round(mean*w*h)]" info:
}
xdotool key End
sleep 0.5
n=$(painted)
[ "$n" -lt 1000 ] || fail "the selection the caret left is still painted ($n pixels)"
xdotool key Home shift+End
sleep 0.5
n=$(painted)
[ "$n" -gt 1500 ] || fail "the line selected with Shift+End is not painted ($n pixels)"

# Server output: its window comes up in front of the main window, and the keys stay with
# the editor.
xdotool mousemove $((left + 128)) $((top - 15)) click 1
xdotool key ctrl+Home ctrl+shift+End
xdotool type --delay 20 "BEGIN DBMS_OUTPUT.PUT_LINE('seen'); END;"
xdotool mousemove $((left + 39)) $((top - 15)) click 1
sleep 3
order=$(xwininfo -root -tree | grep -o -E '"(Server Output|SQL Tessellar)"' | tr -d '"' | paste -sd,)
[ "$order" = "Server Output,SQL Tessellar" ] || fail "the server output window is not in front ($order)"
main_active || fail "no window of the program is active after the block"
echo "user_input_x11: typed at start-up and after the runs, Shift+End painted, server output in front"
exit 0
