#!/usr/bin/env bash
# Full screen on three monitors (Xorg's dummy driver): the primary in the
# middle, one left of it and one above it, so Windows places those two at
# negative coordinates. The saver covers each monitor with a topmost window
# of exactly its rectangle; the window on the primary is the main one, which
# owns the others and shows the scene, and the others stay black.
set -u
# X screen places: DUMMY0 left, DUMMY1 the primary, DUMMY2 above the primary.
HARNESS_MONITORS="1024x768+0+480 800x600+1024+480* 640x480+1024+0"
source "$(dirname "$0")/harness.sh"
harness_begin

# The Windows rectangles, the primary's top-left corner at 0,0.
LEFT_RECT=-1024,0,0,768
PRIMARY_RECT=0,0,800,600
ABOVE_RECT=0,-480,640,0

MONITORS=$(harness_host monitors)
echo "$MONITORS"
for rect in $PRIMARY_RECT $LEFT_RECT $ABOVE_RECT; do
  harness_check "Wine presents a monitor at $rect" grep -q "^monitor .*rect=$rect " <<<"$MONITORS"
done
harness_check "the monitor at 0,0 is the primary" grep -q "^monitor .*rect=$PRIMARY_RECT primary=1" <<<"$MONITORS"

harness_reg_clear
harness_run_saver "$HARNESS_SAVER_SCR" /s
if harness_wait_log "first frame" 120000; then
  sleep 2
  mapfile -t WINDOWS < <(harness_saver_windows 5000)
  printf '%s\n' "${WINDOWS[@]}"
  harness_check "one window for each monitor (${#WINDOWS[@]})" [ "${#WINDOWS[@]}" = 3 ]
  MAIN=$(printf '%s\n' "${WINDOWS[@]}" | grep -m1 ' owner=0x0 ')
  MAIN_HWND=$(harness_field "$MAIN" hwnd)
  harness_check "the main window (no owner) is on the primary ($(harness_field "$MAIN" rect))" \
    [ "$(harness_field "$MAIN" rect)" = "$PRIMARY_RECT" ]
  for rect in $LEFT_RECT $ABOVE_RECT; do
    W=$(printf '%s\n' "${WINDOWS[@]}" | grep -m1 " rect=$rect ")
    harness_check "a window covers the monitor at $rect" [ -n "$W" ]
    harness_check "the window at $rect is owned by the main window" [ "$(harness_field "$W" owner)" = "$MAIN_HWND" ]
  done
  for W in "${WINDOWS[@]}"; do
    harness_check "the window at $(harness_field "$W" rect) is topmost" harness_bits_set "$(harness_field "$W" exstyle)" 0x8
    harness_check "the window at $(harness_field "$W" rect) is a popup" harness_bits_set "$(harness_field "$W" style)" 0x80000000
  done

  # On the X screen: the primary at 1024,480 shows the scene, the others black.
  harness_screenshot monitors.png
  SHOT=$HARNESS_ARTIFACTS/monitors.png
  region_colours() { convert "$SHOT" -crop "$1" +repage -alpha off -format %k info: 2>/dev/null; }
  harness_check "the primary shows the scene ($(region_colours 800x600+1024+480) colours)" \
    [ "$(region_colours 800x600+1024+480)" -gt 100 ]
  harness_check "the monitor left of it stays black" [ "$(region_colours 1024x768+0+480)" = 1 ]
  harness_check "the monitor above it stays black" [ "$(region_colours 640x480+1024+0)" = 1 ]
  harness_check "log: no window failed" bash -c '! grep -q "error create window" "$1"' _ "$HARNESS_LOG"

  harness_key space
  harness_expect_ended "a key"
else
  harness_fail "the saver draws on three monitors (log: $(tail -n3 "$HARNESS_LOG" 2>/dev/null | tr '\n\r' '  '))"
  harness_kill_saver
fi

harness_finish
