#!/usr/bin/env bash
# Full-screen mode (/s): one topmost borderless window over the whole screen,
# Direct3D frames until a key, a mouse button, the loss of activation, a
# close or screensave command or a suspend notice, then exit code 0 within a
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

# x_windows PID: "xid x y width height" of the viewable X windows
# of a wine process (Wine sets _NET_WM_PID to the unix pid).
x_windows() {
  local w info
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    printf '%s %s %s %s %s\n' "$w" \
      "$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")" \
      "$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")" \
      "$(sed -n 's/.*Width: *//p' <<<"$info")" \
      "$(sed -n 's/.*Height: *//p' <<<"$info")"
  done
}

# --- run 1: the window, the log, the frames; a key ends it -------------------
if start_fullscreen; then
  harness_pass "/s creates a HAL device and presents frames"
else
  harness_fail "/s creates a HAL device and presents frames (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
fi

# The scene draws every frame: the sky, clouds and the cupid give thousands
# of colours, where a bare window, the white root or a clear colour give one.
if harness_screenshot fullscreen.png; then
  COLOURS=$(convert "$HARNESS_ARTIFACTS/fullscreen.png" -alpha off -format %k info:)
  WHITE=$(harness_count_color "$HARNESS_ARTIFACTS/fullscreen.png" '#FFFFFF')
  harness_check "a screenshot shows the drawn scene ($COLOURS colours)" [ "${COLOURS:-0}" -gt 1000 ]
  harness_check "no part of the white root window shows ($WHITE white pixels)" \
    [ "${WHITE:-0}" -lt $((SCREEN_W * SCREEN_H / 20)) ]
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
X_WINDOWS=$(x_windows "$HARNESS_SAVER_PID")
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

harness_input_ends_saver "the key press" "a key press" "$EXIT_LIMIT_MS" harness_key space
harness_check 'log: "detected pressed any key"' harness_log_has "detected pressed any key"

# --- more runs: mouse buttons, and the messages Windows sends --------------
# WM_ACTIVATEAPP (0x1C) with wParam 0 when another program takes the screen,
# WM_SYSCOMMAND (0x112) SC_CLOSE (0xF060) or SC_SCREENSAVE (0xF140), and
# WM_POWERBROADCAST (0x218) PBT_APMSUSPEND (4) before the machine sleeps.
end_by_message() {
  local hwnd
  hwnd=$(harness_saver_hwnd)
  [ -n "$hwnd" ] || { harness_fail "the saver's window is found"; return 1; }
  INPUT_MS=$(harness_now_ms)
  harness_host post "$hwnd" "$@" | grep -q '^post ok=1'
}
for way in "left button" "right button" "deactivation" "SC_CLOSE" "SC_SCREENSAVE" "suspend"; do
  if ! start_fullscreen; then
    harness_fail "/s starts again for the $way"
    harness_kill_saver
    continue
  fi
  harness_still_running "the $way" || continue
  case "$way" in
    "left button") INPUT_MS=$(harness_now_ms); harness_click 1 ;;
    "right button") INPUT_MS=$(harness_now_ms); harness_click 3 ;;
    deactivation) end_by_message 0x1C 0 ;;
    SC_CLOSE) end_by_message 0x112 0xF060 ;;
    SC_SCREENSAVE) end_by_message 0x112 0xF140 ;;
    suspend) end_by_message 0x218 4 ;;
  esac || { harness_fail "the $way reaches the saver"; harness_kill_saver; continue; }
  harness_expect_exit "the $way" "$INPUT_MS" "$EXIT_LIMIT_MS"
done

harness_finish
