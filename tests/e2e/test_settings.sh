#!/usr/bin/env bash
# Stored settings come back into the settings record by the registry rules:
# a boolean stored as 2 sets the field, 1 clears it, 0 or any other value
# leaves it; a stored MusicVolume of 0 leaves the default, other integers
# replace the field; m_nSelectedMode is taken as stored. The saver logs the
# record it ends up with as one "settings" line.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

BOOLEANS=(ShowFPS ShowTime TimeModeAMPM ExitOnMouseMove SFX Music UseDesktopSettings)
# The shipped defaults file.
declare -A SHIPPED=([ShowFPS]=0 [ExitOnMouseMove]=0 [ShowTime]=1 [Music]=1 [SFX]=1
  [MusicVolume]=35 [FSAA]=0 [UseDesktopSettings]=1 [TimeModeAMPM]=1)

SETTINGS=
# read_settings NAME=DWORD...: a fresh key holding these values, one /s run
# until the settings line; SETTINGS is that line.
read_settings() {
  harness_reg_clear
  [ $# -gt 0 ] && harness_reg_set "$@"
  harness_run_saver "$HARNESS_SAVER_SCR" /s
  harness_wait_log $'settings\t' 20000
  harness_kill_saver
  SETTINGS=$(grep -m1 $'^settings\t' "$HARNESS_LOG" 2>/dev/null | tr -d '\r')
  echo "stored: ${*:-nothing}"
  echo "  $SETTINGS"
  [ -n "$SETTINGS" ] || harness_fail "the saver logs its settings record (stored: ${*:-nothing})"
}

# expect FIELD VALUE WHY
expect() {
  local got
  got=$(harness_field "$SETTINGS" "$1" || echo '?')
  harness_check "$3: $1=$2 (got $got)" [ "$got" = "$2" -a "$got" != '?' ]
}

stored_all() { local b; for b in "${BOOLEANS[@]}"; do printf '%s=%s ' "$b" "$1"; done; }

# --- no key: the shipped defaults ---------------------------------------------
read_settings
declare -A DEFAULT
for f in "${!SHIPPED[@]}"; do
  expect "$f" "${SHIPPED[$f]}" "no stored value gives the shipped default"
  DEFAULT[$f]=$(harness_field "$SETTINGS" "$f" || echo '?')
done

# --- 2 sets every boolean; integers replace the field -------------------------
# shellcheck disable=SC2046
read_settings $(stored_all 2) MusicVolume=77 FSAA=4 m_nSelectedMode=0
for b in "${BOOLEANS[@]}"; do expect "$b" 1 "stored 2 sets"; done
expect MusicVolume 77 "a stored volume replaces the default"
expect FSAA 4 "a stored FSAA value replaces the default"
expect SelectedMode 0 "m_nSelectedMode 0 is taken as stored"

# --- 1 clears every boolean; a stored volume of 0 keeps the default ----------
# shellcheck disable=SC2046
read_settings $(stored_all 1) MusicVolume=0 m_nSelectedMode=1
for b in "${BOOLEANS[@]}"; do expect "$b" 0 "stored 1 clears"; done
expect MusicVolume "${DEFAULT[MusicVolume]}" "a stored volume of 0 keeps the default"
expect SelectedMode 1 "m_nSelectedMode 1 is taken as stored"

# --- 0 and 3 leave every boolean at its default ---------------------------------
for v in 0 3; do
  # shellcheck disable=SC2046
  read_settings $(stored_all $v)
  for b in "${BOOLEANS[@]}"; do expect "$b" "${DEFAULT[$b]}" "stored $v leaves the default"; done
done

harness_finish
