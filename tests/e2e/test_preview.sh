#!/usr/bin/env bash
# Preview mode (/p <window>): a child window in the given parent showing the
# preview bitmap; input never ends it, the parent's destruction does, within
# a second, also during the first half second, and also when the parent's
# process ends without destroying it. A window number that names no window
# ends the run at once.
#
# Under Wine a child window of another process draws nowhere visible, so the
# picture itself is checked in a second run whose "parent" is the desktop
# window: the child then has its own place on the screen.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

PREVIEW_BITMAP=$IDB_PREVIEW
SCR_NAME=$(basename "$HARNESS_SAVER_SCR")
PARENT_LIMIT_MS=1000  # no preview outlives its parent by more than a second
harness_reg_clear

host_line() { tr -d '\r' <"$HARNESS_HOST_OUT" | grep -m1 "^$1"; }

# expect_parent_exit WHAT: the host reports the saver's exit code 0 within
# PARENT_LIMIT_MS of the parent's destruction.
expect_parent_exit() {
  local line
  if harness_wait_file "$HARNESS_HOST_OUT" '^saver exit=' 5000; then
    line=$(host_line 'saver exit')
    harness_check "$1 ends the preview with exit code 0 ($line)" [ "$(harness_field "$line" exit)" = 0 ]
    harness_check "$1: the preview ends within $PARENT_LIMIT_MS ms of the parent" \
      [ "$(harness_field "$line" after-parent || echo 99999)" -le "$PARENT_LIMIT_MS" ]
  else
    harness_fail "$1 ends the preview ($(tr '\r\n' '  ' <"$HARNESS_HOST_OUT"))"
  fi
}

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
  expect_parent_exit "closing the parent"
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

# --- run 3: the parent destroyed during the first half second ------------------
harness_preview_start "$HARNESS_SAVER_SCR" --destroy-parent 0
if harness_wait_file "$HARNESS_HOST_OUT" '^parent destroyed' 20000; then
  expect_parent_exit "destroying the parent while the preview starts"
else
  harness_fail "/p opens a child window before its parent is destroyed ($(tr '\r\n' '  ' <"$HARNESS_HOST_OUT"))"
fi
harness_kill_pid "$HARNESS_HOST_PID"

# --- run 4: the parent's process ends without destroying it ---------------------
# As a settings page that crashes: the system takes the parent away, and the
# saver is not in the host's job, so nothing else ends it.
harness_preview_start "$HARNESS_SAVER_SCR" --vanish 700
if harness_wait_file "$HARNESS_HOST_OUT" '^host vanishes' 20000; then
  SAVER_WPID=$(harness_field "$(host_line 'saver pid')" pid)
  WAIT=$(harness_host wait-process "$SAVER_WPID" 5000)
  echo "$WAIT"
  if [[ $WAIT == "process gone"* ]]; then
    harness_pass "the preview ended with its parent's process"
  elif [[ $WAIT == "process exit="* ]]; then
    harness_check "the preview ends within $PARENT_LIMIT_MS ms of its parent's process ($WAIT)" \
      [ "$(harness_field "$WAIT" ms)" -le "$PARENT_LIMIT_MS" ]
  else
    harness_fail "the preview ends when its parent's process ends ($WAIT)"
    harness_host kill-process "$SAVER_WPID" >/dev/null
  fi
else
  harness_fail "/p opens a child window in a parent whose process then ends ($(tr '\r\n' '  ' <"$HARNESS_HOST_OUT"))"
fi
harness_kill_pid "$HARNESS_HOST_PID"

# --- run 5: a window number that names no window ---------------------------------
NO_WINDOW=987654
harness_check "window $NO_WINDOW does not exist" \
  bash -c '[[ $1 == *"error=nowindow"* ]]' _ "$(harness_host post $NO_WINDOW 0)"
# Its start (the Direct3D object comes first) takes seconds under Wine on a
# busy machine; what counts is the time after the window could not be made.
START=$(harness_now_ms)
harness_run_saver "$HARNESS_SAVER_SCR" /p $NO_WINDOW
if harness_wait_log "error create window (m_hWnd)" 20000; then
  if harness_wait_exit 1500; then
    harness_check "/p $NO_WINDOW ends at once with exit code 0 ($HARNESS_EXIT_MS ms after its window failed, $(( $(harness_now_ms) - START )) ms in all; got $HARNESS_EXIT_CODE)" \
      [ "$HARNESS_EXIT_CODE" = 0 ]
  else
    harness_fail "/p $NO_WINDOW ends within 1.5 s of failing to make its window"
    harness_kill_saver
  fi
else
  harness_fail "/p $NO_WINDOW reports that it has no window (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
  harness_kill_saver
fi

harness_finish
