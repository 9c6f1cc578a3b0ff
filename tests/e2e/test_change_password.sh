#!/usr/bin/env bash
# Password mode (/a): hands over to the platform's password change and ends
# silently; here (Wine) there is nothing to show, so no window appears.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

SCR_NAME=$(basename "$HARNESS_SAVER_SCR")
harness_reg_clear

for args in "/a" "-A 99"; do
  harness_host_start windows --image "$SCR_NAME" --visible --wait 3000
  WATCH=$HARNESS_HOST_OUT WATCH_PID=$HARNESS_HOST_PID
  harness_wait_file "$WATCH" '^listening' 15000 || harness_fail "the window watcher starts"
  # shellcheck disable=SC2086
  harness_run_saver "$HARNESS_SAVER_SCR" $args
  if harness_wait_exit 10000; then
    harness_check "$args returns with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  else
    harness_fail "$args returns by itself"
    harness_kill_saver
  fi
  wait "$WATCH_PID" 2>/dev/null
  harness_check "$args shows no window" grep -qx 'count=0' <(tr -d '\r' <"$WATCH")
  harness_check "$args: log has the command line" grep -qF $'command line\t' "$HARNESS_LOG"
  harness_check "$args reads no settings and creates no device" \
    bash -c '[ -s "$1" ] && ! grep -qE "SettingsRead|^settings|EE_Core_CreateD3Device" "$1"' _ "$HARNESS_LOG"
done

harness_finish
