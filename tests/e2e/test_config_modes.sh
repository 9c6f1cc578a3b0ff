#!/usr/bin/env bash
# The mode list of the configuration dialog on a display without any
# 1024-wide mode: nothing is selected when no mode is stored (or the stored
# index is out of range), the record keeps its size, and a chosen mode is
# stored as its index and gives Width, Height and BitCount at the next opening;
# a full-screen run then uses that mode.
set -u
HARNESS_SCREEN=800x600x24
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/test_config_common.bash"
harness_begin

harness_reg_clear
start_config || harness_finish
items=$(grep "^item id=$IDC_VIDEO_MODE_LIST " <<<"$LIST")
echo "$items"
harness_check "the list offers the 800 x 600 display" grep -q 'text="800 x 600 32 bits"' <<<"$items"
harness_check "no 1024-wide mode on this display" bash -c '! grep -q "text=\"1024 x" <<<"$1"' _ "$items"
expect_fld "$IDC_VIDEO_MODE_LIST" sel -1 "no 1024-wide 32-bit mode: nothing selected"
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK"
expect_eq "no choice is stored as -1" "$(harness_reg_query m_nSelectedMode)" 0xffffffff
expect_eq "the record keeps the default size" \
  "$(harness_reg_query Width) $(harness_reg_query Height) $(harness_reg_query BitCount)" "0x320 0x258 0x20"

# A stored index past the end of the list selects nothing either, and the
# stored size stays as it is.
harness_reg_set m_nSelectedMode=7 Width=1234 Height=999 BitCount=16 FSAA=3
start_config || harness_finish
expect_fld "$IDC_VIDEO_MODE_LIST" sel -1 "an index past the list selects nothing"
probe click "$CONFIG_TITLE" "$IDC_USE_DESKTOP" >/dev/null   # desktop settings off: the list can be used
refresh
expect_fld "$IDC_VIDEO_MODE_LIST" enabled 1 "mode list enabled"
index=$(grep -m1 'text="800 x 600 32 bits"' <<<"$LIST" | sed 's/.*index=\([0-9]*\).*/\1/')
probe select "$CONFIG_TITLE" "$IDC_VIDEO_MODE_LIST" "$index" >/dev/null
refresh
expect_fld "$IDC_VIDEO_MODE_LIST" sel "$index" "800 x 600 32 bits chosen"
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK"
expect_eq "the chosen index is stored" "$(harness_reg_query m_nSelectedMode)" "$(printf '0x%x' "$index")"
expect_eq "choosing a mode leaves the size until the next opening" \
  "$(harness_reg_query Width) $(harness_reg_query Height) $(harness_reg_query BitCount)" "0x4d2 0x3e7 0x10"
expect_eq "FSAA is 0 whenever the dialog opened" "$(harness_reg_query FSAA)" 0x0

# The next opening applies the stored mode to the record.
start_config || harness_finish
expect_fld "$IDC_VIDEO_MODE_LIST" sel "$index" "stored mode selected"
probe click "$CONFIG_TITLE" "$IDOK" >/dev/null
harness_expect_ended "OK"
expect_eq "Width, Height and BitCount follow the mode" \
  "$(harness_reg_query Width) $(harness_reg_query Height) $(harness_reg_query BitCount)" "0x320 0x258 0x20"

# A run in the mode chosen in the dialog, desktop settings off: the device is
# made for that mode and the scene covers the screen.
harness_run_saver "$HARNESS_SAVER_SCR" /s
if harness_wait_log "first frame" 60000; then
  SETTINGS=$(grep -m1 $'^settings\t' "$HARNESS_LOG" | tr -d '\r')
  expect_eq "the run reads desktop settings off" "$(harness_field "$SETTINGS" UseDesktopSettings)" 0
  expect_eq "the run reads the chosen mode" \
    "$(harness_field "$SETTINGS" Width)x$(harness_field "$SETTINGS" Height)" 800x600
  harness_check 'log: "hal hardware" with the chosen mode' harness_log_has "hal hardware"
  sleep 1
  if harness_screenshot chosen-mode.png; then
    COLOURS=$(convert "$HARNESS_ARTIFACTS/chosen-mode.png" -alpha off -format %k info:)
    WHITE=$(harness_count_color "$HARNESS_ARTIFACTS/chosen-mode.png" '#FFFFFF')
    harness_check "the scene fills the 800x600 screen ($COLOURS colours, $WHITE white pixels)" \
      [ "${COLOURS:-0}" -gt 1000 -a "${WHITE:-0}" -lt 24000 ]
  fi
  harness_key space
  harness_expect_ended "a key in the chosen mode"
else
  harness_fail "/s runs in the mode chosen in the dialog (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
  harness_kill_saver
fi

harness_finish
