#!/usr/bin/env bash
# What the configuration dialog stores: the toggles, the radio buttons, the
# mode list, the slider and the text boxes change the record; OK writes every
# value under HKCU (booleans as 2 and 1) and ends the run; the next opening
# shows what was stored; Restore Defaults shows the defaults and the first
# quotation again and writes nothing; long lines are cut at 63 characters.
set -u
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/test_config_common.bash"
harness_begin

# expect_reg NAME TYPE DATA
expect_reg() {
  expect_eq "stored $1" "$(reg_type "$1") $(harness_reg_query "$1")" "$2 $3"
}

# mouse_on ID [DX [DY]]: a real mouse click on control ID, at its centre
# unless offsets from its top left corner are given.
mouse_on() {
  local id=$1 sx sy w h
  sx=$(fld "$id" sx) sy=$(fld "$id" sy) w=$(fld "$id" w) h=$(fld "$id" h)
  harness_click 1 $((sx + ${2:-$((w / 2))})) $((sy + ${3:-$((h / 2))}))
}

# channel_dy ID X: the row of the slider's channel at screen column X, from a
# screenshot (Wine's trackbar pages only for clicks on the channel itself).
channel_dy() {
  local id=$1 x=$2 sy h shot dy c rows=()
  sy=$(fld "$id" sy) h=$(fld "$id" h) shot=$HARNESS_ARTIFACTS/slider.png
  harness_screenshot "$shot"
  for ((dy = 0; dy < h; dy++)); do
    c=$(harness_pixel "$shot" "$x" $((sy + dy)))
    case "$c" in '#F5F5F5' | '#F0F0F0' | '#000000' | '#0A0A0A') ;; *) rows+=("$dy") ;; esac
  done
  [ ${#rows[@]} -gt 0 ] || { echo $((h / 2)); return; }
  echo $(( (rows[0] + rows[${#rows[@]} - 1]) / 2 ))
}

# --- change everything, then OK ----------------------------------------------------
harness_reg_clear
start_config || harness_finish
mode_count=$(fld 1011 items)
for id in 1044 1045 1012 1022; do click "$id"; done   # FPS on, exit on, desktop off, SFX off
click 1110                                              # 24-hour clock
probe select "$CONFIG_TITLE" 1011 0 >/dev/null
probe type "$CONFIG_TITLE" 1114 'First line\nSecond line\nThird line' >/dev/null
probe type "$CONFIG_TITLE" 1108 'The Tester' >/dev/null
refresh
expect_fld 1011 sel 0 "mode 0 chosen"
# Clicking beside the thumb pages the slider by 10; the arrow keys move it by
# one and are taken too.
slider_dx=$(( $(fld 1020 w) - 8 ))
mouse_on 1020 "$slider_dx" "$(channel_dy 1020 $(( $(fld 1020 sx) + slider_dx )))"
refresh
expect_fld 1020 pos 45 "a click right of the thumb pages up by 10"
harness_key Right Right
refresh
expect_fld 1020 pos 47 "two Right keys move the slider by 2"
harness_screenshot config-changed.png
first_mode=$(grep -m1 '^item id=1011 index=0 ' <<<"$LIST")
probe click "$CONFIG_TITLE" 1 >/dev/null
expect_ended "OK"

reg_dump >"$HARNESS_ARTIFACTS/after-ok.txt"
expect_reg ShowFPS REG_DWORD 0x2
expect_reg ShowTime REG_DWORD 0x2
expect_reg TimeModeAMPM REG_DWORD 0x1
expect_reg ExitOnMouseMove REG_DWORD 0x2
expect_reg SFX REG_DWORD 0x1
expect_reg Music REG_DWORD 0x2
expect_reg m_nSelectedMode REG_DWORD 0x0
expect_reg UseDesktopSettings REG_DWORD 0x1
expect_reg MusicVolume REG_DWORD 0x2f
expect_reg FSAA REG_DWORD 0x0
# Width, Height and BitCount follow the mode selected when the dialog opened
# (with one mode on this display that is mode 0 too).
if [ "$mode_count" = 1 ]; then
  read -r mw mh mb < <(sed 's/.*text="\([0-9]*\) x \([0-9]*\) \([0-9]*\) bits".*/\1 \2 \3/' <<<"$first_mode")
  expect_reg Width REG_DWORD "$(printf '0x%x' "$mw")"
  expect_reg Height REG_DWORD "$(printf '0x%x' "$mh")"
  expect_reg BitCount REG_DWORD "$(printf '0x%x' "$mb")"
else
  for v in Width Height BitCount; do expect_eq "stored $v" "$(reg_type $v)" REG_DWORD; done
fi
expect_reg m_nCustomLine1 REG_SZ "First line"
expect_reg m_nCustomLine2 REG_SZ "Second line"
expect_reg m_nCustomLine3 REG_SZ "Third line"
expect_reg m_nCustomLine4 REG_SZ "The Tester"
expect_eq "seventeen values stored" "$(reg_dump | wc -l)" 17

# --- the next opening shows what was stored --------------------------------------------
stored=$(reg_dump)
start_config || harness_finish
expect_eq "stored record shown" \
  "$(fld 1044 checked)$(fld 1045 checked)$(fld 1012 checked)$(fld 1022 checked)$(fld 1021 checked)" "11001"
expect_eq "24h style shown" "$(fld 1110 checked) $(fld 1111 checked)" "1 0"
expect_fld 1011 enabled 1 "mode list enabled (desktop settings off)"
expect_fld 1011 sel 0 "stored mode selected"
expect_fld 1020 pos 47 "stored volume"
expect_fld 1114 text 'First line\r\nSecond line\r\nThird line' "stored text"
expect_fld 1108 text "The Tester" "stored author"

# --- Restore Defaults: the defaults and the first quotation, nothing written ---------------
click 1063
harness_screenshot config-restored.png
expect_eq "defaults shown" \
  "$(fld 1044 checked)$(fld 1045 checked)$(fld 1012 checked)$(fld 1022 checked)$(fld 1021 checked)$(fld 1043 checked)" \
  "001111"
expect_eq "12h style again" "$(fld 1111 checked) $(fld 1110 checked)" "1 0"
expect_fld 1011 enabled 0 "mode list disabled again"
expect_fld 1011 sel 0 "the selected mode is kept"
expect_fld 1020 pos 35 "default volume"
expect_fld 1020 enabled 1 "slider enabled"
FIRST_QUOTE=$(head -n1 "$HARNESS_SOURCE_DIR/res/quotes.txt" | tr -d '\r')
q1=$(sed 's/&.*//; s/^ *//; s/ *$//' <<<"$FIRST_QUOTE")
harness_check "first quotation shown again ($q1)" grep -qF -- "$q1" <<<"$(fld 1114 text)"
expect_eq "Restore Defaults writes nothing" "$(reg_dump)" "$stored"
echo "$LIST" >"$HARNESS_ARTIFACTS/restored.txt"
# The bottom row stays where the first initialisation put it.
by=$(dlg by)
harness_check "bottom row not moved a second time" within1 "$(fld 1 y)" $(( $(muldiv 235 "$by" 8) - 44 ))
probe click "$CONFIG_TITLE" 2 >/dev/null
expect_ended "Cancel after Restore Defaults"
expect_eq "Cancel after Restore Defaults leaves the registry" "$(reg_dump)" "$stored"

# --- long lines: cut at 63 in the record, refused while typing ------------------------------
start_config || harness_finish
long=$(printf 'L%.0s' $(seq 1 70))
probe type "$CONFIG_TITLE" 1114 "$long\\nshort" >/dev/null
refresh
probe click "$CONFIG_TITLE" 1 >/dev/null
expect_ended "OK with a 70-character line"
expect_reg m_nCustomLine1 REG_SZ "$(printf 'L%.0s' $(seq 1 63))"
expect_reg m_nCustomLine2 REG_SZ "short"

start_config || harness_finish
probe type "$CONFIG_TITLE" 1114 "" >/dev/null
probe type "$CONFIG_TITLE" 1108 "" >/dev/null
refresh
# The box shows three lines: a Return on the third is refused, so the text
# goes on in line 3.
mouse_on 1114
xdotool type --delay 5 "$(printf 'k%.0s' $(seq 1 70))"
for word in two three four; do xdotool key Return; xdotool type --delay 5 "$word"; done
mouse_on 1108
xdotool type --delay 5 "$(printf 'a%.0s' $(seq 1 50))"
refresh
expect_eq "typing stops at 63 characters a line, and at three lines" "$(fld 1114 text)" \
  "$(printf 'k%.0s' $(seq 1 63))\\r\\ntwo\\r\\nthreefour"
expect_eq "the author box takes 40 characters" "$(fld 1108 text)" "$(printf 'a%.0s' $(seq 1 40))"
probe click "$CONFIG_TITLE" 1 >/dev/null
expect_ended "OK after typing"
expect_reg m_nCustomLine1 REG_SZ "$(printf 'k%.0s' $(seq 1 63))"
expect_reg m_nCustomLine3 REG_SZ "threefour"
expect_reg m_nCustomLine4 REG_SZ "$(printf 'a%.0s' $(seq 1 40))"

# Pasted text is cut back to 63 characters a line at once.
start_config || harness_finish
probe type "$CONFIG_TITLE" 1114 "" >/dev/null
refresh
probe clip "$(printf 'p%.0s' $(seq 1 70))" >/dev/null
mouse_on 1114
harness_key ctrl+v
refresh
expect_eq "a pasted 70-character line shows 63" "$(fld 1114 text)" "$(printf 'p%.0s' $(seq 1 63))"
probe click "$CONFIG_TITLE" 1 >/dev/null
expect_ended "OK after pasting"
expect_reg m_nCustomLine1 REG_SZ "$(printf 'p%.0s' $(seq 1 63))"

harness_finish
