#!/usr/bin/env bash
# The picture that ./run saves on a machine without a display: tools/start-program, as
# ./run starts it, on a database of the test's own.  The main window must be in it (a
# program that joined a server without a display leaves a black picture).
#   run_picture.sh SOURCE_DIR
set -uo pipefail
root=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset DISPLAY
export TESS_DATA=$tmp/data TESS_SHOT_OUT=$tmp/run.png
if ! "$root/tools/start-program" >"$tmp/log" 2>&1; then
  cat "$tmp/log"
  echo "run_picture: the program did not start"
  exit 1
fi
# The main window is light grey and white; a black picture and the bare blue desktop
# have almost no light pixels.
light=$(convert "$tmp/run.png" -colorspace Gray -threshold 80% -format "%[fx:mean]" info:)
echo "run_picture: light share $light"
if awk -v l="$light" 'BEGIN { exit !(l > 0.3) }'; then
  exit 0
fi
mkdir -p "$root/screenshots"
cp "$tmp/run.png" "$root/screenshots/run-picture-failed.png"
echo "run_picture: no main window in the picture (kept as screenshots/run-picture-failed.png)"
exit 1
