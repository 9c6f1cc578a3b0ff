#!/usr/bin/env bash
# The configuration dialog on a first run (no stored settings): the shipped
# defaults, the captions of the localization table, the layout of the
# template with the bottom row moved up, the enabling rules, and Cancel and
# the close box, which store nothing. An owner number that names no window
# (/c:987654) still shows the dialog, without an owner.
set -u
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/test_config_common.bash"
harness_begin

FIRST_QUOTE=$(head -n1 "$HARNESS_SOURCE_DIR/res/quotes.txt" | tr -d '\r')

# --- first run -------------------------------------------------------------------
harness_reg_clear
start_config || harness_finish
harness_screenshot config-first-run.png
echo "$LIST" >"$HARNESS_ARTIFACTS/first-run.txt"

expect_eq "title" "$(dlg title)" "$CONFIG_TITLE"
expect_fld "$IDC_ENABLE_MUSIC" checked 1 "music on"
expect_fld "$IDC_ENABLE_SFX" checked 1 "effects on"
expect_fld "$IDC_VOLUME_SLIDER" pos 35 "volume"
expect_fld "$IDC_VOLUME_SLIDER" min 1 "slider range"
expect_fld "$IDC_VOLUME_SLIDER" max 100 "slider range"
expect_fld "$IDC_VOLUME_SLIDER" page 10 "slider page size"
expect_fld "$IDC_VOLUME_SLIDER" enabled 1 "slider enabled with sound on"
expect_fld "$IDC_VOLUME_LABEL" enabled 1 "volume label enabled with sound on"
expect_fld "$IDC_SHOW_TIME" checked 1 "clock on"
expect_fld "$IDC_CLOCK_12H" checked 1 "12-hour style"
expect_fld "$IDC_CLOCK_24H" checked 0 "not the 24-hour style"
expect_fld "$IDC_CLOCK_12H" enabled 1 "clock styles enabled with the clock on"
expect_fld "$IDC_SHOW_FPS" checked 0 "FPS off"
expect_fld "$IDC_EXIT_ON_MOUSE" checked 0 "exit on mouse move off"
expect_fld "$IDC_USE_DESKTOP" checked 1 "desktop settings on"
expect_fld "$IDC_USE_DESKTOP" kind checkbox "desktop settings is a plain (not automatic) check box"
expect_fld "$IDC_VIDEO_MODE_LIST" enabled 0 "mode list disabled with desktop settings on"
expect_fld "$IDC_AUTHOR" limit 40 "author box limit"
expect_fld "$IDC_USER_TEXT" limit 193 "text box limit (three lines of 63)"

# The mode list: "W x H " and the depth; item data = index; the first
# 1024-wide 32-bit mode is chosen when none is stored.
items=$(grep "^item id=$IDC_VIDEO_MODE_LIST " <<<"$LIST")
harness_check "the mode list has items" [ -n "$items" ]
bad=$(grep -vE 'text="[0-9]+ x [0-9]+ (16|32) bits"' <<<"$items" || true)
expect_eq "every mode reads 'W x H 16|32 bits'" "$bad" ""
bad=$(awk '{split($3,a,"=");split($NF,b,"="); if (a[2] != b[2]) print}' <<<"$items")
expect_eq "item data equals item index" "$bad" ""
want_sel=$(grep -m1 'text="1024 x [0-9]* 32 bits"' <<<"$items" | sed 's/.*index=\([0-9]*\).*/\1/')
expect_fld "$IDC_VIDEO_MODE_LIST" sel "${want_sel:--1}" "the first 1024-wide 32-bit mode is selected"

# The first quotation as the user text: its "&"-separated lines, 1 to 3 in the
# text box and 4 in the author box.
IFS='&' read -r q1 q2 q3 q4 _ <<<"$FIRST_QUOTE"
box=$(fld "$IDC_USER_TEXT" text)
IFS=$'\x01' read -r b1 b2 b3 <<<"${box//\\r\\n/$'\x01'}"
trim() { sed 's/^ *//; s/ *$//' <<<"$1"; }
expect_eq "text line 1 is the first quotation's" "$(trim "$b1")" "$(trim "$q1")"
expect_eq "text line 2 is the first quotation's" "$(trim "$b2")" "$(trim "$q2")"
expect_eq "text line 3 is the first quotation's" "$(trim "$b3")" "$(trim "$q3")"
q4=$(trim "${q4:-}"); [ "$q4" = "%" ] && q4=
expect_eq "author line is the first quotation's line 4" "$(trim "$(fld "$IDC_AUTHOR" text)")" "$q4"

