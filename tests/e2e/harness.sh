# End-to-end harness for the saver under Wine: sourced by tests/e2e/test_*.sh
# (and by the figure scripts scripts/bench-scene and scripts/soak).
#
# It owns a private display, a wine prefix (made once by scripts/wine-run and
# reused), an optional PulseAudio daemon with a null sink, a wine server of
# its own when none serves the prefix yet, and every process it starts.
# harness_stop ends them by process id; harness_start installs it as the EXIT
# trap, and a watchdog does the same if the test itself is killed.
#
# This file declares every global of the harness and starts and stops it; the
# helpers live in lib/, one file a concern, each listing its functions:
#   lib/results.bash   PASS, FAIL, NOT JUDGED and the summary
#   lib/display.bash   Xvfb, or Xorg with several monitors
#   lib/wine.bash      the prefix's environment, loader and wine server
#   lib/saver.bash     runs of the saver, its log, the Windows-side helper
#   lib/input.bash     keys and the mouse
#   lib/screen.bash    screenshots and pixels
#   lib/registry.bash  the saver's settings key
#   lib/audio.bash     PulseAudio, recording and sound measurements
#
# Start and stop
#   harness_begin                    a test's start: saver, helper and prefix of
#                                    the CTest tree (CORDELUNE_SAVER and
#                                    CORDELUNE_TESTHOST override the programs)
#   harness_start PREFIX ARCH        display + prefix (+ pulse if HARNESS_PULSE=1);
#                                    HARNESS_MONITORS="WxH+X+Y[*] ..." (X screen
#                                    places, * the primary) makes several monitors
#   harness_stop
#   harness_alive PID, harness_kill_pid PID, harness_now_ms, harness_note TEXT
#
# Tests get CORDELUNE_BIN, CORDELUNE_WINEPREFIX, CORDELUNE_WINEARCH,
# CORDELUNE_ARTIFACTS and CORDELUNE_SOURCE_DIR from CTest; screenshots, logs
# and helper reports of a test go to $CORDELUNE_ARTIFACTS/<test name>/.

# --- globals -----------------------------------------------------------------

HARNESS_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Set by the test before sourcing or before harness_begin.
HARNESS_SCREEN=${HARNESS_SCREEN:-1024x768x24}  # the Xvfb screen
HARNESS_MONITORS=${HARNESS_MONITORS:-}         # several monitors (Xorg dummy)
HARNESS_PULSE=${HARNESS_PULSE:-0}              # 1: PulseAudio with a null sink
HARNESS_ENV=()                   # extra environment of the next saver or helper run
HARNESS_SHOT_PID=${HARNESS_SHOT_PID:-}  # the process a screenshot shows, when not the saver
# The harness's own.
HARNESS_REG_KEY='HKCU\Software\Brightvane\Cordelune 3D Screensaver'
HARNESS_TMP=
HARNESS_ARTIFACTS=
HARNESS_ARCH_NOTE=
HARNESS_STOPPED=0
# Processes, ended by harness_stop.
HARNESS_XVFB_PID=
HARNESS_SERVER_PID=
HARNESS_PULSE_PID=
HARNESS_RECORD_PID=
HARNESS_WATCHDOG_PID=
HARNESS_SAVER_PID=
HARNESS_SAVER_PIDS=()
HARNESS_HOST_PID=
HARNESS_HOST_PIDS=()
# Wine: the loader and the command that turns off address-space randomisation.
HARNESS_WINE=wine
HARNESS_NORAND=()
# The programs under test and their runs.
HARNESS_SAVER_SCR=
HARNESS_TESTHOST=
HARNESS_RUN=0
HARNESS_LOG=
HARNESS_HOSTS=0
HARNESS_HOST_OUT=
HARNESS_EXIT_CODE=
HARNESS_EXIT_MS=
HARNESS_CLOCK_OFFSET_MS=  # the saver's clock minus the wall clock (harness_saver_clock_ms)
HARNESS_REG_TOUCHED=0
HARNESS_MOUSE_X=
HARNESS_MOUSE_Y=
# Results.
HARNESS_FAILURES=0
HARNESS_PASSES=0
HARNESS_NOT_JUDGED=0
# The saver's resource and control ids by their names in res/resource.h
# (IDC_VIDEO_MODE_LIST, IDR_MUSIC...), and the dialog manager's own buttons.
IDOK=1 IDCANCEL=2
while read -r _define _name _value _rest; do
  _value=${_value//[()]/}  # IDC_STATIC is "(-1)"
  [[ $_define == "#define" && $_value =~ ^-?[0-9]+$ ]] && printf -v "$_name" "%s" "$_value"
done <"$HARNESS_SOURCE_DIR/res/resource.h"
unset _define _name _value _rest

for _lib in results display wine saver input screen registry audio; do
  # shellcheck source=/dev/null
  source "$HARNESS_SOURCE_DIR/tests/e2e/lib/$_lib.bash"
done
unset _lib

harness_note() { echo "harness: $*" >&2; }

harness_now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# --- processes ---------------------------------------------------------------

# True while PID runs (a zombie counts as ended).
harness_alive() {
  local pid=$1 state
  [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] || return 1
  state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$state" ] && [ "$state" != Z ]
}

# Remembered for the watchdog, which ends them if this shell dies unannounced.
_harness_track() { if [ -n "$HARNESS_TMP" ]; then echo "$1" >>"$HARNESS_TMP/pids"; fi; }

# TERM, a short grace, then KILL; reaps our own children.
harness_kill_pid() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  if harness_alive "$pid"; then
    kill -TERM "$pid" 2>/dev/null
    for i in $(seq 1 40); do harness_alive "$pid" || break; sleep 0.05; done
    harness_alive "$pid" && kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null || true
  return 0
}

