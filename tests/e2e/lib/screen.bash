# Screenshots and their pixels (sourced by harness.sh).
#   harness_screenshot FILE (a FAIL when the saver had ended or no picture came)
#   harness_pixel FILE X Y, harness_count_color FILE '#RRGGBB'
#   harness_shot_timed FILE (quick, raw; its time span in SHOT_FROM and SHOT_TO)

# harness_screenshot FILE: the whole screen; a bare name goes to the artifacts.
# A screenshot meant to show the saver first checks that the saver still
# runs (HARNESS_SAVER_PID, or the pid in HARNESS_SHOT_PID when another
# process shows the picture); either fault is a FAIL and status 1.
harness_screenshot() {
  local file=$1 pid=${HARNESS_SHOT_PID:-$HARNESS_SAVER_PID}
  case "$file" in */*) ;; *) file=$HARNESS_ARTIFACTS/$file ;; esac
  rm -f "$file"
  if [ -n "$pid" ] && ! harness_alive "$pid"; then
    harness_fail "screenshot $(basename "$file"): the process it should show had ended"
    return 1
  fi
  if ! import -window root "$file" 2>"$HARNESS_TMP/import.txt" || [ ! -s "$file" ]; then
    harness_fail "screenshot $(basename "$file") could not be taken: $(head -c 200 "$HARNESS_TMP/import.txt")"
    return 1
  fi
}

# harness_count_color FILE '#RRGGBB': how many pixels have exactly that colour.
harness_count_color() {
  local n
  n=$(convert "$1" -alpha off -depth 8 -format %c histogram:info:- 2>/dev/null |
      grep -iF " $2 " | head -n1 | sed 's/^ *\([0-9]*\):.*/\1/')
  echo "${n:-0}"
}

# harness_pixel FILE X Y: '#RRGGBB' of one pixel.
harness_pixel() {
  convert "$1[1x1+$2+$3]" -alpha off -depth 8 txt:- 2>/dev/null | tail -n1 | grep -o '#[0-9A-Fa-f]\{6\}'
}

# harness_shot_timed FILE: a screenshot of the running saver into the
# artifacts; sets SHOT_FROM and SHOT_TO to its time span (harness_saver_clock_ms).
# Name it .ppm: raw is quick, where compressing a PNG takes longer than a
# cross-fade's half. Status 1 when the saver had ended or no picture came.
harness_shot_timed() {
  harness_saver_alive || return 1
  SHOT_FROM=$(harness_saver_clock_ms)
  import -window root "$HARNESS_ARTIFACTS/$1" 2>/dev/null || return 1
  SHOT_TO=$(harness_saver_clock_ms)
  [ -s "$HARNESS_ARTIFACTS/$1" ]
}