# Captions from the localization table ("Misc Options" keeps its own).
declare -A CAPTION=(
  [$IDC_VIDEO_MODE_GROUP]="Video Mode" [$IDC_USE_DESKTOP]="Use Desktop Settings"
  [$IDC_SOUND_GROUP]="Sound Control" [$IDC_VOLUME_LABEL]="Volume"
  [$IDC_ENABLE_MUSIC]="Enable Music" [$IDC_ENABLE_SFX]="Enable SFX"
  [$IDC_THOUGHTS_GROUP]="Express your thoughts on love"
  [$IDC_ENTER_TEXT_LABEL]="Enter your text here:" [$IDC_AUTHOR_LABEL]="Author"
  [$IDC_PRODUCTS_GROUP]="Products"
  [$IDC_PRODUCTS_TEXT]="Visit our official web-site for more great 3D screensavers"
  [$IDC_SHOW_FPS]="Show FPS" [$IDC_SHOW_TIME]="Show Time" [$IDC_CLOCK_12H]="12h format"
  [$IDC_CLOCK_24H]="24h format" [$IDC_EXIT_ON_MOUSE]="Exit on Mouse Move" [$IDC_VISIT]="Visit..."
  [$IDC_ABOUT]="About..." [$IDC_RESTORE_DEFAULTS]="Restore Defaults" [$IDOK]="OK"
  [$IDCANCEL]="Cancel" [$IDC_MISC_GROUP]="Misc Options")
for id in "${!CAPTION[@]}"; do expect_fld "$id" text "${CAPTION[$id]}" "caption"; done

# Every caption fits its control on one line (measured in the dialog font).
unfit=$(grep ' fits=0' <<<"$LIST" || true)
expect_eq "no caption is wider than its control" "$unfit" ""

# Layout: the template's positions in dialog units, the bitmap picture, and
# the bottom row 44 pixels higher in a window 44 pixels shorter.
declare -A POS=(
  [$IDC_VIDEO_MODE_GROUP]="7 4 191 44" [$IDC_VIDEO_MODE_LIST]="14 15 178"
  [$IDC_USE_DESKTOP]="14 33 176 10" [$IDC_SOUND_GROUP]="8 50 191 40"
  [$IDC_VOLUME_LABEL]="13 62 48 8" [$IDC_VOLUME_SLIDER]="68 61 128 13"
  [$IDC_ENABLE_MUSIC]="14 76 72 11" [$IDC_ENABLE_SFX]="94 77 95 9"
  [$IDC_THOUGHTS_GROUP]="7 96 233 79" [$IDC_ENTER_TEXT_LABEL]="13 107 212 11"
  [$IDC_USER_TEXT]="44 120 180 31" [$IDC_AUTHOR_LABEL]="16 158 25 10" [$IDC_AUTHOR]="43 155 181 13"
  [$IDC_MISC_GROUP]="245 96 96 79" [$IDC_SHOW_FPS]="252 109 85 10" [$IDC_SHOW_TIME]="252 125 82 10"
  [$IDC_CLOCK_12H]="263 136 72 10" [$IDC_CLOCK_24H]="263 147 73 10"
  [$IDC_EXIT_ON_MOUSE]="252 158 80 11" [$IDC_PRODUCTS_GROUP]="7 177 334 26"
  [$IDC_PRODUCTS_TEXT]="14 188 185 8" [$IDC_VISIT]="214 185 59 13" [$IDC_ABOUT]="278 185 59 13"
  [$IDC_STATIC]="207 5 128 89")
for id in "${!POS[@]}"; do
  read -r x y w h <<<"${POS[$id]}"
  got="$(fld "$id" dx) $(fld "$id" dy) $(fld "$id" dw)"
  want="$x $y $w"
  if [ -n "${h:-}" ]; then got="$got $(fld "$id" dh)"; want="$want $h"; fi
  expect_eq "control $id sits at its template place" "$got" "$want"
done
expect_fld "$IDC_STATIC" bitmap 1 "the picture shows a bitmap"
by=$(dlg by)
for id in "$IDOK" "$IDCANCEL" "$IDC_RESTORE_DEFAULTS"; do
  want_y=$(( $(muldiv 235 "$by" 8) - 44 ))
  got_y=$(fld "$id" y)
  harness_check "button $id moved 44 px up (y=$got_y, template $((want_y + 44)))" \
    within1 "$got_y" "$want_y"
