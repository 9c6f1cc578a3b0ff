# End-to-end harness for the saver under Wine: sourced by tests/e2e/test_*.sh
# and by scripts/demo.
#
# It owns a private Xvfb display (a free number, 1024x768x24 with GLX, white
# root window) or, for several monitors (HARNESS_MONITORS), a private Xorg with
# the dummy driver, a wine prefix (initialised once and reused,
# ".cordelune-ready" marker shared with scripts/wine-run), an optional
# PulseAudio daemon with a null sink, a wine server of its own when none
# serves the prefix yet, and every process it starts. harness_stop ends them
# by process id; harness_start installs it as
# the EXIT trap, and a watchdog does the same if the test itself is killed.
#
# Start and stop
#   harness_begin                    a test's start: saver, helper and prefix of
#                                    the CTest tree (CORDELUNE_SAVER and
#                                    CORDELUNE_TESTHOST override the programs)
#   harness_start PREFIX ARCH        display + prefix (+ pulse if HARNESS_PULSE=1);
#                                    HARNESS_MONITORS="WxH+X+Y[*] ..." (X screen
#                                    places, * the primary) makes several monitors
#   harness_wine_prefix PREFIX ARCH  only the Wine environment and the prefix
#   harness_pulse_start, harness_record_start WAV, harness_record_stop
#   harness_stop
# The saver
#   harness_run_saver SCR ARGS...    background run; CORDELUNE_LOG = $HARNESS_LOG,
#                                    extra environment from the array HARNESS_ENV
#   harness_preview_start SCR        /p in a parent made by the helper
#   harness_wait_log TEXT MS, harness_log_has TEXT
#   harness_wait_exit MS             sets HARNESS_EXIT_CODE and HARNESS_EXIT_MS
#   harness_check_exit_time WHAT MS  the exit came in time (not judged when slow)
#   harness_saver_alive, harness_still_running WHAT, harness_kill_saver
#   harness_count_presents, harness_wait_presents N MS   (WINEDEBUG=trace+d3d9)
#   harness_created_window CLASS                          (WINEDEBUG=trace+win)
# Input and the screen
#   harness_key KEYS..., harness_click BUTTON [X Y]
#   harness_mouse_to X Y, harness_mouse_by DX DY (exact pixel steps)
#   harness_screenshot FILE (a FAIL when the saver had ended or no picture came)
#   harness_wait_screen_color '#RRGGBB' PERCENT MS FILE
#   harness_pixel FILE X Y, harness_count_color FILE '#RRGGBB', harness_pixel_count FILE
#   harness_x_windows PID            viewable X windows of a wine process
# Registry (the saver's key under HKCU)
#   harness_reg_set NAME=DWORD..., harness_reg_add NAME TYPE DATA,
#   harness_reg_query NAME, harness_reg_clear
# The Windows-side helper (cordelune-testhost.exe)
#   harness_host ARGS..., harness_host_start ARGS..., harness_saver_windows [MS]
#   harness_field LINE KEY, harness_wait_file FILE REGEX MS
# Results
#   harness_pass / harness_fail / harness_check MESSAGE COMMAND... / harness_finish
#   harness_not_judged MESSAGE REASON   a check the machine was too slow to judge
#
# Tests get CORDELUNE_BIN, CORDELUNE_WINEPREFIX, CORDELUNE_WINEARCH,
# CORDELUNE_ARTIFACTS and CORDELUNE_SOURCE_DIR from CTest; screenshots, logs
# and helper reports of a test go to $CORDELUNE_ARTIFACTS/<test name>/.

