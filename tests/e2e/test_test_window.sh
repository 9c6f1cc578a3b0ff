#!/usr/bin/env bash
# Test-window mode (/t): an ordinary captioned window with a 600 x 400 client
# area that keys and mouse buttons do not end; closing it does.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

# created_window CLASS: the saver's own CreateWindowEx of a window of
# that class, as "ex=... style=... X,Y WxH" (needs WINEDEBUG=trace+win). It
# shows the window as created, before the device may restyle it.
created_window() {
  tr -d '\r' <"$(harness_trace_file)" 2>/dev/null |
    grep -m1 "trace:win:WIN_CreateWindowEx \"[^\"]*\" L\"$1\"" |
    sed 's/.*\(ex=[0-9a-f]* style=[0-9a-f]* [-0-9]*,[-0-9]* [0-9]*x[0-9]*\).*/\1/'
}

harness_reg_clear
harness_reg_set ShowFPS=1 ShowTime=1 ExitOnMouseMove=1

# The window is checked as the saver creates it (Wine's trace of its own
# CreateWindowEx call): the full-screen device made right after it takes the
# window over, too soon for a look from outside to be sure to see it first.
HARNESS_ENV=(WINEDEBUG=trace+d3d9,trace+win)
harness_run_saver "$HARNESS_SAVER_SCR" /t
HARNESS_ENV=()

if harness_saver_windows 20000 --class Screensaver >/dev/null && harness_wait_log "EE_Core_CreateD3Device" 20000; then
  CREATED=$(created_window Screensaver)
  echo "created: $CREATED"
  read -r EX STYLE POS SIZE <<<"$CREATED"
  EX=0x${EX#ex=} STYLE=0x${STYLE#style=}
  harness_check "the window has a caption, system menu and minimize box (style $STYLE)" \
    harness_bits_set "$STYLE" 0x10CA0000
  harness_check "the window is neither popup nor child" harness_bits_clear "$STYLE" 0xC0000000
  harness_check "the window is not topmost (exstyle $EX)" harness_bits_clear "$EX" 0x8
  # The window rectangle that holds a 600x400 client area at (50, 50).
  ADJ=$(harness_host adjust-rect "$STYLE" "$EX" 600 400 | grep '^adjusted')
  WANT="$((50 + $(harness_field "$ADJ" left))),$((50 + $(harness_field "$ADJ" top))) $(harness_field "$ADJ" width)x$(harness_field "$ADJ" height)"
  harness_check "the client area is 600x400 at (50, 50) (window $POS $SIZE, expected $WANT)" \
    [ "$POS $SIZE" = "$WANT" ]
  TITLE=$(harness_field "$(harness_saver_windows 0 --class Screensaver | head -n1)" title)
  harness_check "the caption is \"Cordelune 3D \" (\"$TITLE\")" [ "$TITLE" = "Cordelune 3D " ]
else
  harness_fail "/t opens a window (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
fi

if harness_wait_log "hal hardware" 20000 && harness_wait_presents 5 60000; then
  harness_pass "/t creates a HAL device and presents frames"
else
  harness_fail "/t creates a HAL device and presents frames"
fi
harness_check 'log: "command line" with /t' grep -qE $'^command line\t.*Cordelune\\.scr"? /t\r?$' "$HARNESS_LOG"

harness_mouse_to 350 250
harness_key space Escape Return a F1
harness_click 1
harness_click 3
sleep 1
if harness_saver_alive; then harness_pass "keys and mouse buttons do not end /t"
else harness_fail "keys and mouse buttons do not end /t (it ended with code $(harness_wait_exit 0; echo "$HARNESS_EXIT_CODE"))"; fi
harness_check 'log: no "detected pressed any key" in /t' \
  bash -c '[ -s "$1" ] && ! grep -qF "detected pressed any key" "$1"' _ "$HARNESS_LOG"
P1=$(harness_count_presents)
harness_check "frames keep coming after the input (3 more presents within 5 s)" \
  harness_wait_presents $((P1 + 3)) 5000

# Closing: Alt+F4 goes through the default handling to WM_CLOSE; it also
# shows that the keys above did reach the window.
if ! harness_still_running "Alt+F4"; then
  :
elif harness_key alt+F4 && harness_wait_exit 5000; then
  harness_check "closing the window (Alt+F4) ends /t with exit code 0 (got $HARNESS_EXIT_CODE)" \
    [ "$HARNESS_EXIT_CODE" = 0 ]
else
  harness_fail "closing the window (Alt+F4) ends /t"
  harness_kill_saver
fi

harness_finish
