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
  expect_eq "stored $1" "$(harness_reg_type "$1") $(harness_reg_query "$1")" "$2 $3"
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
mode_count=$(fld "$IDC_VIDEO_MODE_LIST" items)
for id in "$IDC_SHOW_FPS" "$IDC_EXIT_ON_MOUSE" "$IDC_USE_DESKTOP" "$IDC_ENABLE_SFX"; do click "$id"; done   # FPS on, exit on, desktop off, SFX off
click "$IDC_CLOCK_24H"   # 24-hour clock
probe select "$CONFIG_TITLE" "$IDC_VIDEO_MODE_LIST" 0 >/dev/null
probe type "$CONFIG_TITLE" "$IDC_USER_TEXT" 'First line\nSecond line\nThird line' >/dev/null
probe type "$CONFIG_TITLE" "$IDC_AUTHOR" 'The Tester' >/dev/null
refresh
expect_fld "$IDC_VIDEO_MODE_LIST" sel 0 "mode 0 chosen"
# Clicking beside the thumb pages the slider by 10; the arrow keys move it by
# one and are taken too.
slider_dx=$(( $(fld "$IDC_VOLUME_SLIDER" w) - 8 ))
mouse_on "$IDC_VOLUME_SLIDER" "$slider_dx" "$(channel_dy "$IDC_VOLUME_SLIDER" $(( $(fld "$IDC_VOLUME_SLIDER" sx) + slider_dx )))"
refresh
expect_fld "$IDC_VOLUME_SLIDER" pos 45 "a click right of the thumb pages up by 10"
harness_key Right Right
refresh
expect_fld "$IDC_VOLUME_SLIDER" pos 47 "two Right keys move the slider by 2"
harness_screenshot config-changed.png
first_mode=$(grep -m1 "^item id=$IDC_VIDEO_MODE_LIST index=0 " <<<"$LIST")
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK"

harness_reg_dump >"$HARNESS_ARTIFACTS/after-ok.txt"
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
  for v in Width Height BitCount; do expect_eq "stored $v" "$(harness_reg_type $v)" REG_DWORD; done
fi
expect_reg m_nCustomLine1 REG_SZ "First line"
expect_reg m_nCustomLine2 REG_SZ "Second line"
expect_reg m_nCustomLine3 REG_SZ "Third line"
expect_reg m_nCustomLine4 REG_SZ "The Tester"
expect_eq "seventeen values stored" "$(harness_reg_dump | wc -l)" 17

# --- the next opening shows what was stored --------------------------------------------
stored=$(harness_reg_dump)
start_config || harness_finish
expect_eq "stored record shown" \
  "$(fld "$IDC_SHOW_FPS" checked)$(fld "$IDC_EXIT_ON_MOUSE" checked)$(fld "$IDC_USE_DESKTOP" checked)$(fld "$IDC_ENABLE_SFX" checked)$(fld "$IDC_ENABLE_MUSIC" checked)" "11001"
expect_eq "24h style shown" "$(fld "$IDC_CLOCK_24H" checked) $(fld "$IDC_CLOCK_12H" checked)" "1 0"
expect_fld "$IDC_VIDEO_MODE_LIST" enabled 1 "mode list enabled (desktop settings off)"
expect_fld "$IDC_VIDEO_MODE_LIST" sel 0 "stored mode selected"
expect_fld "$IDC_VOLUME_SLIDER" pos 47 "stored volume"
expect_fld "$IDC_USER_TEXT" text 'First line\r\nSecond line\r\nThird line' "stored text"
expect_fld "$IDC_AUTHOR" text "The Tester" "stored author"

# --- Restore Defaults: the defaults and the first quotation, nothing written ---------------
click "$IDC_RESTORE_DEFAULTS"
harness_screenshot config-restored.png
expect_eq "defaults shown" \
  "$(fld "$IDC_SHOW_FPS" checked)$(fld "$IDC_EXIT_ON_MOUSE" checked)$(fld "$IDC_USE_DESKTOP" checked)$(fld "$IDC_ENABLE_SFX" checked)$(fld "$IDC_ENABLE_MUSIC" checked)$(fld "$IDC_SHOW_TIME" checked)" \
  "001111"
