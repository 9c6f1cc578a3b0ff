#!/usr/bin/env bash
# The mouse rule of full-screen mode: with ExitOnMouseMove set, the first ten
# movement messages never end the saver; after them a jump of more than 20
# pixels on either axis between two messages does, exactly 20 does not.
# Without the setting movement never ends it, keys still do.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

EXIT_LIMIT_MS=${CORDELUNE_E2E_EXIT_LIMIT_MS:-1000}  # "within a second"
X0=500 Y0=400

start_fullscreen() {
  MOVES_LOST=0
  harness_mouse_to $X0 $Y0
  harness_run_saver "$HARNESS_SAVER_SCR" /s
  harness_wait_log "first frame" 60000 && sleep 0.3
}

# step DX DY: one pointer move that the saver receives as a message of its
# own: the next move waits until the saver has logged this one (queued moves
# would be merged into one message). A move that never arrives is a FAIL, so
# that no check below passes on input the saver did not see.
step() {
  local rc=0
  harness_mouse_step "$1" "$2" 3000 || rc=$?
  [ "$rc" = 1 ] || return 0
  if [ "$(harness_last_fps)" -lt 15 ]; then
    harness_not_judged "the move by $1,$2 reaches the saver within 3 s" "the saver drew $(harness_last_fps) frames a second"
  else
    harness_fail "the move by $1,$2 reaches the saver within 3 s"
  fi
  MOVES_LOST=1
  return 1
}

# swing DX DY N: N moves there and back (2N messages), ending where it began.
swing() {
  local i
  for i in $(seq 1 "$3"); do
    step "$1" "$2"
    step $((-$1)) $((-$2))
  done
}

# A run whose moves did not all arrive proves nothing by running on.
expect_running() {
  sleep 0.5
  if [ "$MOVES_LOST" = 1 ] && harness_saver_alive; then
    harness_not_judged "$1: the saver keeps running" "not every move reached it"
  elif harness_saver_alive; then harness_pass "$1: the saver keeps running"
  else harness_fail "$1: the saver keeps running (it ended, log: $(tr '\n' '|' <"$HARNESS_LOG"))"; fi
}

harness_reg_clear
harness_reg_set ShowFPS=1 ShowTime=1 ExitOnMouseMove=2

# --- run 1: early jumps are skipped, 20 px steps are not jumps, 21 px is ----
if start_fullscreen; then
  # Two long jumps among the first ten messages (Wine may add one or two of
  # its own when the window appears).
  step 150 0
  step -150 0
  expect_running "a jump of 150 px among the first ten movement messages"
  swing 20 0 4
  swing 0 20 2
  swing -20 -20 1
  expect_running "14 more moves of exactly 20 px"
  harness_check 'log: no "detected mouse move" after 20 px steps' \
    bash -c '[ -s "$1" ] && ! grep -qF "detected mouse move" "$1"' _ "$HARNESS_LOG"
  harness_input_ends_saver "the 21 px jump" "a jump of 21 px" "$EXIT_LIMIT_MS" harness_mouse_by 21 0
  harness_check 'log: "detected mouse move"' harness_log_has "detected mouse move"
else
  harness_fail "/s starts with ExitOnMouseMove set"
  harness_kill_saver
fi

# --- run 2: the vertical axis -------------------------------------------------
if start_fullscreen; then
  swing 0 -20 6
  expect_running "12 vertical moves of exactly 20 px"
  harness_input_ends_saver "the vertical 21 px jump" "a vertical jump of 21 px" "$EXIT_LIMIT_MS" harness_mouse_by 0 -21
else
  harness_fail "/s starts again with ExitOnMouseMove set"
  harness_kill_saver
fi

# --- run 3: ExitOnMouseMove cleared (stored 1): movement never ends it ------
harness_reg_set ExitOnMouseMove=1
if start_fullscreen; then
  swing 200 150 7
  expect_running "14 jumps of 200 px with ExitOnMouseMove cleared"
  harness_check 'log: no "detected mouse move" with ExitOnMouseMove cleared' \
    bash -c '[ -s "$1" ] && ! grep -qF "detected mouse move" "$1"' _ "$HARNESS_LOG"
  harness_input_ends_saver "the key press" "a key press with ExitOnMouseMove cleared" "$EXIT_LIMIT_MS" harness_key Escape
else
  harness_fail "/s starts with ExitOnMouseMove cleared"
  harness_kill_saver
fi

harness_finish