_harness_watchdog() {
  local parent=$1 list=$2
  while kill -0 "$parent" 2>/dev/null; do sleep 1; done
  [ -f "$list" ] || exit 0
  tac "$list" | while read -r pid; do kill -KILL "$pid" 2>/dev/null; done
}

# --- start and stop ------------------------------------------------------------

# harness_start PREFIX ARCH: everything a test needs; stopped again on exit.
harness_start() {
  local prefix=$1 arch=${2:-win32} name
  HARNESS_TMP=$(mktemp -d "${TMPDIR:-/tmp}/cordelune-e2e.XXXXXX")
  : >"$HARNESS_TMP/pids"
  trap harness_stop EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  name=$(basename "$0" .sh)
  HARNESS_ARTIFACTS=${CORDELUNE_ARTIFACTS:-$HARNESS_TMP/artifacts}/$name
  rm -rf "$HARNESS_ARTIFACTS"
  mkdir -p "$HARNESS_ARTIFACTS"
  _harness_watchdog $$ "$HARNESS_TMP/pids" >/dev/null 2>&1 </dev/null &
  HARNESS_WATCHDOG_PID=$!
  harness_wine_prefix "$prefix" "$arch" || return 1
  _harness_pick_loader
  if [ -n "$HARNESS_MONITORS" ]; then _harness_start_xorg_dummy || return 1; else _harness_start_xvfb || return 1; fi
  if [ "${HARNESS_PULSE:-0}" = 1 ]; then harness_pulse_start || return 1; fi
  _harness_start_wineserver
  return 0
}

# The usual start of a test: the saver and helper of the CTest build tree
# (CORDELUNE_SAVER / CORDELUNE_TESTHOST override them), the tree's prefix.
harness_begin() {
  HARNESS_SAVER_SCR=${CORDELUNE_SAVER:-${CORDELUNE_BIN:-}/Cordelune.scr}
  HARNESS_TESTHOST=${CORDELUNE_TESTHOST:-${CORDELUNE_BIN:-}/cordelune-testhost.exe}
  local f
  for f in "$HARNESS_SAVER_SCR" "$HARNESS_TESTHOST"; do
    [ -f "$f" ] || { echo "FAIL: $f does not exist (set CORDELUNE_BIN)"; exit 1; }
  done
  [ -n "${CORDELUNE_WINEPREFIX:-}" ] || { echo "FAIL: CORDELUNE_WINEPREFIX is not set"; exit 1; }
  # A machine that cannot run this architecture under Wine skips the test
  # (exit code 77) and says why, rather than failing or passing.
  "$HARNESS_SOURCE_DIR/scripts/wine-run" --arch "${CORDELUNE_WINEARCH:-win32}" --check || exit 77
  harness_start "$CORDELUNE_WINEPREFIX" "${CORDELUNE_WINEARCH:-win32}" ||
    { echo "FAIL: the harness could not start Xvfb and Wine"; exit 1; }
  harness_check_arch "$HARNESS_SAVER_SCR" || exit 1
  harness_saver_clock_offset
  # A test may leave settings behind through the saver itself (the dialog).
  HARNESS_REG_TOUCHED=1
}

# Ends everything harness_start and the run functions started, by pid.
harness_stop() {
  local pid
  [ "$HARNESS_STOPPED" = 1 ] && return 0
  HARNESS_STOPPED=1
  for pid in "${HARNESS_HOST_PIDS[@]}" "${HARNESS_SAVER_PIDS[@]}"; do harness_kill_pid "$pid"; done
  harness_kill_pid "$HARNESS_RECORD_PID"
  # Settings a test stored must not follow the prefix into the next run (or
  # into the demo, which shares the prefix).
  if [ "$HARNESS_REG_TOUCHED" = 1 ]; then
    timeout 20 "${HARNESS_NORAND[@]}" "$HARNESS_WINE" reg delete "$HARNESS_REG_KEY" /f >/dev/null 2>&1 </dev/null || true
  fi
  if [ -n "$HARNESS_SERVER_PID" ] && harness_alive "$HARNESS_SERVER_PID"; then
    # Our own server: whatever it still serves was started by this harness.
    timeout 10 wineserver -k >/dev/null 2>&1 || true
    harness_kill_pid "$HARNESS_SERVER_PID"
  fi
  harness_kill_pid "$HARNESS_PULSE_PID"
  harness_kill_pid "$HARNESS_XVFB_PID"
  harness_kill_pid "$HARNESS_WATCHDOG_PID"
  [ -n "$HARNESS_TMP" ] && [ -d "$HARNESS_TMP" ] && rm -rf "$HARNESS_TMP"
  return 0
}
