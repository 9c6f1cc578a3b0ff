#!/usr/bin/env bash
# Starts and stops: the saver runs CORDELUNE_CYCLES times (default 6, one run
# for each way a run ends), taking the ways in turn: a key, a mouse button, a
# mouse jump with ExitOnMouseMove set, the loss of activation
# (WM_ACTIVATEAPP 0), the end of the session (wineboot -e) and closing the
# test window. Every run must end with exit code 0 within a second of its
# input, and leave neither a process of its own nor a temporary file behind.
# On a machine too loaded to tell (a low frame rate, a high load average) the
# second is not judged; the exit code and the leftovers always are.
#
# On demand, many cycles straight from the shell (the build tree is found
# when CTest does not name it):
#   CORDELUNE_CYCLES=100 tests/e2e/test_start_stop.sh [win32|win64]
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
if [ -z "${CORDELUNE_BIN:-}" ]; then
  arch=${1:-}
  if [ -z "$arch" ]; then
    arch=win32
    "$HERE/../../scripts/wine-run" --arch win32 --check >/dev/null 2>&1 || arch=win64
  fi
  export CORDELUNE_WINEARCH=$arch
  export CORDELUNE_BIN=$HERE/../../build/$arch/bin
  export CORDELUNE_WINEPREFIX=$HERE/../../build/$arch/wineprefix
  export CORDELUNE_ARTIFACTS=$HERE/../../build/$arch/e2e-artifacts
fi
source "$HERE/harness.sh"
harness_begin

CYCLES=${CORDELUNE_CYCLES:-6}
EXIT_LIMIT_MS=${CORDELUNE_E2E_EXIT_LIMIT_MS:-1000}  # "within a second"
WAYS=(key button "mouse jump" deactivation "session end" "window close")
read -r SCREEN_W SCREEN_H < <(echo "$HARNESS_SCREEN" | awk -Fx '{print $1, $2}')

# Factory settings (music and effects on, so the audio library's temporary
# copy is made and must be removed), with mouse movement ending the run.
harness_reg_clear
harness_reg_set ExitOnMouseMove=2

# The prefix's temporary folder(s), as Windows programs of the user see them.
temp_files() {
  find "$WINEPREFIX/drive_c/users" -maxdepth 5 -ipath '*/temp/*' 2>/dev/null | sort
}

# Unix processes of this prefix that run the saver.
saver_processes() {
  local pid
  for pid in $(pgrep -f "$(basename "$HARNESS_SAVER_SCR")" 2>/dev/null); do
    [ "$pid" = $$ ] && continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}

# A machine too busy for a one-second judgement: the saver drew fewer than
# 20 frames in its last logged second, or the load is over twice the cores.
LOAD_NOTE=
machine_loaded() {
  local fps load cores
  fps=$(tr -d '\r' <"$HARNESS_LOG" 2>/dev/null | awk -F'\t' '$1 == "fps" { f = $2 } END { print f + 0 }')
  load=$(cut -d' ' -f1 /proc/loadavg)
  cores=$(nproc)
  LOAD_NOTE="$fps frames a second, load $load on $cores cores"
  [ "$fps" -lt 20 ] || awk -v l="$load" -v c="$cores" 'BEGIN { exit !(l > 2 * c) }'
}

# A window manager announces itself on the root window.
window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# end_run WAY: gives the input and sets INPUT_MS right before it.
end_run() {
  local hwnd i
  case "$1" in
    key) INPUT_MS=$(harness_now_ms); harness_key space ;;
    button) INPUT_MS=$(harness_now_ms); harness_click 1 ;;
    "mouse jump")
      # The first ten movement messages never end the run; then a jump.
      for i in $(seq 1 6); do harness_mouse_step 5 0 3000 && harness_mouse_step -5 0 3000 || return 1; done
      INPUT_MS=$(harness_now_ms)
      harness_mouse_by 60 40 ;;
    deactivation | "window close")
      hwnd=$(harness_saver_hwnd)
      [ -n "$hwnd" ] || return 1
      INPUT_MS=$(harness_now_ms)
      if [ "$1" = deactivation ]; then
        harness_host post "$hwnd" 0x1C 0 | grep -q '^post ok=1'
      else
        harness_host sysclose "$hwnd" | grep -q '^post ok=1'
      fi ;;
    "session end")
      INPUT_MS=$(harness_now_ms)
      timeout 20 env "${HARNESS_NORAND[@]}" "$HARNESS_WINE" wineboot -e >/dev/null 2>&1 </dev/null ;;
  esac
}