HARNESS_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
HARNESS_SCREEN=${HARNESS_SCREEN:-1024x768x24}
HARNESS_MONITORS=${HARNESS_MONITORS:-}
HARNESS_REG_KEY='HKCU\Software\Brightvane\Cordelune 3D Screensaver'
HARNESS_TMP=
HARNESS_ARTIFACTS=
HARNESS_XVFB_PID=
HARNESS_SERVER_PID=
HARNESS_PULSE_PID=
HARNESS_RECORD_PID=
HARNESS_WATCHDOG_PID=
HARNESS_SAVER_PID=
HARNESS_SAVER_PIDS=()
HARNESS_HOST_PIDS=()
HARNESS_RUN=0
HARNESS_HOSTS=0
HARNESS_TESTHOST=
HARNESS_SAVER_SCR=
HARNESS_WINE=wine
HARNESS_NORAND=()
HARNESS_REG_TOUCHED=0
HARNESS_LOG=
HARNESS_ENV=()
HARNESS_EXIT_CODE=
HARNESS_EXIT_MS=
HARNESS_FAILURES=0
HARNESS_PASSES=0
HARNESS_NOT_JUDGED=0
HARNESS_STOPPED=0
HARNESS_MOUSE_X=
HARNESS_MOUSE_Y=

harness_note() { echo "harness: $*" >&2; }

harness_now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# --- results ---------------------------------------------------------------

harness_pass() { HARNESS_PASSES=$((HARNESS_PASSES + 1)); echo "PASS: $*"; }
harness_fail() { HARNESS_FAILURES=$((HARNESS_FAILURES + 1)); echo "FAIL: $*"; }
# A check that could not be judged (a slow machine missed the moment): it
# neither passes nor fails, and the summary says so.
harness_not_judged() {
  HARNESS_NOT_JUDGED=$((HARNESS_NOT_JUDGED + 1))
  echo "NOT JUDGED: $1 ($2)"
}

# harness_check MESSAGE COMMAND...: PASS or FAIL by the command's status.
harness_check() {
  local msg=$1; shift
  if "$@"; then harness_pass "$msg"; else harness_fail "$msg"; fi
}

# Summary line; exits non-zero when any check failed (or none ran).
harness_finish() {
  echo "SUMMARY: $HARNESS_PASSES passed, $HARNESS_FAILURES failed, $HARNESS_NOT_JUDGED not judged ($(basename "$0"), ${HARNESS_ARCH_NOTE:-})"
  [ -n "$HARNESS_ARTIFACTS" ] && echo "artifacts: $HARNESS_ARTIFACTS"
  [ "$HARNESS_FAILURES" -eq 0 ] && [ "$HARNESS_PASSES" -gt 0 ] && exit 0
  exit 1
}

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

# --- wine prefix -------------------------------------------------------------

# Exports the Wine environment for PREFIX and initialises it once; the
# ".cordelune-ready" marker and the lock are shared with scripts/wine-run.
harness_wine_prefix() {
  local prefix=$1 arch=${2:-win32}
  [ -n "$prefix" ] || { harness_note "no wine prefix given"; return 2; }
  prefix=$(readlink -m "$prefix")
  export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  _harness_pick_loader
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.cordelune-ready" ]; then
      harness_note "initialising wine prefix $prefix ($arch)"
      rm -rf "$prefix"
      harness_wine wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
      touch "$prefix/.cordelune-ready"
    fi
  ) 9>"$prefix.lock"
}

# The loader for the prefix's programs. A 64-bit program that is not an .exe
# (the .scr) would go through start.exe under the plain "wine" launcher, a
# second process; wine64 runs it as the very process we start. It also needs
# no 32-bit loader, which some kernels cannot start.
#
# Wine processes run without address-space randomisation: with it, a 64-bit
# start now and then fails ("failed to map the shared user data").
_harness_pick_loader() {
  local w
  HARNESS_WINE=wine
  HARNESS_NORAND=()
  if setarch "$(uname -m)" -R true 2>/dev/null; then HARNESS_NORAND=(setarch "$(uname -m)" -R); fi
  [ "${WINEARCH:-}" = win64 ] || return 0
  for w in "$(command -v wine64 2>/dev/null)" /usr/lib/wine/wine64 /usr/lib64/wine/wine64 /opt/wine-stable/bin/wine64; do
    if [ -n "$w" ] && [ -x "$w" ]; then HARNESS_WINE=$w; return 0; fi
  done
}

