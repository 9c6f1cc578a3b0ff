#!/usr/bin/env bash
# Preview mode (/p <window>): a child window in the given parent showing the
# preview bitmap; input never ends it, the parent's destruction does.
#
# Under Wine a child window of another process draws nowhere visible, so the
# picture itself is checked in a second run whose "parent" is the desktop
# window: the child then has its own place on the screen.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

PREVIEW_BITMAP=432
SCR_NAME=$(basename "$HARNESS_SAVER_SCR")
harness_reg_clear

host_line() { tr -d '\r' <"$HARNESS_HOST_OUT" | grep -m1 "^$1"; }

# --- run 1: the test host's 300x200 window as the parent -----------------------
harness_preview_start "$HARNESS_SAVER_SCR"
if harness_wait_file "$HARNESS_HOST_OUT" '^child ' 20000; then
  PARENT=$(host_line 'parent ')
  CHILD=$(host_line 'child ')
  echo "$PARENT"; echo "$CHILD"
  PARENT_HWND=$(harness_field "$PARENT" hwnd)
  STYLE=$(harness_field "$CHILD" style)
  harness_check "the preview window belongs to the saver" [ "$(harness_field "$CHILD" image)" = "$SCR_NAME" ]
  harness_check "the preview window is of class Screensaver" [ "$(harness_field "$CHILD" class)" = Screensaver ]
  harness_check "the preview window is a visible child (style $STYLE)" harness_bits_set "$STYLE" 0x50000000
  harness_check "the preview window is not a popup" harness_bits_clear "$STYLE" 0x80000000
  harness_check "the preview window's parent is the given window" [ "$(harness_field "$CHILD" parent)" = "$PARENT_HWND" ]
  harness_check "the preview window fills the parent ($(harness_field "$CHILD" rect))" \
    [ "$(harness_field "$CHILD" rect)" = "$(harness_field "$PARENT" rect)" ]
  harness_check "the preview window's client area is 300x200" [ "$(harness_field "$CHILD" client)" = 300x200 ]
  harness_check 'log: "command line" with /p and the parent number' \
    grep -qE $'^command line\t.*/p '"$((PARENT_HWND))"$'\r?$' "$HARNESS_LOG"
  harness_wait_file "$HARNESS_HOST_OUT" '^paint ' 5000 && echo "paint seen by the host: $(host_line 'paint ')"

  harness_click 1 250 200
  harness_click 3
  harness_key space Escape
  harness_check 'log: input reaches the preview ("detected pressed any key")' \
    harness_wait_log "detected pressed any key" 3000
  sleep 0.5
  harness_check "input does not end the preview" bash -c '! grep -q "^saver exit" "$1"' _ "$HARNESS_HOST_OUT"
  harness_check "the preview creates no Direct3D device" \
    bash -c '[ -s "$1" ] && ! grep -qF "EE_Core_CreateD3Device" "$1"' _ "$HARNESS_LOG"

  harness_host close "$PARENT_HWND" >/dev/null
  if harness_wait_file "$HARNESS_HOST_OUT" '^saver exit=' 5000; then
    harness_check "closing the parent ends the preview with exit code 0 ($(host_line 'saver exit'))" \
      [ "$(host_line 'saver exit')" = "saver exit=0" ]
  else
    harness_fail "closing the parent ends the preview"
  fi
else
  harness_fail "/p opens a child window in the parent ($(tr '\n' '|' <"$HARNESS_HOST_OUT"))"
fi
harness_kill_pid "$HARNESS_HOST_PID"

# --- run 2: the desktop as the parent: the picture on the screen --------------
DESKTOP=$(harness_field "$(harness_host desktop)" hwnd)
harness_run_saver "$HARNESS_SAVER_SCR" /p $((DESKTOP))
W=$(harness_saver_windows 20000 --class Screensaver | head -n1)
if [ -n "$W" ]; then
  PAINT=
  for i in $(seq 1 20); do
    PAINT=$(harness_host screen-bitmap "$HARNESS_SAVER_SCR" $PREVIEW_BITMAP 0 0 | grep '^paint')
    [ -n "$PAINT" ] && [ "$(harness_field "$PAINT" match)" = "$(harness_field "$PAINT" total)" ] && break
    sleep 0.3
  done
  echo "$PAINT"
  harness_check "the preview bitmap is 155x115 ($(harness_field "$PAINT" bitmap))" \
    [ "$(harness_field "$PAINT" bitmap)" = 155x115 ]
  harness_check "the preview window shows bitmap $PREVIEW_BITMAP at its top-left corner" \
    [ "$(harness_field "$PAINT" match)" = "$(harness_field "$PAINT" total)" ]
  harness_screenshot preview.png
  harness_check "the rest of the preview window is black" \
    [ "$(harness_pixel "$HARNESS_ARTIFACTS/preview.png" 200 50)$(harness_pixel "$HARNESS_ARTIFACTS/preview.png" 50 150)" = "#000000#000000" ]
  harness_click 1 60 60
  harness_key space
  harness_wait_log "detected pressed any key" 3000
  sleep 0.5
  harness_check "input does not end the preview shown on the desktop" harness_saver_alive
  harness_host close "$(harness_field "$W" hwnd)" >/dev/null
  if harness_wait_exit 5000; then
    harness_check "closing the preview window ends the saver with exit code 0 (got $HARNESS_EXIT_CODE)" \
      [ "$HARNESS_EXIT_CODE" = 0 ]
  else
    harness_fail "closing the preview window ends the saver"
  fi
else
  harness_fail "/p with the desktop as parent opens a window (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
fi

harness_finish
