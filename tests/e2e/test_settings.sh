#!/usr/bin/env bash
# Stored settings come back into the settings record by the registry rules:
# a boolean stored as 2 sets the field, 1 clears it, 0 or any other value
# leaves it; a stored MusicVolume of 0 leaves the default, other integers
# replace the field; m_nSelectedMode is taken as stored. The saver logs the
# record it ends up with as one "settings" line.
#
# Damaged values: every value of the key written as something the saver never
# stores (another type, another size, empty, huge, a number no setting can
# hold) reads as absent or out of range: the saver starts on the defaults,
# shows the scene, and the configuration dialog opens on the defaults and
# saves proper values over the damage.
set -u
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/test_config_common.bash"
harness_begin
read -r SCREEN_W SCREEN_H < <(echo "$HARNESS_SCREEN" | awk -Fx '{print $1, $2}')

BOOLEANS=(ShowFPS ShowTime TimeModeAMPM ExitOnMouseMove SFX Music UseDesktopSettings)
# The shipped defaults file.
declare -A SHIPPED=([ShowFPS]=0 [ExitOnMouseMove]=0 [ShowTime]=1 [Music]=1 [SFX]=1
  [MusicVolume]=35 [FSAA]=0 [UseDesktopSettings]=1 [TimeModeAMPM]=1)
# Its mode size, which the record keeps when no listed mode is selected.
FILE_W=800 FILE_H=600 FILE_BITS=32

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
for f in SelectedMode Width Height BitCount; do DEFAULT[$f]=$(harness_field "$SETTINGS" "$f" || echo '?'); done

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

# --- damaged values ------------------------------------------------------------------
DWORDS=(ShowFPS ShowTime TimeModeAMPM ExitOnMouseMove SFX Music MusicVolume UseDesktopSettings
  Height Width BitCount FSAA m_nSelectedMode)
TEXTS=(m_nCustomLine1 m_nCustomLine2 m_nCustomLine3 m_nCustomLine4)
# Each round gives value i the kind (i + round) mod 6, so that over six
# rounds every value meets every kind.
KINDS=(text binary qword empty huge number)
NUMBERS=(ffffffff 80000000 7fffffff)  # -1, the most negative, the largest
BIG=$(head -c 1048576 /dev/zero | tr '\0' 'x')  # a 1 MB string
LONG=$(head -c 300 /dev/zero | tr '\0' 'y')     # longer than a stored line

# dword_damage NAME KIND I / text_damage NAME KIND I: one line of a .reg file.
dword_damage() {
  case $2 in
    text) printf '"%s"="2"\n' "$1" ;;                            # the number as text
    binary) printf '"%s"=hex:02,00,00,00\n' "$1" ;;              # a DWORD's bytes, typed binary
    qword) printf '"%s"=hex(b):02,00,00,00,00,00,00,00\n' "$1" ;; # eight bytes
    empty) printf '"%s"=hex:\n' "$1" ;;
    huge) printf '"%s"="%s"\n' "$1" "$BIG" ;;
    number) printf '"%s"=dword:%s\n' "$1" "${NUMBERS[$(( ($3 + round) % 3 ))]}" ;;
  esac
}
text_damage() {
  case $2 in
    text) printf '"%s"=dword:00000002\n' "$1" ;;
    binary) printf '"%s"=hex:%s\n' "$1" "$(printf '41,%.0s' $(seq 1 179))41" ;;
    qword) printf '"%s"="%s"\n' "$1" "$LONG" ;;
    empty) printf '"%s"=""\n' "$1" ;;
    huge) printf '"%s"="%s"\n' "$1" "$BIG" ;;
    number) printf '"%s"=hex(7):61,00,62,00,00,00\n' "$1" ;;  # a list of texts
  esac
}

# selected_damage: the number stored as m_nSelectedMode this round, if any.
selected_damage() {
  [ "${KIND_OF[m_nSelectedMode]}" = number ] && echo "${NUMBERS[$(( (12 + round) % 3 ))]}"
}

