#!/usr/bin/env bash
# Full-screen mode (/s): one topmost borderless window over the whole screen,
# Direct3D frames until a key or a mouse button, then exit code 0 within a
# second.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

EXIT_LIMIT_MS=${CORDELUNE_E2E_EXIT_LIMIT_MS:-1000}  # "within a second"
read -r SCREEN_W SCREEN_H < <(echo "$HARNESS_SCREEN" | awk -Fx '{print $1, $2}')

# Overlay off (a stored 1 is false), mouse movement never ends the run here.
harness_reg_clear
harness_reg_set ShowFPS=1 ShowTime=1 ExitOnMouseMove=1
harness_mouse_to $((SCREEN_W / 2)) $((SCREEN_H / 2))

# Starts /s and waits for the device and a few presented frames.
start_fullscreen() {
  HARNESS_ENV=(WINEDEBUG=trace+d3d9)
  harness_run_saver "$HARNESS_SAVER_SCR" /s
  HARNESS_ENV=()
  harness_wait_log "hal hardware" 20000 &&
    harness_wait_presents 5 60000
}

# expect_exit WHAT: the saver ended with code 0 within EXIT_LIMIT_MS of
# INPUT_MS (taken right before the input).
expect_exit() {
  if ! harness_wait_exit 5000 "$INPUT_MS"; then
    harness_fail "$1 ends the saver (still running after 5 s)"
    harness_kill_saver
    return
  fi
  harness_check "$1 ends the saver with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  harness_check "$1 ends the saver within ${EXIT_LIMIT_MS} ms (took $HARNESS_EXIT_MS ms)" \
    [ "$HARNESS_EXIT_MS" -le "$EXIT_LIMIT_MS" ]
}

# --- run 1: the window, the log, the frames; a key ends it -------------------
if start_fullscreen; then
  harness_pass "/s creates a HAL device and presents frames"
else
  harness_fail "/s creates a HAL device and presents frames (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
fi

# The base frame clears to opaque blue; with the overlay off that is all
# there is. Once the scene draws its own frames (they clear to other
# colours) the screen must at least show a drawn picture.
if grep -q 'd3d9_device_Clear .*flags 0x3, color 0xff0000ff' "$(harness_trace_file)"; then
  harness_check "a screenshot of the base frame is blue (0x0000FF)" \
    harness_wait_screen_color '#0000FF' 99 10000 fullscreen.png
else
  echo "note: the frames are the scene's, not the blue base frame"
  sleep 1
  harness_screenshot fullscreen.png
  COLOURS=$(convert "$HARNESS_ARTIFACTS/fullscreen.png" -alpha off -format %k info:)
  # A scene with nothing in front of the camera is its clear colour alone.
  CLEAR=$(grep -o 'd3d9_device_Clear .*flags 0x[0-9a-f]*[13579bdf], color 0x[0-9a-f]*' "$(harness_trace_file)" |
          tail -n1 | sed 's/.*color 0x..\(......\)$/#\1/' | tr a-f A-F)
  PIXEL=$(harness_pixel "$HARNESS_ARTIFACTS/fullscreen.png" $((SCREEN_W / 2)) $((SCREEN_H / 2)))
  harness_check "a screenshot shows the drawn frame ($COLOURS colours, clear colour $CLEAR, centre $PIXEL)" \
    [ "${COLOURS:-0}" -gt 1 -o "$PIXEL" = "$CLEAR" ]
fi

mapfile -t WINDOWS < <(harness_saver_windows 5000)
harness_check "the saver shows exactly one visible top-level window (${#WINDOWS[@]})" [ "${#WINDOWS[@]}" -eq 1 ]
W=${WINDOWS[0]:-}
echo "window: $W"
if [ -n "$W" ]; then
  STYLE=$(harness_field "$W" style)
  EXSTYLE=$(harness_field "$W" exstyle)
  harness_check "the window is of class Screensaver" [ "$(harness_field "$W" class)" = Screensaver ]
  harness_check "the window is a popup (style $STYLE)" harness_bits_set "$STYLE" 0x80000000
  harness_check "the window has no caption, border or sizing frame" harness_bits_clear "$STYLE" 0x00C40000
  harness_check "the window is topmost (exstyle $EXSTYLE)" harness_bits_set "$EXSTYLE" 0x8
  harness_check "the window covers the screen (rect $(harness_field "$W" rect))" \
    [ "$(harness_field "$W" rect)" = "0,0,$SCREEN_W,$SCREEN_H" ]
fi
X_WINDOWS=$(harness_x_windows "$HARNESS_SAVER_PID")
echo "X windows of the saver: ${X_WINDOWS//$'\n'/; }"
harness_check "on the X display a window of the saver covers the screen" \
  grep -qE "^[^ ]+ 0 0 $SCREEN_W $SCREEN_H\$" <<<"$X_WINDOWS"

# Software rendering on a busy machine can be slow: what counts is that
# frames go on being presented.
P1=$(harness_count_presents)
harness_check "frames keep coming (3 more presents within 5 s)" harness_wait_presents $((P1 + 3)) 5000

harness_check 'log: "CCordelune::Init()"' harness_log_has "CCordelune::Init()"
harness_check 'log: "command line<TAB>" and the full command line' \
  grep -qE $'^command line\t.*Cordelune\\.scr"? /s\r?$' "$HARNESS_LOG"
harness_check 'log: "EE_Core_CreateD3Device"' harness_log_has "EE_Core_CreateD3Device"
harness_check 'log: "hal hardware"' harness_log_has "hal hardware"
harness_check 'log: no "error create 3d device"' \
  bash -c '[ -s "$1" ] && ! grep -qF "error create 3d device" "$1"' _ "$HARNESS_LOG"

if harness_still_running "the key press"; then
  INPUT_MS=$(harness_now_ms)
  harness_key space
  expect_exit "a key press"
fi
harness_check 'log: "detected pressed any key"' harness_log_has "detected pressed any key"

# --- runs 2 and 3: mouse buttons ---------------------------------------------
for button in 1 3; do
  name=$([ $button = 1 ] && echo left || echo right)
  if ! start_fullscreen; then
    harness_fail "/s starts again for the $name button"
    harness_kill_saver
    continue
  fi
  harness_still_running "the $name mouse button" || continue
  INPUT_MS=$(harness_now_ms)
  harness_click $button
  expect_exit "the $name mouse button"
done

harness_finish
