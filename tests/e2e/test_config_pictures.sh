#!/usr/bin/env bash
# The pictures of the configuration dialog (bitmap 434) and of the About box
# (bitmap 437) at 96 DPI and at 125 % and 150 % scaling: each picture control
# shows its resource bitmap resampled to the control's exact pixel size,
# pixel for pixel, and none of the rows of coloured dashes that a stretch by
# the system leaves where it drops rows. The screenshots and the expected
# pictures stay in the artifacts (test_config_pictures/).
set -u
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/test_config_common.bash"
harness_begin

CONTENT=${CORDELUNE_CONTENT:-$CORDELUNE_BIN/../content}
DPI_KEY='HKCU\Control Panel\Desktop'
# The prefix's own scaling is put back at the end, also when the test fails.
DPI_SAVED=$(harness_wine reg query "$DPI_KEY" /v LogPixels 2>/dev/null </dev/null | tr -d '\r' |
  sed -n 's/^ *LogPixels *REG_DWORD *//p')
restore_dpi() {
  if [ -n "$DPI_SAVED" ]; then
    harness_wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$((DPI_SAVED))" /f >/dev/null 2>&1 </dev/null
  else
    harness_wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1 </dev/null
  fi
}
trap 'restore_dpi; harness_stop' EXIT
art() { echo "$HARNESS_ARTIFACTS/$1"; }
lt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# judge_picture WHAT SHOT BITMAP NAME: the picture control of the dialog in
# LIST, cut from SHOT, against BITMAP resampled to the control's client size
# with a tent filter (bilinear where it grows, area-weighted where it
# shrinks). A pixel that differs by more than 12 % is a dash; a filtered
# resample differs from ours by rounding only.
judge_picture() {
  local what=$1 shot=$2 bitmap=$3 name=$4 line x y w h rmse dashes total
  line=$(grep -m1 '^control .* bitmap=1' <<<"$LIST")
  x=$(harness_field "$line" csx) y=$(harness_field "$line" csy)
  w=$(harness_field "$line" cw) h=$(harness_field "$line" ch)
  if [ -z "$w" ] || [ -z "$h" ] || [ "$w" -le 0 ] || [ "$h" -le 0 ]; then
    harness_fail "$what: the picture control and its client area are found"
    return
  fi
  convert "$(art "$shot")" -crop "${w}x${h}+${x}+${y}" +repage "$(art "shown_$name.png")"
  convert "$CONTENT/$bitmap" -filter Triangle -resize "${w}x${h}!" "$(art "expected_$name.png")"
  rmse=$(compare -metric RMSE "$(art "shown_$name.png")" "$(art "expected_$name.png")" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
  dashes=$(compare -metric AE -fuzz 12% "$(art "shown_$name.png")" "$(art "expected_$name.png")" null: 2>&1 | sed 's/ .*//')
  total=$((w * h))
  harness_check "$what: the picture shows $bitmap resampled to ${w}x${h}, no dashes ($dashes of $total pixels off by more than 12 %, RMSE $rmse)" \
    eval '[ "${dashes%%.*}" -le $((total / 200)) ] && lt "$rmse" 0.02'
}

for dpi in 96 120 144; do
  harness_wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  harness_reg_clear
  start_config || continue
  echo "$LIST" >"$(art "config_$dpi.txt")"
  # The dialog draws its picture once it is shown.
  sleep 1
  harness_screenshot "config_$dpi.png" || break
  judge_picture "configuration dialog at $dpi DPI" "config_$dpi.png" config.bmp "config_$dpi"
  probe click "$CONFIG_TITLE" "$IDC_ABOUT" >/dev/null
  list_dialog "$ABOUT_TITLE" 10000
  if [ -n "$(ctl "$IDOK")" ]; then
    echo "$LIST" >"$(art "about_$dpi.txt")"
    sleep 1
    harness_screenshot "about_$dpi.png" || break
    judge_picture "About box at $dpi DPI" "about_$dpi.png" about.bmp "about_$dpi"
    probe key "$ABOUT_TITLE" 0x1B >/dev/null
    probe gone "$ABOUT_TITLE" --wait 5000 >/dev/null
  else
    harness_fail "the About box appears at $dpi DPI"
  fi
  probe click "$CONFIG_TITLE" "$IDCANCEL" >/dev/null
  harness_expect_ended "Cancel at $dpi DPI"
done
harness_finish