expect_eq "12h style again" "$(fld "$IDC_CLOCK_12H" checked) $(fld "$IDC_CLOCK_24H" checked)" "1 0"
expect_fld "$IDC_VIDEO_MODE_LIST" enabled 0 "mode list disabled again"
expect_fld "$IDC_VIDEO_MODE_LIST" sel 0 "the selected mode is kept"
expect_fld "$IDC_VOLUME_SLIDER" pos 35 "default volume"
expect_fld "$IDC_VOLUME_SLIDER" enabled 1 "slider enabled"
FIRST_QUOTE=$(head -n1 "$HARNESS_SOURCE_DIR/res/quotes.txt" | tr -d '\r')
q1=$(sed 's/&.*//; s/^ *//; s/ *$//' <<<"$FIRST_QUOTE")
harness_check "first quotation shown again ($q1)" grep -qF -- "$q1" <<<"$(fld "$IDC_USER_TEXT" text)"
expect_eq "Restore Defaults writes nothing" "$(harness_reg_dump)" "$stored"
echo "$LIST" >"$HARNESS_ARTIFACTS/restored.txt"
# The bottom row stays where the first initialisation put it.
by=$(dlg by)
harness_check "bottom row not moved a second time" within1 "$(fld "$IDOK" y)" $(( $(muldiv 235 "$by" 8) - 44 ))
probe click "$CONFIG_TITLE" "$IDCANCEL" >/dev/null
harness_expect_ended "Cancel after Restore Defaults"
expect_eq "Cancel after Restore Defaults leaves the registry" "$(harness_reg_dump)" "$stored"

# --- long lines: cut at 63 in the record, refused while typing ------------------------------
start_config || harness_finish
long=$(printf 'L%.0s' $(seq 1 70))
probe type "$CONFIG_TITLE" "$IDC_USER_TEXT" "$long\\nshort" >/dev/null
refresh
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK with a 70-character line"
expect_reg m_nCustomLine1 REG_SZ "$(printf 'L%.0s' $(seq 1 63))"
expect_reg m_nCustomLine2 REG_SZ "short"

start_config || harness_finish
probe type "$CONFIG_TITLE" "$IDC_USER_TEXT" "" >/dev/null
probe type "$CONFIG_TITLE" "$IDC_AUTHOR" "" >/dev/null
refresh
# The box shows three lines: a Return on the third is refused, so the text
# goes on in line 3.
mouse_on "$IDC_USER_TEXT"
xdotool type --delay 5 "$(printf 'k%.0s' $(seq 1 70))"
for word in two three four; do xdotool key Return; xdotool type --delay 5 "$word"; done
mouse_on "$IDC_AUTHOR"
xdotool type --delay 5 "$(printf 'a%.0s' $(seq 1 50))"
refresh
expect_eq "typing stops at 63 characters a line, and at three lines" "$(fld "$IDC_USER_TEXT" text)" \
  "$(printf 'k%.0s' $(seq 1 63))\\r\\ntwo\\r\\nthreefour"
expect_eq "the author box takes 40 characters" "$(fld "$IDC_AUTHOR" text)" "$(printf 'a%.0s' $(seq 1 40))"
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK after typing"
expect_reg m_nCustomLine1 REG_SZ "$(printf 'k%.0s' $(seq 1 63))"
expect_reg m_nCustomLine3 REG_SZ "threefour"
expect_reg m_nCustomLine4 REG_SZ "$(printf 'a%.0s' $(seq 1 40))"

# Pasted text is cut back to 63 characters a line at once.
start_config || harness_finish
probe type "$CONFIG_TITLE" "$IDC_USER_TEXT" "" >/dev/null
refresh
probe clip "$(printf 'p%.0s' $(seq 1 70))" >/dev/null
mouse_on "$IDC_USER_TEXT"
harness_key ctrl+v
refresh
expect_eq "a pasted 70-character line shows 63" "$(fld "$IDC_USER_TEXT" text)" "$(printf 'p%.0s' $(seq 1 63))"
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK after pasting"
expect_reg m_nCustomLine1 REG_SZ "$(printf 'p%.0s' $(seq 1 63))"

harness_finish
