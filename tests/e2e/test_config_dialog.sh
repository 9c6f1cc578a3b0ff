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
expect_fld 1021 checked 1 "music on"
expect_fld 1022 checked 1 "effects on"
expect_fld 1020 pos 35 "volume"
expect_fld 1020 min 1 "slider range"
expect_fld 1020 max 100 "slider range"
expect_fld 1020 page 10 "slider page size"
expect_fld 1020 enabled 1 "slider enabled with sound on"
expect_fld 1023 enabled 1 "volume label enabled with sound on"
expect_fld 1043 checked 1 "clock on"
expect_fld 1111 checked 1 "12-hour style"
expect_fld 1110 checked 0 "not the 24-hour style"
expect_fld 1111 enabled 1 "clock styles enabled with the clock on"
expect_fld 1044 checked 0 "FPS off"
expect_fld 1045 checked 0 "exit on mouse move off"
expect_fld 1012 checked 1 "desktop settings on"
expect_fld 1012 kind checkbox "desktop settings is a plain (not automatic) check box"
expect_fld 1011 enabled 0 "mode list disabled with desktop settings on"
expect_fld 1108 limit 40 "author box limit"
expect_fld 1114 limit 193 "text box limit (three lines of 63)"

# The mode list: "W x H " and the depth; item data = index; the first
# 1024-wide 32-bit mode is chosen when none is stored.
items=$(grep '^item id=1011 ' <<<"$LIST")
harness_check "the mode list has items" [ -n "$items" ]
bad=$(grep -vE 'text="[0-9]+ x [0-9]+ (16|32) bits"' <<<"$items" || true)
expect_eq "every mode reads 'W x H 16|32 bits'" "$bad" ""
bad=$(awk '{split($3,a,"=");split($NF,b,"="); if (a[2] != b[2]) print}' <<<"$items")
expect_eq "item data equals item index" "$bad" ""
want_sel=$(grep -m1 'text="1024 x [0-9]* 32 bits"' <<<"$items" | sed 's/.*index=\([0-9]*\).*/\1/')
expect_fld 1011 sel "${want_sel:--1}" "the first 1024-wide 32-bit mode is selected"

# The first quotation as the user text: its "&"-separated lines, 1 to 3 in the
# text box and 4 in the author box.
IFS='&' read -r q1 q2 q3 q4 _ <<<"$FIRST_QUOTE"
box=$(fld 1114 text)
IFS=$'\x01' read -r b1 b2 b3 <<<"${box//\\r\\n/$'\x01'}"
trim() { sed 's/^ *//; s/ *$//' <<<"$1"; }
expect_eq "text line 1 is the first quotation's" "$(trim "$b1")" "$(trim "$q1")"
expect_eq "text line 2 is the first quotation's" "$(trim "$b2")" "$(trim "$q2")"
expect_eq "text line 3 is the first quotation's" "$(trim "$b3")" "$(trim "$q3")"
q4=$(trim "${q4:-}"); [ "$q4" = "%" ] && q4=
expect_eq "author line is the first quotation's line 4" "$(trim "$(fld 1108 text)")" "$q4"

# Captions from the localization table ("Misc Options" keeps its own).
declare -A CAPTION=(
  [1128]="Video Mode" [1012]="Use Desktop Settings" [1129]="Sound Control" [1023]="Volume"
  [1021]="Enable Music" [1022]="Enable SFX" [1130]="Express your thoughts on love"
  [1131]="Enter your text here:" [1132]="Author" [1133]="Products"
  [1134]="Visit our official web-site for more great 3D screensavers" [1044]="Show FPS"
  [1043]="Show Time" [1111]="12h format" [1110]="24h format" [1045]="Exit on Mouse Move"
  [1061]="Visit..." [1062]="About..." [1063]="Restore Defaults" [1]="OK" [2]="Cancel"
  [1136]="Misc Options")
for id in "${!CAPTION[@]}"; do expect_fld "$id" text "${CAPTION[$id]}" "caption"; done

# Every caption fits its control on one line (measured in the dialog font).
unfit=$(grep ' fits=0' <<<"$LIST" || true)
expect_eq "no caption is wider than its control" "$unfit" ""

# Layout: the template's positions in dialog units, the bitmap picture, and
# the bottom row 44 pixels higher in a window 44 pixels shorter.
declare -A POS=(
  [1128]="7 4 191 44" [1011]="14 15 178" [1012]="14 33 176 10" [1129]="8 50 191 40"
  [1023]="13 62 48 8" [1020]="68 61 128 13" [1021]="14 76 72 11" [1022]="94 77 95 9"
  [1130]="7 96 233 79" [1131]="13 107 212 11" [1114]="44 120 180 31" [1132]="16 158 25 10"
  [1108]="43 155 181 13" [1136]="245 96 96 79" [1044]="252 109 85 10" [1043]="252 125 82 10"
  [1111]="263 136 72 10" [1110]="263 147 73 10" [1045]="252 158 80 11" [1133]="7 177 334 26"
  [1134]="14 188 185 8" [1061]="214 185 59 13" [1062]="278 185 59 13" [-1]="207 5 128 89")