# damage ROUND: a fresh key with every value damaged; KIND_OF[name] says how.
declare -A KIND_OF
damage() {
  local round=$1 file=$HARNESS_TMP/damage.reg i name
  {
    echo 'REGEDIT4'
    echo
    echo "[${HARNESS_REG_KEY//HKCU/HKEY_CURRENT_USER}]"
    for i in "${!DWORDS[@]}"; do
      name=${DWORDS[$i]}
      KIND_OF[$name]=${KINDS[$(( (i + round) % 6 ))]}
      dword_damage "$name" "${KIND_OF[$name]}" "$i"
    done
    for i in "${!TEXTS[@]}"; do
      name=${TEXTS[$i]}
      KIND_OF[$name]=${KINDS[$(( (i + 13 + round) % 6 ))]}
      text_damage "$name" "${KIND_OF[$name]}" "$i"
    done
  } >"$file"
  harness_reg_clear
  harness_wine reg import "$(harness_winpath "$file")" >"$HARNESS_TMP/reg.txt" 2>&1 </dev/null
}

FIRST_QUOTE=$(head -n1 "$HARNESS_SOURCE_DIR/res/quotes.txt" | tr -d '\r')
IFS='&' read -r Q1 Q2 Q3 Q4 _ <<<"$FIRST_QUOTE"
trim() { sed 's/^ *//; s/ *$//' <<<"$1"; }

# expect_reg NAME TYPE DATA
expect_reg() { expect_eq "$ROUND_NOTE: $1 saved as $2 $3" "$(harness_reg_type "$1") $(harness_reg_query "$1")" "$2 $3"; }