# harness_wine PROGRAM ARGS...: a program of the prefix, run by its loader.
harness_wine() { "${HARNESS_NORAND[@]}" "$HARNESS_WINE" "$@"; }

# A persistent wineserver of our own keeps Wine's services up between runs
# (faster starts) and gives one pid to end at the stop. When another server
# already serves the prefix it is left alone and used.
_harness_start_wineserver() {
  wineserver -f -p >"$HARNESS_TMP/wineserver.txt" 2>&1 </dev/null &
  HARNESS_SERVER_PID=$!
  _harness_track "$HARNESS_SERVER_PID"
  sleep 0.3
  if ! harness_alive "$HARNESS_SERVER_PID"; then
    wait "$HARNESS_SERVER_PID" 2>/dev/null || true
    HARNESS_SERVER_PID=
  fi
  # Bring up Wine's own services now, with no pipe of ours inherited.
  harness_wine reg query 'HKCU\Software' >/dev/null 2>&1 </dev/null || true
}

# --- display and sound -------------------------------------------------------

_harness_start_xvfb() {
  local fdfile=$HARNESS_TMP/display i
  # A white root window: whatever the saver leaves black is its own drawing,
  # never the bare screen behind it.
  Xvfb -displayfd 3 -screen 0 "$HARNESS_SCREEN" +extension GLX -nolisten tcp -wr \
    3>"$fdfile" >"$HARNESS_TMP/xvfb.txt" 2>&1 </dev/null &
  HARNESS_XVFB_PID=$!
  _harness_track "$HARNESS_XVFB_PID"
  for i in $(seq 1 200); do
    [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile" && break
    harness_alive "$HARNESS_XVFB_PID" || break
    sleep 0.05
  done
  [ -s "$fdfile" ] || { harness_note "Xvfb did not start: $(cat "$HARNESS_TMP/xvfb.txt")"; return 1; }
  export DISPLAY=:$(head -n1 "$fdfile" | tr -dc 0-9)
  harness_note "Xvfb $HARNESS_SCREEN on $DISPLAY (pid $HARNESS_XVFB_PID)"
}

# Xvfb shows one monitor only (with Xinerama Wine sees both heads at 0,0), so
# several monitors come from Xorg's dummy driver, whose outputs DUMMY0..15 are
# placed with RandR. Xorg runs on a seat of its own: it needs no terminal.
_harness_start_xorg_dummy() {
  local fdfile=$HARNESS_TMP/display conf=$HARNESS_TMP/xorg.conf i
  mkdir -p "$HARNESS_TMP/xorg.conf.d"
  cat >"$conf" <<'XCONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 4096
  EndSubSection
EndSection
XCONF
  Xorg -displayfd 3 -config "$conf" -configdir "$HARNESS_TMP/xorg.conf.d" -logfile "$HARNESS_TMP/xorg.log" \
    -noreset -nolisten tcp -seat "cordelune-$$" 3>"$fdfile" >"$HARNESS_TMP/xorg.txt" 2>&1 </dev/null &
  HARNESS_XVFB_PID=$!
  _harness_track "$HARNESS_XVFB_PID"
  for i in $(seq 1 200); do
    [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile" && break
    harness_alive "$HARNESS_XVFB_PID" || break
    sleep 0.05
  done
  [ -s "$fdfile" ] || { harness_note "Xorg did not start: $(tail -n3 "$HARNESS_TMP/xorg.txt")"; return 1; }
  export DISPLAY=:$(head -n1 "$fdfile" | tr -dc 0-9)
  _harness_place_monitors || return 1
  harness_note "Xorg dummy on $DISPLAY (pid $HARNESS_XVFB_PID): $(xrandr --listactivemonitors | tail -n +2 | tr -s ' ' | tr '\n' ';')"
}

# Gives output DUMMYi the i-th place of HARNESS_MONITORS.
_harness_place_monitors() {
  local i=0 place size pos args=()
  for place in $HARNESS_MONITORS; do
    size=${place%%+*} pos=${place#*+}
    pos=${pos%\*}
    xrandr --addmode "DUMMY$i" "$size" 2>/dev/null || true
    args+=(--output "DUMMY$i" --mode "$size" --pos "${pos/+/x}")
    [[ $place == *\* ]] && args+=(--primary)
    i=$((i + 1))
  done
  xrandr "${args[@]}" || { harness_note "xrandr could not place the monitors: ${args[*]}"; return 1; }
}

# PulseAudio with one null sink "cap" (its monitor is "cap.monitor"), private
# to this harness; Wine and pactl reach it through PULSE_SERVER.
harness_pulse_start() {
  local dir=$HARNESS_TMP/pulse i
  mkdir -p "$dir"
  export PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir PULSE_SERVER=unix:$dir/native
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit=yes -n \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
    --load="module-null-sink sink_name=cap" \
    >"$HARNESS_TMP/pulseaudio.txt" 2>&1 </dev/null &
  HARNESS_PULSE_PID=$!
  _harness_track "$HARNESS_PULSE_PID"
  for i in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && break
    harness_alive "$HARNESS_PULSE_PID" || break
    sleep 0.1
  done
  pactl set-default-sink cap >/dev/null 2>&1 || {
    harness_note "PulseAudio did not start: $(tail -n3 "$HARNESS_TMP/pulseaudio.txt")"; return 1; }
  harness_note "PulseAudio null sink 'cap' (pid $HARNESS_PULSE_PID)"
}

# Records what reaches the null sink into a WAV file until harness_record_stop.
harness_record_start() {
  parec -d cap.monitor --file-format=wav "$1" >/dev/null 2>&1 </dev/null &
  HARNESS_RECORD_PID=$!
  _harness_track "$HARNESS_RECORD_PID"
}

harness_record_stop() {
  harness_kill_pid "$HARNESS_RECORD_PID"
  HARNESS_RECORD_PID=
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
  # A test may leave settings behind through the saver itself (the dialog).
  HARNESS_REG_TOUCHED=1
}

# harness_pe_machine FILE: the machine a Windows executable is built for
# (i386, x86_64, or the COFF machine number in hex).
harness_pe_machine() {
  local pe machine
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 1
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in 014c) echo i386 ;; 8664) echo x86_64 ;; *) echo "0x$machine" ;; esac
}

