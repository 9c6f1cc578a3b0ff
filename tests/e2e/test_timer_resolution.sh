#!/usr/bin/env bash
# The 1 ms timer resolution: a full-screen (/s) or test-window (/t) run asks
# for it once and returns it once, whether it ends by a key, by closing the
# window or because no device could be made; the preview (/p) and the
# configuration dialog never touch it. Wine's relay trace, limited to the
# two winmm calls and two witnesses (timeGetTime, which the preview's FPS
# timer calls every second, and DialogBoxParamA of the dialog) that show the
# trace was taken, shows every call the saver makes.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

RELAY_KEY='HKCU\Software\Wine\Debug'
D3D_KEY='HKCU\Software\Wine\AppDefaults\'"$(basename "$HARNESS_SAVER_SCR")"'\Direct3D'
wine_reg() { harness_wine reg "$@" >/dev/null 2>&1 </dev/null; }
wine_reg add "$RELAY_KEY" /v RelayInclude /t REG_SZ /d 'winmm.timeBeginPeriod;winmm.timeEndPeriod;winmm.timeGetTime;user32.DialogBoxParamA' /f
harness_reg_clear
harness_reg_set Music=1 SFX=1 ShowFPS=1 ShowTime=1 ExitOnMouseMove=1  # a stored 1 is off
TRACE_ENV=(WINEDEBUG=+relay)

# calls FILE NAME: the relay lines of calls to winmm.NAME in FILE.
calls() { tr -d '\r' <"$1" 2>/dev/null | grep -E "Call winmm\.$2\(" || true; }
count() { local n; n=$(calls "$1" "$2" | grep -c .); echo "${n:-0}"; }

# expect_one_pair WHAT FILE: exactly one timeBeginPeriod(1), then exactly one
# timeEndPeriod(1).
expect_one_pair() {
  local what=$1 file=$2 b e nb ne
  nb=$(count "$file" timeBeginPeriod)
  ne=$(count "$file" timeEndPeriod)
  b=$(calls "$file" timeBeginPeriod | head -n1)
  e=$(calls "$file" timeEndPeriod | head -n1)
  echo "$what: ${b:-no timeBeginPeriod} / ${e:-no timeEndPeriod}"
  harness_check "$what: timeBeginPeriod called once ($nb)" [ "$nb" = 1 ]
  harness_check "$what: timeEndPeriod called once ($ne)" [ "$ne" = 1 ]
  harness_check "$what: both ask for 1 ms" \
    bash -c 'grep -qE "timeBeginPeriod\(0*1\)" <<<"$1" && grep -qE "timeEndPeriod\(0*1\)" <<<"$2"' _ "$b" "$e"
  local lb le
  lb=$(tr -d '\r' <"$file" | grep -nE 'Call winmm\.timeBeginPeriod\(' | head -n1 | cut -d: -f1)
  le=$(tr -d '\r' <"$file" | grep -nE 'Call winmm\.timeEndPeriod\(' | head -n1 | cut -d: -f1)
  harness_check "$what: the resolution is asked for before it is returned" [ "${lb:-0}" -lt "${le:-0}" ]
}

# expect_none WHAT FILE WITNESS: the trace holds the witness call, and no
# timeBeginPeriod or timeEndPeriod.
expect_none() {
  local nb ne nw
  nb=$(count "$2" timeBeginPeriod)
  ne=$(count "$2" timeEndPeriod)
  nw=$(tr -d '\r' <"$2" 2>/dev/null | grep -ciE "Call [a-z0-9]+\.$3\(" || true)
  harness_check "$1: the relay trace was taken ($3 called ${nw:-0} times)" [ "${nw:-0}" -gt 0 ]
  harness_check "$1: no timeBeginPeriod or timeEndPeriod ($nb, $ne)" [ "$nb$ne" = 00 ]
}

# --- /s ended by a key ----------------------------------------------------------
HARNESS_ENV=("${TRACE_ENV[@]}")
harness_run_saver "$HARNESS_SAVER_SCR" /s
HARNESS_ENV=()
if harness_wait_log "first frame" 60000; then
  harness_key space
  harness_wait_exit 10000 || { harness_fail "/s ends at a key"; harness_kill_saver; }
  expect_one_pair "/s ended by a key" "$(harness_trace_file)"
else
  harness_fail "/s draws a frame (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
  harness_kill_saver
fi

# --- /t closed ----------------------------------------------------------------------
HARNESS_ENV=("${TRACE_ENV[@]}")
harness_run_saver "$HARNESS_SAVER_SCR" /t
HARNESS_ENV=()
if harness_wait_log "first frame" 60000; then
  harness_key alt+F4
  harness_wait_exit 10000 || { harness_fail "/t ends when closed"; harness_kill_saver; }
  expect_one_pair "/t closed" "$(harness_trace_file)"
else
  harness_fail "/t draws a frame (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
  harness_kill_saver
fi

# --- /s and /t without a device: Wine's Direct3D without 3D for this program ----------
wine_reg add "$D3D_KEY" /v renderer /t REG_SZ /d no3d /f
for mode in /s /t; do
  HARNESS_ENV=("${TRACE_ENV[@]}")
  harness_run_saver "$HARNESS_SAVER_SCR" "$mode"
  HARNESS_ENV=()
  if harness_wait_exit 30000; then
    harness_check "$mode without a device: the log says so" harness_log_has "error create 3d device"
    harness_check "$mode without a device: it ends by itself with code 0 ($HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
    expect_one_pair "$mode without a device" "$(harness_trace_file)"
  else
    harness_fail "$mode without a device ends by itself (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
    harness_kill_saver
  fi
done
wine_reg delete "$D3D_KEY" /f

# --- /p and /c never change the timer -----------------------------------------------------
HARNESS_ENV=("${TRACE_ENV[@]}")
harness_preview_start "$HARNESS_SAVER_SCR"
HARNESS_ENV=()
if harness_wait_file "$HARNESS_HOST_OUT" '^child ' 20000; then
  sleep 2.5  # the FPS timer's second goes by
  PARENT=$(tr -d '\r' <"$HARNESS_HOST_OUT" | grep -m1 '^parent ')
  harness_host close "$(harness_field "$PARENT" hwnd)" >/dev/null
  harness_wait_file "$HARNESS_HOST_OUT" '^saver exit=' 10000 || harness_fail "/p ends with its parent"
  expect_none "/p" "$HARNESS_HOST_OUT" timeGetTime
else
  harness_fail "/p opens its window"
fi
harness_kill_pid "$HARNESS_HOST_PID"

HARNESS_ENV=("${TRACE_ENV[@]}")
harness_run_saver "$HARNESS_SAVER_SCR" /c
HARNESS_ENV=()
if harness_saver_windows 30000 >/dev/null && sleep 1 && harness_key Escape && harness_wait_exit 10000; then
  expect_none "the configuration dialog" "$(harness_trace_file)" DialogBoxParamA
else
  harness_fail "the configuration dialog opens and Escape closes it"
  harness_kill_saver
fi

wine_reg delete "$RELAY_KEY" /v RelayInclude /f
harness_finish