for round in 0 1 2 3 4 5; do
  damage "$round"
  ROUND_NOTE="damage round $((round + 1))"
  kinds=$(for v in "${DWORDS[@]}" "${TEXTS[@]}"; do printf '%s:%s ' "$v" "${KIND_OF[$v]}"; done)
  echo "$ROUND_NOTE: $kinds"
  harness_check "$ROUND_NOTE: every value is stored damaged ($(harness_reg_dump | wc -l) values)" [ "$(harness_reg_dump | wc -l)" -eq 17 ]

  # The saver: the defaults, and the scene.
  harness_run_saver "$HARNESS_SAVER_SCR" /s
  if harness_wait_log $'settings\t' 30000; then
    SETTINGS=$(grep -m1 $'^settings\t' "$HARNESS_LOG" | tr -d '\r')
    echo "  $SETTINGS"
    for f in "${!SHIPPED[@]}" SelectedMode Width Height BitCount; do
      want=${DEFAULT[$f]}
      # FSAA is carried as stored (nothing acts on it); a damaged one reads as absent.
      [ "$f" = FSAA ] && [ "${KIND_OF[FSAA]}" = number ] && want=$(( 0x${NUMBERS[(11 + round) % 3]} << 32 >> 32 ))
      # An index past the mode list is kept (the device then takes the desktop's
      # mode); it resolves no mode, so the size is the shipped file's.
      if [ "$(selected_damage)" = 7fffffff ]; then
        case $f in
          SelectedMode) want=2147483647 ;;
          Width) want=$FILE_W ;;
          Height) want=$FILE_H ;;
          BitCount) want=$FILE_BITS ;;
        esac
      fi
      expect "$f" "$want" "$ROUND_NOTE (${KIND_OF[$f]:-${KIND_OF[m_nSelectedMode]}})"
    done
  else
    harness_fail "$ROUND_NOTE: the saver starts and logs its settings"
  fi
  if harness_wait_log "first frame" 90000 && sleep 1 && harness_screenshot "damaged-$round.png"; then
    colours=$(convert "$HARNESS_ARTIFACTS/damaged-$round.png" -alpha off -format %k info:)
    harness_check "$ROUND_NOTE: the scene shows ($colours colours)" [ "${colours:-0}" -gt 1000 ]
  else
    harness_fail "$ROUND_NOTE: the saver draws its scene (log: $(tr '\n' '|' <"$HARNESS_LOG" | tail -c 300))"
  fi
  if harness_saver_alive; then
    harness_key space
    harness_wait_exit 10000 || harness_kill_saver
  fi

  # The dialog: the defaults and the first quotation, then OK stores them.
  start_config || continue
  expect_eq "$ROUND_NOTE: the dialog shows the default toggles" \
    "$(fld "$IDC_SHOW_FPS" checked)$(fld "$IDC_EXIT_ON_MOUSE" checked)$(fld "$IDC_USE_DESKTOP" checked)$(fld "$IDC_ENABLE_SFX" checked)$(fld "$IDC_ENABLE_MUSIC" checked)$(fld "$IDC_SHOW_TIME" checked)" \
    "$([ "${DEFAULT[ShowFPS]}" = 1 ] && echo 1 || echo 0)$([ "${DEFAULT[ExitOnMouseMove]}" = 1 ] && echo 1 || echo 0)1111"
  expect_fld "$IDC_VOLUME_SLIDER" pos "${DEFAULT[MusicVolume]}" "$ROUND_NOTE: the default volume"
  if [ "$(selected_damage)" = 7fffffff ]; then
    expect_fld "$IDC_VIDEO_MODE_LIST" sel -1 "$ROUND_NOTE: an index past the list selects no mode"
  else
    expect_fld "$IDC_VIDEO_MODE_LIST" sel "${DEFAULT[SelectedMode]}" "$ROUND_NOTE: the default mode"
  fi
  box=$(fld "$IDC_USER_TEXT" text)
  IFS=$'\x01' read -r b1 b2 b3 <<<"${box//\\r\\n/$'\x01'}"
  expect_eq "$ROUND_NOTE: the text box shows the first quotation" \
    "$(trim "$b1")|$(trim "$b2")|$(trim "$b3")" "$(trim "$Q1")|$(trim "$Q2")|$(trim "$Q3")"
  expect_eq "$ROUND_NOTE: the author box shows the first quotation's line 4" "$(trim "$(fld "$IDC_AUTHOR" text)")" "$(trim "$Q4")"
  probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
  harness_expect_ended "$ROUND_NOTE: OK"
  harness_reg_dump | cut -c1-100 >"$HARNESS_ARTIFACTS/saved-$round.txt"
  for b in "${BOOLEANS[@]}"; do expect_reg "$b" REG_DWORD "0x$((${DEFAULT[$b]} + 1))"; done
  expect_reg MusicVolume REG_DWORD "$(printf '0x%x' "${DEFAULT[MusicVolume]}")"
  if [ "$(selected_damage)" = 7fffffff ]; then
    # No mode selected: OK keeps the stored index and the record's size.
    expect_reg m_nSelectedMode REG_DWORD 0x7fffffff
    expect_reg Width REG_DWORD "$(printf '0x%x' "$FILE_W")"
    expect_reg Height REG_DWORD "$(printf '0x%x' "$FILE_H")"
  else
    expect_reg m_nSelectedMode REG_DWORD "$(printf '0x%x' "${DEFAULT[SelectedMode]}")"
    expect_reg Width REG_DWORD "$(printf '0x%x' "$SCREEN_W")"
    expect_reg Height REG_DWORD "$(printf '0x%x' "$SCREEN_H")"
  fi
  expect_reg BitCount REG_DWORD 0x20
  expect_reg FSAA REG_DWORD 0x0
  i=0
  for q in "$Q1" "$Q2" "$Q3" "$Q4"; do
    i=$((i + 1))
    expect_eq "$ROUND_NOTE: m_nCustomLine$i saved as the first quotation's line" \
      "$(harness_reg_type m_nCustomLine$i) $(trim "$(harness_reg_query m_nCustomLine$i)")" "REG_SZ $(trim "$q")"
  done
done

harness_finish
