#!/usr/bin/env bash
# Without d3d9.dll (a Wine DLL override makes it unavailable) the saver shows
# only dialog 465, "Error init 3D engine", writes no log and ends at OK;
# Escape and the close box end it as OK does.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

SCR_NAME=$(basename "$HARNESS_SAVER_SCR")
LINE1="This screensaver requires DirectX 9.0 or higher. To upgrade your"
LINE2="version of DirectX free of charge please visit Microsoft's website:"
harness_reg_clear

# The watcher reports the first window of the saver that becomes visible.
harness_host_start windows --image "$SCR_NAME" --visible --wait 20000
WATCH=$HARNESS_HOST_OUT
harness_wait_file "$WATCH" '^listening' 15000 || harness_fail "the window watcher starts"
HARNESS_ENV=(WINEDLLOVERRIDES=d3d9=)
harness_run_saver "$HARNESS_SAVER_SCR" /s
HARNESS_ENV=()

if harness_wait_file "$WATCH" '^window ' 20000; then
  FIRST=$(tr -d '\r' <"$WATCH" | grep -m1 '^window ')
  harness_check "the first window is the dialog ($(harness_field "$FIRST" class) \"$(harness_field "$FIRST" title)\")" \
    [ "$(harness_field "$FIRST" class)/$(harness_field "$FIRST" title)" = "#32770/Error init 3D engine" ]
  sleep 0.5
  mapfile -t ALL < <(harness_saver_windows 0 --children)
  printf '%s\n' "${ALL[@]}"
  TOP=$(printf '%s\n' "${ALL[@]}" | grep -c '^window ')
  harness_check "the dialog is the saver's only window ($TOP)" [ "$TOP" = 1 ]
  harness_check 'the dialog is captioned "Error init 3D engine"' \
    grep -q '^window .*class="#32770" title="Error init 3D engine"' <(printf '%s\n' "${ALL[@]}")
  harness_check "the dialog says: $LINE1" grep -qF "class=\"Static\" title=\"$LINE1\"" <(printf '%s\n' "${ALL[@]}")
  harness_check "the dialog says: $LINE2" grep -qF "class=\"Static\" title=\"$LINE2\"" <(printf '%s\n' "${ALL[@]}")
  harness_check "the dialog names a download address" \
    grep -qE 'class="Static" title="[^"]*(https?://|www\.)[^"]+"' <(printf '%s\n' "${ALL[@]}")
  OK=$(printf '%s\n' "${ALL[@]}" | grep -m1 '^child .*class="Button" title="OK"')
  harness_check "the dialog has an OK button with id 1" [ "$(harness_field "$OK" id)" = 1 ]
  harness_check "nothing is logged without Direct3D 9" bash -c '[ ! -s "$1" ]' _ "$HARNESS_LOG"
  IFS=, read -r L T R B <<<"$(harness_field "$OK" rect)"
  if [ -n "${B:-}" ]; then harness_click 1 $(((L + R) / 2)) $(((T + B) / 2)); fi
  if harness_wait_exit 5000; then
    # The process returns the dialog's result, IDOK (1): it could not run.
    harness_check "OK ends the saver with the dialog's result IDOK, 1 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 1 ]
  else
    harness_fail "OK ends the saver"
    harness_kill_saver
  fi
else
  harness_fail "without d3d9.dll the saver shows a dialog"
fi
OK_CODE=$HARNESS_EXIT_CODE

# close_with HOW: a new run whose dialog is closed by Escape or its close box.
close_with() {
  local dlg
  HARNESS_ENV=(WINEDLLOVERRIDES=d3d9=)
  harness_run_saver "$HARNESS_SAVER_SCR" /s
  HARNESS_ENV=()
  dlg=$(harness_saver_windows 20000 --title "Error init 3D engine" | head -n1)
  if [ -z "$dlg" ]; then
    harness_fail "$1: the dialog appears"
    harness_kill_saver
    return
  fi
  sleep 0.3
  case $1 in
    Escape) harness_key Escape ;;
    *) harness_host sysclose "$(harness_field "$dlg" hwnd)" >/dev/null ;;
  esac
  if harness_wait_exit 5000; then
    harness_check "$1 closes the dialog and ends the saver as OK does (exit code $HARNESS_EXIT_CODE, OK gave ${OK_CODE:-?})" \
      [ "$HARNESS_EXIT_CODE" = "${OK_CODE:-1}" ]
  else
    harness_fail "$1 closes the dialog and ends the saver"
    harness_kill_saver
  fi
}
close_with Escape
close_with "the close box"

harness_finish
