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

moves_seen() { grep -c '^mouse move' "$HARNESS_LOG" 2>/dev/null; }
last_fps() { tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' '$1 == "fps" { f = $2 } END { print f + 0 }'; }

# step DX DY: one pointer move that the saver receives as a message of its
# own: the next move waits until the saver has logged this one (queued moves
# would be merged into one message). A move that never arrives is a FAIL, so
# that no check below passes on input the saver did not see.
step() {
  local n start
  n=$(moves_seen)
  harness_mouse_by "$1" "$2"
  start=$(harness_now_ms)
  until [ "$(moves_seen)" -gt "$n" ]; do
    harness_saver_alive || return 0
    if [ $(( $(harness_now_ms) - start )) -ge 3000 ]; then
      if [ "$(last_fps)" -lt 15 ]; then
        harness_not_judged "the move by $1,$2 reaches the saver within 3 s" "the saver drew $(last_fps) frames a second"
      else
        harness_fail "the move by $1,$2 reaches the saver within 3 s"
      fi
      MOVES_LOST=1
      return 1
    fi
    sleep 0.02
  done
}

# swing DX DY N: N moves there and back (2N messages), ending where it began.
swing() {
  local i
  for i in $(seq 1 "$3"); do
    step "$1" "$2"
    step $((-$1)) $((-$2))
  done
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
  harness_check_exit_time "$1" "$EXIT_LIMIT_MS"
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
  if harness_still_running "the 21 px jump"; then
    INPUT_MS=$(harness_now_ms)
    harness_mouse_by 21 0
    expect_exit "a jump of 21 px"
  fi
  harness_check 'log: "detected mouse move"' harness_log_has "detected mouse move"
else
  harness_fail "/s starts with ExitOnMouseMove set"
  harness_kill_saver
fi

# --- run 2: the vertical axis -------------------------------------------------
if start_fullscreen; then
  swing 0 -20 6
  expect_running "12 vertical moves of exactly 20 px"
  if harness_still_running "the vertical 21 px jump"; then
    INPUT_MS=$(harness_now_ms)
    harness_mouse_by 0 -21
    expect_exit "a vertical jump of 21 px"
  fi
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
  if harness_still_running "the key press"; then
    INPUT_MS=$(harness_now_ms)
    harness_key Escape
    expect_exit "a key press with ExitOnMouseMove cleared"
  fi
else
  harness_fail "/s starts with ExitOnMouseMove cleared"
  harness_kill_saver
fi

harness_finish