# harness_check_arch SCR: the saver is built for the prefix's architecture
# (a 32-bit saver in a 32-bit prefix, a 64-bit one in a 64-bit prefix); the
# pairing is printed so that a test log shows which build ran where.
harness_check_arch() {
  local machine prefix_arch want
  machine=$(harness_pe_machine "$1")
  prefix_arch=$(sed -n 's/^#arch=//p' "$WINEPREFIX/system.reg" 2>/dev/null | head -n1)
  want=$([ "${WINEARCH:-win32}" = win64 ] && echo x86_64 || echo i386)
  HARNESS_ARCH_NOTE="saver $machine, prefix ${prefix_arch:-unknown}"
  echo "harness: $1 is $machine; prefix $WINEPREFIX is ${prefix_arch:-unknown}"
  if [ "$machine" != "$want" ] || [ "$prefix_arch" != "${WINEARCH:-win32}" ]; then
    echo "FAIL: a ${WINEARCH:-win32} test needs a $want saver in a ${WINEARCH:-win32} prefix"
    return 1
  fi
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

# --- the saver ---------------------------------------------------------------

# Windows form of a unix path, for values the saver reads (Z: is the root).
harness_winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

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
  fps=$(tr -d '\r' <"$HARNESS_LOG" 2>/dev/null | awk -F'\t' '$1 == "fps" { f = $2 } END { print f + 0 }')
  if [ "$fps" -lt 15 ]; then
    harness_not_judged "$what ends the saver within $limit ms (took $HARNESS_EXIT_MS ms)" \
      "the saver drew $fps frames a second on this busy machine"
  else
    harness_fail "$what ends the saver within $limit ms (took $HARNESS_EXIT_MS ms at $fps frames a second)"
  fi
}

