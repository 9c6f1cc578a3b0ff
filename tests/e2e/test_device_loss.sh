#!/usr/bin/env bash
# A lost device in the test window (/t): when another program takes the
# focus, Wine minimises the saver's full-screen window and its device is
# lost; nothing is drawn meanwhile. Once the window is restored the device
# asks for a reset, the saver resets it and draws the scene again.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

harness_reg_clear
harness_reg_set Music=1 SFX=1 ShowFPS=1 ShowTime=1 ExitOnMouseMove=1  # a stored 1 is off

HARNESS_ENV=(WINEDEBUG=trace+d3d9)
harness_run_saver "$HARNESS_SAVER_SCR" /t
HARNESS_ENV=()
if ! { harness_wait_log "first frame" 60000 && harness_wait_presents 5 60000; }; then
  harness_fail "/t draws frames (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
  harness_kill_saver
  harness_finish
fi
WINDOW=$(harness_saver_windows 0 --class Screensaver | head -n1)
HWND=$(harness_field "$WINDOW" hwnd)

# Another program takes the focus.
"${HARNESS_NORAND[@]}" "$HARNESS_WINE" notepad.exe >"$HARNESS_ARTIFACTS/notepad.txt" 2>&1 </dev/null &
NOTEPAD=$!
_harness_track "$NOTEPAD"
if harness_wait_log "device lost" 20000; then
  harness_pass "the device is lost when another window takes the focus"
  echo "the saver's window meanwhile: $(harness_saver_windows 0 --class Screensaver | head -n1)"
  P1=$(harness_count_presents)
  sleep 2
  P2=$(harness_count_presents)
  harness_check "nothing is presented while the device is lost ($P1, then $P2)" [ "$P1" = "$P2" ]
  harness_check "the test window goes on while its device is lost" harness_saver_alive

  # The saver's window comes back: the device is reset and frames follow.
  harness_host post "$HWND" 0x112 0xF120 >/dev/null   # WM_SYSCOMMAND, SC_RESTORE
  if harness_wait_log "device reset" 20000; then
    harness_pass "the device is reset when the window is back"
    harness_check "the reset succeeded at the first attempt" \
      bash -c '! grep -qF "device reset failed" "$1"' _ "$HARNESS_LOG"
    P3=$(harness_count_presents)
    harness_check "frames are presented again (3 more within 30 s)" harness_wait_presents $((P3 + 3)) 30000
    harness_kill_pid "$NOTEPAD"
    sleep 1
    harness_screenshot after_reset.png
    COLOURS=$(convert "$HARNESS_ARTIFACTS/after_reset.png" -alpha off -format %k info:)
    harness_check "the screen shows the scene again ($COLOURS colours)" [ "${COLOURS:-0}" -gt 1000 ]
  else
    harness_fail "the device is reset when the window is back (log: $(tr '\n' '|' <"$HARNESS_LOG"))"
  fi
else
  harness_fail "the device is lost when another window takes the focus"
fi
harness_kill_pid "$NOTEPAD"

if harness_still_running "closing the window"; then
  harness_host close "$HWND" >/dev/null
  if harness_wait_exit 10000; then
    harness_check "closing the window ends /t with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  else
    harness_fail "closing the window ends /t"
    harness_kill_saver
  fi
fi

harness_finish