done
expect_eq "OK keeps its x position" "$(fld "$IDOK" dx) $(fld "$IDCANCEL" dx) $(fld "$IDC_RESTORE_DEFAULTS" dx)" "214 278 12"
want_h=$(( $(muldiv 259 "$by" 8) - 44 ))
got_h=$(dlg ch)
harness_check "dialog client 44 px shorter than the template (ch=$got_h, want $want_h)" \
  within1 "$got_h" "$want_h"
expect_eq "dialog width is the template's 350 units" "$(dlg dw)" 350
expect_eq "the row follows the Products group" \
  "$(( $(fld "$IDOK" y) > $(fld "$IDC_PRODUCTS_GROUP" y) + $(fld "$IDC_PRODUCTS_GROUP" h) ))" 1

# The executable asks for the version 6 common controls and DPI awareness.
manifest=$(wrestool -x --raw --type=24 --name=1 "$HARNESS_SAVER_SCR" 2>/dev/null || true)
harness_check "manifest selects Common-Controls 6.0.0.0" \
  grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest"
harness_check "manifest declares DPI awareness" grep -q '<dpiAware[^>]*>true</dpiAware>' <<<"$manifest"

# --- enabling rules -------------------------------------------------------------------
click "$IDC_ENABLE_MUSIC"
expect_fld "$IDC_ENABLE_MUSIC" checked 0 "Music toggled off"
expect_fld "$IDC_VOLUME_SLIDER" enabled 1 "slider stays enabled with SFX on"
click "$IDC_ENABLE_SFX"
expect_fld "$IDC_ENABLE_SFX" checked 0 "SFX toggled off"
expect_fld "$IDC_VOLUME_SLIDER" enabled 0 "slider disabled with music and effects off"
expect_fld "$IDC_VOLUME_LABEL" enabled 0 "volume label disabled with music and effects off"
harness_screenshot config-sound-off.png
click "$IDC_ENABLE_SFX"
expect_fld "$IDC_VOLUME_SLIDER" enabled 1 "SFX on again enables the slider"
expect_fld "$IDC_VOLUME_LABEL" enabled 1 "SFX on again enables the label"
click "$IDC_ENABLE_SFX"
click "$IDC_ENABLE_MUSIC"
expect_fld "$IDC_VOLUME_SLIDER" enabled 1 "Music on alone enables the slider"
click "$IDC_SHOW_TIME"
expect_fld "$IDC_SHOW_TIME" checked 0 "clock toggled off"
expect_fld "$IDC_CLOCK_12H" enabled 0 "12h disabled with the clock off"
expect_fld "$IDC_CLOCK_24H" enabled 0 "24h disabled with the clock off"
click "$IDC_SHOW_TIME"
expect_fld "$IDC_CLOCK_12H" enabled 1 "clock styles enabled again"
click "$IDC_USE_DESKTOP"
expect_fld "$IDC_USE_DESKTOP" checked 0 "desktop settings toggled off (the dialog sets the state)"
expect_fld "$IDC_VIDEO_MODE_LIST" enabled 1 "mode list enabled without desktop settings"
click "$IDC_CLOCK_24H"
expect_eq "24h chosen" "$(fld "$IDC_CLOCK_24H" checked) $(fld "$IDC_CLOCK_12H" checked)" "1 0"

# --- Cancel stores nothing -------------------------------------------------------------
before=$(harness_reg_dump)
probe click "$CONFIG_TITLE" "$IDCANCEL" >/dev/null
harness_expect_ended "Cancel"
expect_eq "Cancel stores no value" "$(harness_reg_dump)" "$before"

# --- the close box stores nothing either; an owner that does not exist ----------------------
NO_WINDOW=987654
harness_check "window $NO_WINDOW does not exist" \
  bash -c '[[ $1 == *"error=nowindow"* ]]' _ "$(harness_host post $NO_WINDOW 0)"
start_config /c:$NO_WINDOW || harness_finish
expect_eq "/c:$NO_WINDOW shows the dialog without an owner" "$(dlg owner)" "0x0"
expect_fld "$IDC_USE_DESKTOP" checked 1 "nothing of the cancelled run came back"
click "$IDC_SHOW_FPS"
probe sysclose "$CONFIG_TITLE" >/dev/null
harness_expect_ended "the close box"
expect_eq "the close box stores no value" "$(harness_reg_dump)" "$before"
harness_check "the log shows the settings were read" grep -qF "SettingsRead" "$HARNESS_LOG"

harness_finish