# True when the current log holds TEXT (a fixed string).
harness_log_has() { [ -f "${2:-$HARNESS_LOG}" ] && grep -qF -- "$1" "${2:-$HARNESS_LOG}"; }

# harness_wait_log TEXT MS: waits for TEXT in the log; status 1 on timeout,
# 2 when the saver ended without writing it.
harness_wait_log() {
  local text=$1 limit=$2 start
  start=$(harness_now_ms)
  while ! harness_log_has "$text"; do
    harness_saver_alive || { harness_log_has "$text" && return 0; return 2; }
    [ $(( $(harness_now_ms) - start )) -ge "$limit" ] && return 1
    sleep 0.05
  done
}

# --- input -------------------------------------------------------------------

harness_key() { xdotool key --delay 30 "$@"; }

# harness_mouse_to X Y: exact absolute pointer position.
harness_mouse_to() {
  xdotool mousemove "$1" "$2"
  HARNESS_MOUSE_X=$1 HARNESS_MOUSE_Y=$2
}

# harness_mouse_by DX DY: a step of exactly DX, DY pixels from the last position.
harness_mouse_by() {
  if [ -z "$HARNESS_MOUSE_X" ]; then
    eval "$(xdotool getmouselocation --shell)"
    HARNESS_MOUSE_X=$X HARNESS_MOUSE_Y=$Y
  fi
  harness_mouse_to $((HARNESS_MOUSE_X + $1)) $((HARNESS_MOUSE_Y + $2))
}