for id in "${!POS[@]}"; do
  read -r x y w h <<<"${POS[$id]}"
  got="$(fld "$id" dx) $(fld "$id" dy) $(fld "$id" dw)"
  want="$x $y $w"
  if [ -n "${h:-}" ]; then got="$got $(fld "$id" dh)"; want="$want $h"; fi
  expect_eq "control $id sits at its template place" "$got" "$want"
done
expect_fld -1 bitmap 1 "the picture shows a bitmap"
by=$(dlg by)
for id in 1 2 1063; do
  want_y=$(( $(muldiv 235 "$by" 8) - 44 ))
  got_y=$(fld "$id" y)
  harness_check "button $id moved 44 px up (y=$got_y, template $((want_y + 44)))" \
    within1 "$got_y" "$want_y"
done
expect_eq "OK keeps its x position" "$(fld 1 dx) $(fld 2 dx) $(fld 1063 dx)" "214 278 12"
want_h=$(( $(muldiv 259 "$by" 8) - 44 ))
got_h=$(dlg ch)
harness_check "dialog client 44 px shorter than the template (ch=$got_h, want $want_h)" \
  within1 "$got_h" "$want_h"
expect_eq "dialog width is the template's 350 units" "$(dlg dw)" 350
expect_eq "the row follows the Products group" \
  "$(( $(fld 1 y) > $(fld 1133 y) + $(fld 1133 h) ))" 1

# The executable asks for the version 6 common controls and DPI awareness.
manifest=$(wrestool -x --raw --type=24 --name=1 "$HARNESS_SAVER_SCR" 2>/dev/null || true)
harness_check "manifest selects Common-Controls 6.0.0.0" \
  grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest"
harness_check "manifest declares DPI awareness" grep -q '<dpiAware[^>]*>true</dpiAware>' <<<"$manifest"

# --- enabling rules -------------------------------------------------------------------
click 1021
expect_fld 1021 checked 0 "Music toggled off"
expect_fld 1020 enabled 1 "slider stays enabled with SFX on"
click 1022
expect_fld 1022 checked 0 "SFX toggled off"
expect_fld 1020 enabled 0 "slider disabled with music and effects off"
expect_fld 1023 enabled 0 "volume label disabled with music and effects off"
harness_screenshot config-sound-off.png
click 1022
expect_fld 1020 enabled 1 "SFX on again enables the slider"
expect_fld 1023 enabled 1 "SFX on again enables the label"
click 1022
click 1021
expect_fld 1020 enabled 1 "Music on alone enables the slider"
click 1043
expect_fld 1043 checked 0 "clock toggled off"
expect_fld 1111 enabled 0 "12h disabled with the clock off"
expect_fld 1110 enabled 0 "24h disabled with the clock off"
click 1043
expect_fld 1111 enabled 1 "clock styles enabled again"
click 1012
expect_fld 1012 checked 0 "desktop settings toggled off (the dialog sets the state)"
expect_fld 1011 enabled 1 "mode list enabled without desktop settings"
click 1110
expect_eq "24h chosen" "$(fld 1110 checked) $(fld 1111 checked)" "1 0"

# --- Cancel stores nothing -------------------------------------------------------------
before=$(reg_dump)
probe click "$CONFIG_TITLE" 2 >/dev/null
expect_ended "Cancel"
expect_eq "Cancel stores no value" "$(reg_dump)" "$before"

# --- the close box stores nothing either; an owner that does not exist ----------------------
NO_WINDOW=987654
harness_check "window $NO_WINDOW does not exist" \
  bash -c '[[ $1 == *"error=nowindow"* ]]' _ "$(harness_host post $NO_WINDOW 0)"
start_config /c:$NO_WINDOW || harness_finish
expect_eq "/c:$NO_WINDOW shows the dialog without an owner" "$(dlg owner)" "0x0"
expect_fld 1012 checked 1 "nothing of the cancelled run came back"
click 1044
probe sysclose "$CONFIG_TITLE" >/dev/null
expect_ended "the close box"
expect_eq "the close box stores no value" "$(reg_dump)" "$before"
harness_check "the log shows the settings were read" grep -qF "SettingsRead" "$HARNESS_LOG"

harness_finish
