# The saver and the Windows-side helper (sourced by harness.sh).
#   harness_run_saver SCR ARGS...    background run; CORDELUNE_LOG = $HARNESS_LOG,
#                                    extra environment from the array HARNESS_ENV
#   harness_preview_start SCR        /p in a parent made by the helper
#   harness_wait_log TEXT MS, harness_log_has TEXT, harness_poll MS PAUSE COMMAND...
#   harness_saver_clock_ms           the saver's clock
#   harness_wait_exit MS             sets HARNESS_EXIT_CODE and HARNESS_EXIT_MS
#   harness_check_exit_time WHAT MS  the exit came in time (not judged when slow)
#   harness_saver_alive, harness_still_running WHAT, harness_kill_saver
#   harness_expect_ended WHAT, harness_expect_exit WHAT START LIMIT_MS
#   harness_log_field TAG N [K], harness_log_count TAG, harness_wait_log_count TAG N MS
#   harness_input_ends_saver BEFORE WHAT LIMIT_MS INPUT...
#   harness_last_fps, harness_moves_seen, harness_mouse_step DX DY MS
#   harness_count_presents, harness_wait_presents N MS   (WINEDEBUG=trace+d3d9)
# The helper (cordelune-testhost.exe)
#   harness_host ARGS..., harness_host_start ARGS..., harness_saver_windows [MS]
#   harness_saver_hwnd, harness_bits_set VALUE MASK, harness_bits_clear VALUE MASK
#   harness_field LINE KEY, harness_wait_file FILE REGEX MS

# harness_poll MS PAUSE COMMAND...: runs COMMAND every PAUSE seconds until it
# succeeds; status 1 after MS, 2 when the saver ended without it.
harness_poll() {
  local limit=$1 pause=$2 start
  shift 2
  start=$(harness_now_ms)
  until "$@"; do
    harness_saver_alive || { "$@" && return 0; return 2; }
    [ $(( $(harness_now_ms) - start )) -ge "$limit" ] && return 1
    sleep "$pause"
  done
}

# The saver's times are Wine's tick count, which follows the raw monotonic
# clock; /proc/uptime runs ahead of it by the clock's slew since boot (180 ms
# after four hours here), enough to misplace a frame. The shell cannot read
# that clock, and starting a reader for each reading takes longer than a
# frame (0.6 s through a pyenv shim), so its offset from the wall clock is
# read once and `date` does the rest.
harness_saver_clock_ms() {
  [ -n "$HARNESS_CLOCK_OFFSET_MS" ] || harness_saver_clock_offset
  echo $(( $(date +%s%N) / 1000000 + HARNESS_CLOCK_OFFSET_MS ))
}
harness_saver_clock_offset() {
  HARNESS_CLOCK_OFFSET_MS=$(python3 -c 'import time; print(round((time.clock_gettime(time.CLOCK_MONOTONIC_RAW) - time.time()) * 1000))')
}

# A fresh, empty $HARNESS_LOG for the next run (run1.log, run2.log...).
harness_new_log() {
  HARNESS_RUN=$((HARNESS_RUN + 1))
  HARNESS_LOG=$HARNESS_ARTIFACTS/run$HARNESS_RUN.log
  rm -f "$HARNESS_LOG"
  echo "$*" >"$HARNESS_ARTIFACTS/run$HARNESS_RUN.cmd"
}

# harness_run_saver SCR ARGS...: starts the saver in the background with
# CORDELUNE_LOG naming a fresh $HARNESS_LOG; extra environment comes from the
# array HARNESS_ENV (e.g. HARNESS_ENV=(WINEDLLOVERRIDES=d3d9=)).
harness_run_saver() {
  local scr=$1; shift
  harness_new_log "$scr $*"
  env CORDELUNE_LOG="$(harness_winpath "$HARNESS_LOG")" "${HARNESS_ENV[@]}" \
    "${HARNESS_NORAND[@]}" "$HARNESS_WINE" "$scr" "$@" >"$HARNESS_ARTIFACTS/run$HARNESS_RUN.wine.txt" 2>&1 </dev/null &
  HARNESS_SAVER_PID=$!
  HARNESS_SAVER_PIDS+=("$HARNESS_SAVER_PID")
  _harness_track "$HARNESS_SAVER_PID"
  HARNESS_EXIT_CODE=
  HARNESS_EXIT_MS=
}

harness_saver_alive() { harness_alive "$HARNESS_SAVER_PID"; }

# harness_still_running WHAT: a FAIL (and status 1) when the saver has
# already ended before WHAT, so that an exit check after it proves nothing.
harness_still_running() {
  harness_saver_alive && return 0
  harness_fail "the saver is still running before $1 (it had ended)"
  return 1
}

harness_kill_saver() { harness_kill_pid "$HARNESS_SAVER_PID"; }