# harness_click BUTTON [X Y]
harness_click() {
  [ $# -ge 3 ] && harness_mouse_to "$2" "$3"
  xdotool click "$1"
}

# --- screenshots -------------------------------------------------------------

# harness_screenshot FILE: the whole screen; a bare name goes to the artifacts.
# A screenshot meant to show the saver first checks that the saver still
# runs (HARNESS_SAVER_PID, or the pid in HARNESS_SHOT_PID when another
# process shows the picture); either fault is a FAIL and status 1.
harness_screenshot() {
  local file=$1 pid=${HARNESS_SHOT_PID:-$HARNESS_SAVER_PID}
  case "$file" in */*) ;; *) file=$HARNESS_ARTIFACTS/$file ;; esac
  rm -f "$file"
  if [ -n "$pid" ] && ! harness_alive "$pid"; then
    harness_fail "screenshot $(basename "$file"): the process it should show had ended"
    return 1
  fi
  if ! import -window root "$file" 2>"$HARNESS_TMP/import.txt" || [ ! -s "$file" ]; then
    harness_fail "screenshot $(basename "$file") could not be taken: $(head -c 200 "$HARNESS_TMP/import.txt")"
    return 1
  fi
}

# harness_count_color FILE '#RRGGBB': how many pixels have exactly that colour.
harness_count_color() {
  local n
  n=$(convert "$1" -alpha off -depth 8 -format %c histogram:info:- 2>/dev/null |
      grep -iF " $2 " | head -n1 | sed 's/^ *\([0-9]*\):.*/\1/')
  echo "${n:-0}"
}

# harness_pixel FILE X Y: '#RRGGBB' of one pixel.
harness_pixel() {
  convert "$1[1x1+$2+$3]" -alpha off -depth 8 txt:- 2>/dev/null | tail -n1 | grep -o '#[0-9A-Fa-f]\{6\}'
}

# harness_pixel_count FILE: width times height.
harness_pixel_count() { identify -format '%[fx:w*h]' "$1" 2>/dev/null; }

# --- registry (HKCU) -----------------------------------------------------------

# harness_reg_set NAME=DWORD ...: stores DWORDs under the saver's key in one go.
harness_reg_set() {
  local file=$HARNESS_TMP/set.reg kv
  HARNESS_REG_TOUCHED=1
  {
    echo 'REGEDIT4'
    echo
    echo "[${HARNESS_REG_KEY//HKCU/HKEY_CURRENT_USER}]"
    for kv in "$@"; do printf '"%s"=dword:%08x\n' "${kv%%=*}" "$(( ${kv#*=} & 0xFFFFFFFF ))"; done
  } >"$file"
  harness_wine reg import "$(harness_winpath "$file")" >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null
}

# harness_reg_add NAME TYPE DATA: one value of any type (wine reg add).
harness_reg_add() {
  HARNESS_REG_TOUCHED=1
  harness_wine reg add "$HARNESS_REG_KEY" /v "$1" /t "$2" /d "$3" /f >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null
}

# harness_reg_query NAME: the value's data as reg prints it (0x2, text...).
harness_reg_query() {
  harness_wine reg query "$HARNESS_REG_KEY" /v "$1" >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null || return 1
  grep -F "$1" "$HARNESS_TMP/reg.txt" | tr -d '\r' | sed 's/^ *[^ ]* *REG_[A-Z_]* *//' | head -n1
}

# Removes the saver's key, so a run starts from the factory values.
harness_reg_clear() {
  harness_wine reg delete "$HARNESS_REG_KEY" /f >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null || true
}

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

# True when every bit of MASK is set in VALUE (hex or decimal).
harness_bits_set() { (( ($1 & $2) == $2 )); }
# True when no bit of MASK is set in VALUE.
harness_bits_clear() { (( ($1 & $2) == 0 )); }

# harness_x_windows PID: "xid x y width height" of the viewable X windows
# of a wine process (Wine sets _NET_WM_PID to the unix pid).
harness_x_windows() {
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

# The Wine debug output of the current run (WINEDEBUG from HARNESS_ENV).
harness_trace_file() { echo "$HARNESS_ARTIFACTS/run$HARNESS_RUN.wine.txt"; }

# harness_created_window CLASS: the saver's own CreateWindowEx of a window of
# that class, as "ex=... style=... X,Y WxH" (needs WINEDEBUG=trace+win). It
# shows the window as created, before the device may restyle it.
harness_created_window() {
  tr -d '\r' <"$(harness_trace_file)" 2>/dev/null |
    grep -m1 "trace:win:WIN_CreateWindowEx \"[^\"]*\" L\"$1\"" |
    sed 's/.*\(ex=[0-9a-f]* style=[0-9a-f]* [-0-9]*,[-0-9]* [0-9]*x[0-9]*\).*/\1/'
}

# harness_count_presents: Present calls so far in the current run, when it
# was started with HARNESS_ENV=(WINEDEBUG=trace+d3d9).
harness_count_presents() {
  local n
  n=$(grep -c 'd3d9_device_Present' "$(harness_trace_file)" 2>/dev/null)
  echo "${n:-0}"
}

# harness_wait_presents N MS: waits until the saver has presented N frames.
harness_wait_presents() {
  local n=$1 limit=$2 start
  start=$(harness_now_ms)
  until [ "$(harness_count_presents)" -ge "$n" ]; do
    harness_saver_alive || return 2
    [ $(( $(harness_now_ms) - start )) -ge "$limit" ] && return 1
    sleep 0.05
  done
}

# harness_wait_screen_color '#RRGGBB' PERCENT MS FILE: takes screenshots
# until at least PERCENT of the screen has the colour; FILE keeps the last.
harness_wait_screen_color() {
  local color=$1 percent=$2 limit=$3 file=$4 start total n
  case "$file" in */*) ;; *) file=$HARNESS_ARTIFACTS/$file ;; esac
  start=$(harness_now_ms)
  while :; do
    harness_screenshot "$file" 2>/dev/null
    total=$(harness_pixel_count "$file")
    n=$(harness_count_color "$file" "$color")
    [ -n "$total" ] && [ "$total" -gt 0 ] && [ $((n * 100)) -ge $((total * percent)) ] && return 0
    [ $(( $(harness_now_ms) - start )) -ge "$limit" ] && return 1
    sleep 0.2
  done
}