declare -A ENDED=() FAST=()
for ((cycle = 1; cycle <= CYCLES; cycle++)); do
  way=${WAYS[$(( (cycle - 1) % ${#WAYS[@]} ))]}
  what="run $cycle ($way)"
  before=$(temp_files)
  harness_mouse_to $((SCREEN_W / 2)) $((SCREEN_H / 2))
  if [ "$way" = "window close" ]; then harness_run_saver "$HARNESS_SAVER_SCR" /t
  else harness_run_saver "$HARNESS_SAVER_SCR" /s; fi
  if ! harness_wait_log "first frame" 90000; then
    harness_fail "$what: the saver draws its first frame (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null | tail -c 300))"
    harness_kill_saver
    continue
  fi
  sleep 0.5
  harness_still_running "the input of $what" || continue
  if ! end_run "$way"; then
    harness_fail "$what: the input reaches the saver"
    harness_kill_saver
    continue
  fi
  if ! harness_wait_exit 10000 "$INPUT_MS"; then
    harness_fail "$what ends the saver (still running after 10 s)"
    harness_kill_saver
    continue
  fi
  ENDED[$way]=$(( ${ENDED[$way]:-0} + 1 ))
  if [ "$way" = "session end" ] && [ "$HARNESS_EXIT_CODE" = 137 ] && machine_loaded; then
    # Wine's end of session kills a process still on its way out once its
    # WM_ENDSESSION has returned; a busy machine can lose that race.
    harness_not_judged "$what ends with exit code 0 (got $HARNESS_EXIT_CODE)" "$LOAD_NOTE"
  else
    harness_check "$what ends with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  fi
  if [ "$HARNESS_EXIT_MS" -le "$EXIT_LIMIT_MS" ]; then
    harness_pass "$what ends within $EXIT_LIMIT_MS ms (took $HARNESS_EXIT_MS ms)"
    FAST[$way]=$(( ${FAST[$way]:-0} + 1 ))
  elif [ "$way" = "window close" ] && ! window_manager_runs; then
    harness_not_judged "$what ends within $EXIT_LIMIT_MS ms (took $HARNESS_EXIT_MS ms)" \
      "no window manager on the test display: Wine waits up to 2 s for one to take a captioned window down"
  elif machine_loaded; then
    harness_not_judged "$what ends within $EXIT_LIMIT_MS ms (took $HARNESS_EXIT_MS ms)" "$LOAD_NOTE"
  else
    harness_fail "$what ends within $EXIT_LIMIT_MS ms (took $HARNESS_EXIT_MS ms; $LOAD_NOTE)"
  fi
  # Wine ends a program's process when it returns; give a slow one a moment.
  for i in $(seq 1 50); do [ -z "$(saver_processes)" ] && break; sleep 0.1; done
  left=$(saver_processes)
  harness_check "$what leaves no saver process${left:+ (left: $left)}" [ -z "$left" ]
  new=$(comm -13 <(echo "$before") <(temp_files))
  harness_check "$what leaves no temporary file${new:+ (left: ${new//$'\n'/ })}" [ -z "$new" ]
  windows=$(harness_saver_windows 0)
  harness_check "$what leaves no window" [ -z "$windows" ]
done

echo "runs ended by each way (within $EXIT_LIMIT_MS ms):"
for way in "${WAYS[@]}"; do echo "  $way: ${ENDED[$way]:-0} (${FAST[$way]:-0})"; done
harness_finish