# harness_wait_exit MS [START]: waits for the saver to end; HARNESS_EXIT_CODE
# is its exit code and HARNESS_EXIT_MS the time since START (a harness_now_ms
# reading, e.g. taken before the input that should end it; default now).
# Status 1 when it still runs MS after START.
harness_wait_exit() {
  local limit=$1 start=${2:-} now
  [ -n "$start" ] || start=$(harness_now_ms)
  while harness_alive "$HARNESS_SAVER_PID"; do
    now=$(harness_now_ms)
    [ $((now - start)) -ge "$limit" ] && { HARNESS_EXIT_MS=$((now - start)); return 1; }
    sleep 0.02
  done
  HARNESS_EXIT_MS=$(( $(harness_now_ms) - start ))
  HARNESS_EXIT_CODE=0
  wait "$HARNESS_SAVER_PID" 2>/dev/null || HARNESS_EXIT_CODE=$?
  return 0
}

# harness_check_exit_time WHAT LIMIT_MS: the saver ended within LIMIT_MS
# (HARNESS_EXIT_MS). Slower is a FAIL on a machine where the saver kept its
# frame rate, and not judged where it drew fewer than 15 frames a second
# (its last "fps" log line): there the exit waits for a slow frame.
harness_check_exit_time() {
  local what=$1 limit=$2 fps
  if [ "${HARNESS_EXIT_MS:-999999}" -le "$limit" ]; then
    harness_pass "$what ends the saver within $limit ms (took $HARNESS_EXIT_MS ms)"
    return
  fi
  fps=$(harness_last_fps)
  if [ "$fps" -lt 15 ]; then
    harness_not_judged "$what ends the saver within $limit ms (took $HARNESS_EXIT_MS ms)" \
      "the saver drew $fps frames a second on this busy machine"
  else
    harness_fail "$what ends the saver within $limit ms (took $HARNESS_EXIT_MS ms at $fps frames a second)"
  fi
}

# harness_expect_ended WHAT: the saver ends by itself within 10 s, with exit
# code 0; one that still runs is a FAIL and is killed.
harness_expect_ended() {
  if harness_wait_exit 10000; then
    harness_check "$1 ends the saver with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  else
    harness_fail "$1 ends the saver"
    harness_kill_saver
  fi
}

# harness_expect_exit WHAT START LIMIT_MS: the saver ended with code 0 within
# LIMIT_MS of START (a harness_now_ms reading taken right before the input).
harness_expect_exit() {
  if ! harness_wait_exit 5000 "$2"; then
    harness_fail "$1 ends the saver (still running after 5 s)"
    harness_kill_saver
    return
  fi
  harness_check "$1 ends the saver with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  harness_check_exit_time "$1" "$3"
}

# harness_input_ends_saver BEFORE WHAT LIMIT_MS INPUT...: unless the saver
# had already ended before BEFORE (a FAIL), gives the input (a command) and
# expects WHAT to end the saver with code 0 within LIMIT_MS of it.
harness_input_ends_saver() {
  local before=$1 what=$2 limit=$3 start
  shift 3
  harness_still_running "$before" || return 0
  start=$(harness_now_ms)
  "$@"
  harness_expect_exit "$what" "$start" "$limit"
}

# The saver's log lines are TAB-separated, a tag first.
harness_log_lines() { tr -d '\r' <"$HARNESS_LOG"; }
# harness_log_field TAG N [K]: field N of the Kth line (default the first)
# that starts with TAG.
harness_log_field() {
  harness_log_lines | awk -F'\t' -v t="$1" -v k="${3:-1}" -v n="$2" '$1 == t && ++c == k { print $n; exit }'
}
harness_log_count() { harness_log_lines | awk -F'\t' -v t="$1" '$1 == t { c++ } END { print c + 0 }'; }
# harness_wait_log_count TAG N MS: until the log holds N lines starting with
# TAG; status 1 on timeout, 2 when the saver ended first.
harness_wait_log_count() { harness_poll "$3" 0.1 _harness_log_count_reaches "$1" "$2"; }
_harness_log_count_reaches() { [ "$(harness_log_count "$1")" -ge "$2" ]; }
# The frame rate of the saver's last "fps" line (0 before the first).
harness_last_fps() {
  tr -d '\r' <"$HARNESS_LOG" 2>/dev/null | awk -F'\t' '$1 == "fps" { f = $2 } END { print f + 0 }'
}
# Mouse movement messages the saver has logged so far.
harness_moves_seen() { grep -c '^mouse move' "$HARNESS_LOG" 2>/dev/null; }
# harness_mouse_step DX DY MS: one pointer move that the saver receives as a
# message of its own: waits until the saver has logged it (queued moves would
# be merged into one message). Status 1 when it did not come within MS, 2
# when the saver had ended.
harness_mouse_step() {
  local n
  n=$(harness_moves_seen)
  harness_mouse_by "$1" "$2"
  harness_poll "$3" 0.02 _harness_moves_above "$n"
}
_harness_moves_above() { [ "$(harness_moves_seen)" -gt "$1" ]; }

# True when the current log holds TEXT (a fixed string).
harness_log_has() { [ -f "${2:-$HARNESS_LOG}" ] && grep -qF -- "$1" "${2:-$HARNESS_LOG}"; }

# harness_wait_log TEXT MS: waits for TEXT in the log; status 1 on timeout,
# 2 when the saver ended without writing it.
harness_wait_log() { harness_poll "$2" 0.05 harness_log_has "$1"; }

# --- the Windows-side helper -------------------------------------------------

# harness_host ARGS...: runs cordelune-testhost.exe and prints its report.
harness_host() {
  local out=$HARNESS_TMP/host.$$.$RANDOM rc=0
  "${HARNESS_NORAND[@]}" "$HARNESS_WINE" "$HARNESS_TESTHOST" "$@" >"$out" 2>&1 </dev/null || rc=$?
  tr -d '\r' <"$out"
  rm -f "$out"
  return $rc
}

# harness_host_start ARGS...: the same in the background; the report grows
# in $HARNESS_HOST_OUT and the process is $HARNESS_HOST_PID.
harness_host_start() {
  HARNESS_HOSTS=$((HARNESS_HOSTS + 1))
  HARNESS_HOST_OUT=$HARNESS_ARTIFACTS/host$HARNESS_HOSTS.txt
  echo "$HARNESS_TESTHOST $*" >"$HARNESS_ARTIFACTS/host$HARNESS_HOSTS.cmd"
  env CORDELUNE_LOG="$(harness_winpath "$HARNESS_LOG")" "${HARNESS_ENV[@]}" \
    "${HARNESS_NORAND[@]}" "$HARNESS_WINE" "$HARNESS_TESTHOST" "$@" >"$HARNESS_HOST_OUT" 2>&1 </dev/null &
  HARNESS_HOST_PID=$!
  HARNESS_HOST_PIDS+=("$HARNESS_HOST_PID")
  _harness_track "$HARNESS_HOST_PID"
}

# harness_preview_start SCR [testhost options]: the helper makes a parent
# window and starts SCR with "/p <parent>", logging to a fresh $HARNESS_LOG.
# Its report ($HARNESS_HOST_OUT) names the parent, the child windows, the
# paint check and finally "saver exit=N".
harness_preview_start() {
  local scr=$1; shift
  harness_new_log "$HARNESS_TESTHOST preview $scr $*"
  harness_host_start preview "$scr" "$@"
}

# harness_wait_file FILE REGEX MS: waits for a line matching REGEX in FILE.
harness_wait_file() {
  local file=$1 re=$2 limit=$3 start
  start=$(harness_now_ms)
  until [ -f "$file" ] && tr -d '\r' <"$file" | grep -qE -- "$re"; do
    [ $(( $(harness_now_ms) - start )) -ge "$limit" ] && return 1
    sleep 0.05
  done
}

# harness_field LINE KEY: the value of key=value in a helper report line
# (quoted values come back without their quotes).
harness_field() {
  local line=$1 key=$2
  if [[ $line =~ (^|[[:space:]])$key=\"([^\"]*)\" ]]; then printf '%s' "${BASH_REMATCH[2]}"
  elif [[ $line =~ (^|[[:space:]])$key=([^[:space:]]*) ]]; then printf '%s' "${BASH_REMATCH[2]}"
  else return 1; fi
}

# harness_saver_windows [MS] [extra testhost options]: report lines of the
# saver's visible top-level windows, waiting up to MS for the first.
harness_saver_windows() {
  local wait=${1:-0}; shift || true
  harness_host windows --image "$(basename "${HARNESS_SAVER_SCR:-Cordelune.scr}")" --visible \
    --wait "$wait" "$@" | grep '^\(window\|child\)' || true
}

# The window handle of the saver's full-screen window (class Screensaver).
harness_saver_hwnd() { harness_field "$(harness_saver_windows 5000 --class Screensaver | head -n1)" hwnd; }

# True when every bit of MASK is set in VALUE (hex or decimal).
harness_bits_set() { (( ($1 & $2) == $2 )); }
# True when no bit of MASK is set in VALUE.
harness_bits_clear() { (( ($1 & $2) == 0 )); }

# The Wine debug output of the current run (WINEDEBUG from HARNESS_ENV).
harness_trace_file() { echo "$HARNESS_ARTIFACTS/run$HARNESS_RUN.wine.txt"; }

# harness_count_presents: Present calls so far in the current run, when it
# was started with HARNESS_ENV=(WINEDEBUG=trace+d3d9).
harness_count_presents() {
  local n
  n=$(grep -c 'd3d9_device_Present' "$(harness_trace_file)" 2>/dev/null)
  echo "${n:-0}"
}

# harness_wait_presents N MS: waits until the saver has presented N frames.
harness_wait_presents() { harness_poll "$2" 0.05 _harness_presents_reach "$1"; }
_harness_presents_reach() { [ "$(harness_count_presents)" -ge "$1" ]; }
