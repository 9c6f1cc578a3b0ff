#!/usr/bin/env bash
# The scene as a user sees it, full screen at 1024x768 with the real content:
# the loading screen comes first, then direct frames (never the magenta of a
# missing sky) with the sky, the cupid, the clock and the FPS counter; the
# first action path launches the heart, the cupid shoots it and the user's own
# four lines appear; a later hit shows a quotation; a cross-fade blends two
# paths. The screenshots stay in the artifacts (test_scene/).
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

CONTENT=${CORDELUNE_CONTENT:-$CORDELUNE_BIN/../content}
DIGIT_PASSWORD='MQ P5P ZZ'
SCR_W=1024 SCR_H=768
LINE1="Meet me where" LINE2="the roses grow" LINE3="at dawn" LINE4="Yours, Ada"

# Registry booleans: 2 is on, 1 is off. The shipped 12-hour clock, FPS counter on.
harness_reg_clear
harness_reg_set ShowFPS=2 ShowTime=2 ExitOnMouseMove=1
harness_reg_user_text "$LINE1" "$LINE2" "$LINE3" "$LINE4"

art() { echo "$HARNESS_ARTIFACTS/$1"; }
# count_where FILE GEOMETRY EXPR: pixels of the crop for which the fx EXPR holds.
count_where() {
  convert "$1" -crop "$2" +repage -alpha off -fx "($3)?1:0" -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
# rmse A B: normalised root-mean-square difference of two images of one size.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
lt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
# temp_files PATTERN: files of that name in the prefix's temporary folders.
temp_files() {
  find "$WINEPREFIX/drive_c" -ipath '*temp*' -iname "$1" -type f 2>/dev/null | tr '\n' ' ' | sed 's/ $//'
}
# no_magenta FILE: the frame shows no pixel of the missing-sky clear colour.
no_magenta() { [ "$(harness_count_color "$1" '#FF00FF')" = 0 ]; }

rm -f $(temp_files 'frf*.tmp')  # left by runs killed earlier in this prefix
harness_run_saver "$HARNESS_SAVER_SCR" /s

# --- the loading screen ------------------------------------------------------
# Raw screenshots (quick to take) from the loading screen's draw until the
# first scene frame is logged; the one whose corner matches best is kept.
n_load=0
harness_wait_log "EE_Core_DrawLoading" 30000
while ! harness_log_has "first frame" && [ $n_load -lt 300 ] && harness_saver_alive; do
  n_load=$((n_load + 1))
  import -window root "$(art "load_$n_load.ppm")" 2>/dev/null
done
# The corner image as it should look: the background stretched over the
# screen, the corner image blended over its bottom right 256x128.
convert "$CONTENT/loading_bg.jpg" -resize ${SCR_W}x${SCR_H}\! -crop 256x128+768+640 +repage \
  \( "$CONTENT/loading_corner.tga" -auto-orient \) -compose over -composite "$(art expected_corner.png)"
LOADING= D_LOAD=1
for i in $(seq 1 $n_load); do
  [ -f "$(art "load_$i.ppm")" ] || continue
  convert "$(art "load_$i.ppm")" -crop 256x128+768+640 +repage "$(art corner_try.png)" 2>/dev/null
  d=$(rmse "$(art corner_try.png)" "$(art expected_corner.png)")
  if [ -n "$d" ] && lt "$d" "$D_LOAD"; then D_LOAD=$d LOADING=$i; fi
done
[ -n "$LOADING" ] && convert "$(art "load_$LOADING.ppm")" "$(art loading.png)"
rm -f "$(art corner_try.png)" "$(art load_)"*.ppm
harness_check "the scene starts (first frame logged)" harness_wait_log "first frame" 60000
QUOTE_FILES=$(temp_files 'frf*.tmp')
harness_check "the quotations' temporary file is gone once the scene runs (${QUOTE_FILES:-none left})" \
  [ -z "$QUOTE_FILES" ]
# Two ticks of the saver's one-second timer: the scene has run a while.
harness_wait_log_count fps 2 20000
harness_screenshot direct_1.png || harness_finish
HOUR_1=$(date +%I)
convert "$(art direct_1.png)" -crop 256x128+768+640 +repage "$(art scene_corner.png)"
D_SCENE=$(rmse "$(art scene_corner.png)" "$(art expected_corner.png)")
harness_check "before the first scene frame the loading screen shows the corner image at 768-1024 x 640-768 ($n_load screenshots, best difference $D_LOAD)" \
  lt "$D_LOAD" 0.1
harness_check "the corner image is gone once the scene runs (difference $D_SCENE)" lt "$D_LOAD" "$D_SCENE"

# --- a direct frame: sky, cupid, clock, FPS counter -----------------------------
harness_check "a direct frame has no magenta pixel" no_magenta "$(art direct_1.png)"
SKY=$(convert "$(art direct_1.png)" -crop 1024x200+0+60 +repage -format '%[fx:mean]' info:)
COLOURS=$(convert "$(art direct_1.png)" -alpha off -format %k info:)
harness_check "the sky fills the top of the screen (mean brightness $SKY)" lt 0.25 "$SKY"
harness_check "the picture is a rich scene, not a flat fill ($COLOURS colours)" [ "$COLOURS" -gt 5000 ]
# The shipped clock is the 12-hour one: cells at 0.663 + i * 0.037 of the
# width from 0.92 of the height, no leading zero, the am or pm sign at 0.959.
# Digits are bright and grey, unlike the sky behind them.
DIGIT='r>0.7&&g>0.7&&b>0.7&&abs(r-b)<0.12&&abs(r-g)<0.12'
cell_geometry() { echo "36x36+$(awk -v i="$1" -v x0="$2" -v y0="$3" 'BEGIN { printf "%d+%d", (x0 + i * 0.037) * 1024, y0 * 768 }')"; }
digit_pixels() { count_where "$1" "$(cell_geometry "$2" 0.663 0.92)" "$DIGIT"; }
clock_ok=1 cells="1 3 4 6 7"
[ "${HOUR_1:0:1}" = 1 ] && cells="0 $cells"
for i in $cells; do
  n=$(digit_pixels "$(art direct_1.png)" "$i")
  [ "${n:-0}" -ge 15 ] || clock_ok=0
done
n0=$(digit_pixels "$(art direct_1.png)" 0)
[ "${HOUR_1:0:1}" = 0 ] && [ "${n0:-0}" -ge 15 ] && clock_ok=0
harness_check "the 12-hour clock shows a digit in each of its digit cells, no leading zero (hour $HOUR_1)" [ $clock_ok = 1 ]
# The am/pm sign: its cell correlates better with the sign of the hour than
# with the other sign (both images straight from the digit archive, read with
# unar, on black as the shadow pass leaves them).
AMPM_WANT=$(date +%p | tr A-Z a-z)
AMPM_OTHER=$([ "$AMPM_WANT" = am ] && echo pm || echo am)
unar -q -f -p "$DIGIT_PASSWORD" -o "$(art digits)" "$CONTENT/digits.rar" >/dev/null 2>&1
sign_image() {
  convert "$(art digits)/Digits/digit_$1.tga" -auto-orient -background black -alpha remove \
    -colorspace gray -resize 38x37\! "$(art "sign_$1.png")" 2>/dev/null
}
sign_image am && sign_image pm
convert "$(art direct_1.png)" -crop 38x37+982+707 +repage -colorspace gray "$(art sign_shown.png)"
ncc() { compare -metric NCC "$(art sign_shown.png)" "$(art "sign_$1.png")" null: 2>&1; }
NCC_WANT=$(ncc "$AMPM_WANT") NCC_OTHER=$(ncc "$AMPM_OTHER")
harness_check "the clock shows the $AMPM_WANT sign (correlation $NCC_WANT with $AMPM_WANT, $NCC_OTHER with $AMPM_OTHER)" \
  awk -v a="$NCC_WANT" -v b="$NCC_OTHER" 'BEGIN { exit !(a > 0.5 && a > b + 0.05) }'
rm -rf "$(art digits)" "$(art sign_)"*.png
# The seconds run: the last cell changes by the timer's next ticks.
harness_wait_log_count fps $(( $(harness_log_count fps) + 2 )) 10000
harness_screenshot direct_2.png || harness_finish
mask() { convert "$1" -crop "$2" +repage -alpha off -fx "($DIGIT)?1:0" "$3"; }
# Both seconds cells: on a slow machine the two pictures may lie a multiple
# of ten seconds apart, with the same last digit.
CHANGED=0
for i in 6 7; do
  mask "$(art direct_1.png)" "$(cell_geometry $i 0.663 0.92)" "$(art sec_1.png)"
  mask "$(art direct_2.png)" "$(cell_geometry $i 0.663 0.92)" "$(art sec_2.png)"
  n=$(compare -metric AE "$(art sec_1.png)" "$(art sec_2.png)" null: 2>&1)
  CHANGED=$((CHANGED + ${n%%.*}))
done
harness_check "the clock's seconds change ($CHANGED pixels of the seconds cells)" [ "$CHANGED" -ge 20 ]
rm -f "$(art sec_1.png)" "$(art sec_2.png)"
FPS_PIXELS=$(count_where "$(art direct_2.png)" "$(cell_geometry 0 0.01 0.01)" "$DIGIT")
harness_check "the FPS counter shows a digit in the top left ($FPS_PIXELS digit pixels)" [ "${FPS_PIXELS:-0}" -ge 15 ]
harness_check "a second direct frame has no magenta pixel" no_magenta "$(art direct_2.png)"

# --- a cross-fade --------------------------------------------------------------
# fade_weights FROM TO: the lowest and highest blend weight the saver logged
# for the frames that could be on the screen between FROM and TO: the last
# one presented before FROM and every one presented up to TO.
fade_weights() {
  tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' -v from="$1" -v to="$2" '
    $1 == "fade frame" && $2 <= from { last = $3 }
    $1 == "fade frame" && $2 > from && $2 <= to { w[n++] = $3 }
    END {
      if (last != "") w[n++] = last
      if (n == 0) exit
      lo = hi = w[0]
      for (i = 1; i < n; i++) { if (w[i] < lo) lo = w[i]; if (w[i] > hi) hi = w[i] }
      print lo, hi
    }'
}
# The first path's fade starts 940 keys of 33 ms after it; the last picture
# before it is the old path alone, the first one after it the new path alone.
# A picture in the fade is explained as a mix of the two with some weight of
# the new path, which must agree with the weight the saver logged for the
# frame on the screen. The cameras move on meanwhile, so the pictures alone
# are taken as close to the fade as the screenshots allow.
T0=$(harness_log_field camera 3 1)
FADE_DUE=$(( ${T0:-0} + 940 * 33 ))
NOW=$(harness_saver_clock_ms)
[ "$NOW" -lt $((FADE_DUE - 3000)) ] && sleep "$(awk -v ms=$((FADE_DUE - 3000 - NOW)) 'BEGIN { print ms / 1000 }')"
# Screenshots until the fade is logged, two kept in turn: the later one that
# ended before the fade began is the old path alone.
i=0
while [ "$(harness_log_count cross-fade)" -lt 1 ] && [ $i -lt 200 ] && harness_shot_timed "fade_pre_$((i % 2)).ppm"; do
  echo "$SHOT_FROM $SHOT_TO" >"$(art "fade_pre_$((i % 2)).span")"
  i=$((i + 1))
done
if harness_wait_log_count cross-fade 1 90000; then
  FADE_FROM=$(harness_log_field cross-fade 2 1)
  BEFORE_TO=
  for i in 0 1; do
    [ -f "$(art "fade_pre_$i.span")" ] || continue
    read -r from to <"$(art "fade_pre_$i.span")"
    if [ "$to" -lt "$FADE_FROM" ] && [ "$to" -gt "${BEFORE_TO:-0}" ]; then
      BEFORE_TO=$to
      mv "$(art "fade_pre_$i.ppm")" "$(art fade_before.ppm)"
    fi
  done
  BEST= BEST_OFF=999 n=0
  while [ "$(harness_log_count "cross-fade end")" -lt 1 ] && [ $n -lt 30 ] && harness_shot_timed "fade_$((n + 1)).ppm"; do
    n=$((n + 1))
    echo "$SHOT_FROM $SHOT_TO" >"$(art "fade_$n.span")"
  done
  harness_wait_log_count "cross-fade end" 1 30000
  harness_shot_timed fade_after.ppm || harness_fail "screenshot after the cross-fade (the saver had ended)"
  AFTER_FROM=$SHOT_FROM
  END_AT=$(harness_log_field "cross-fade end" 2 1)
  # Only now is the whole fade logged: pick the shot whose frames span one
  # narrow range of weights nearest to 0.5.
  for i in $(seq 1 $n); do
    read -r from to <"$(art "fade_$i.span")"
    read -r lo hi <<<"$(fade_weights "$from" "$to")"
    [ -n "${hi:-}" ] || continue
    mid=$(awk -v a="$lo" -v b="$hi" 'BEGIN { printf "%.3f", (a + b) / 2 }')
    off=$(awk -v m="$mid" -v a="$lo" -v b="$hi" 'BEGIN { d = m - 0.5; if (d < 0) d = -d; if (b - a > 0.2) d = 999; printf "%.3f", d }')
    if lt "$off" "$BEST_OFF"; then BEST=$i BEST_OFF=$off LOGGED=$mid LOGGED_SPAN="$lo-$hi"; fi
  done
  if [ -z "${BEFORE_TO:-}" ] || [ "${AFTER_FROM:-0}" -le "${END_AT:-0}" ]; then
    harness_not_judged "a cross-fade frame shows the logged blend" \
      "the pictures of the old and new path alone were not taken outside the fade: before until ${BEFORE_TO:-none}, fade $FADE_FROM-${END_AT:-?}, after from ${AFTER_FROM:-none}"
  elif [ -z "$BEST" ] || lt 0.3 "$BEST_OFF"; then
    harness_not_judged "a cross-fade frame shows the logged blend" \
      "none of $n screenshots caught frames of one blend weight between 0.2 and 0.8"
  else
    for f in before after; do convert "$(art fade_$f.ppm)" "$(art fade_$f.png)"; done
    convert "$(art fade_$BEST.ppm)" "$(art fade_middle.png)"
    # The middle frame as a*old + b*new + c, fitted on coarse blocks (broad
    # areas move little with the cameras, fine detail a lot): the new path's
    # weight is b / (a + b), near 0 or 1 when only one path shows.
    for f in before middle after; do convert "$(art fade_$f.png)" -scale 16x12 -depth 8 "$(art small_$f.ppm)"; done
    WEIGHT=$(python3 - "$(art small_before.ppm)" "$(art small_middle.ppm)" "$(art small_after.ppm)" <<'PY'
import sys
def pixels(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:  # P6, width, height, maximum
        while data[pos:pos + 1].isspace(): pos += 1
        start = pos
        while not data[pos:pos + 1].isspace(): pos += 1
        fields.append(data[start:pos])
    return [float(v) for v in data[pos + 1:]]
old, mid, new = (pixels(p) for p in sys.argv[1:4])
# Least squares by the normal equations, solved by Gauss-Jordan elimination.
cols = [old, new, [1.0] * len(old)]
rows = [[sum(x * y for x, y in zip(ci, cj)) for cj in cols] + [sum(x * y for x, y in zip(ci, mid))] for ci in cols]
for c in range(3):
    p = max(range(c, 3), key=lambda r: abs(rows[r][c]))
    rows[c], rows[p] = rows[p], rows[c]
    if abs(rows[c][c]) < 1e-9: print('-1'); sys.exit()
    for r in range(3):
        if r != c:
            f = rows[r][c] / rows[c][c]
            rows[r] = [x - f * y for x, y in zip(rows[r], rows[c])]
a, b = rows[0][3] / rows[0][0], rows[1][3] / rows[1][1]
print('%.3f' % (b / (a + b) if a + b > 0.3 else -1))
PY
)
    rm -f "$(art small_)"*.ppm
    near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= t) }'; }
    harness_check "a cross-fade frame mixes both paths as logged (fitted weight of the new path $WEIGHT, logged $LOGGED_SPAN)" \
      near "$WEIGHT" "$LOGGED" 0.35
    harness_check "the middle of a cross-fade has no magenta pixel" no_magenta "$(art fade_middle.png)"
  fi
  rm -f "$(art fade_)"*.ppm "$(art fade_)"*.span
else
  rm -f "$(art fade_pre_)"*
  harness_fail "a cross-fade starts within 90 s"
fi

# --- the first action path: launch, the heart rising, shot, hit, the user's lines
# heart_at T: "x y state" of the last frame presented at or before T that
# showed the heart or its quote (x and y are -99999 behind the camera).
heart_at() {
  tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' -v t="$1" '
    $1 == "heart at" && $2 <= t { p = $3 " " $4 " " $5 } END { if (p != "") print p }'
}
# wait_heart_after T MS: until a frame at or after T showed the heart.
wait_heart_after() {
  local start; start=$(harness_now_ms)
  until tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' -v t="$1" '$1 == "heart at" && $2 >= t { f = 1 } END { exit !f }'; do
    harness_saver_alive || return 2
    [ $(( $(harness_now_ms) - start )) -ge "$2" ] && return 1
    sleep 0.05
  done
}
# box X Y W H: a W x H crop geometry centred on X, Y, kept on the screen.
box() {
  awk -v x="$1" -v y="$2" -v w="$3" -v h="$4" -v sw=$SCR_W -v sh=$SCR_H 'BEGIN {
    l = x - w / 2; t = y - h / 2
    if (l < 0) l = 0; if (t < 0) t = 0; if (l + w > sw) l = sw - w; if (t + h > sh) t = sh - h
    printf "%dx%d+%d+%d", w, h, l, t }'
}
on_screen() { [ "${1:--99999}" -ge 0 ] && [ "$1" -lt $SCR_W ] && [ "${2:--99999}" -ge 0 ] && [ "$2" -lt $SCR_H ]; }
# The heart's own colours, and its petals': a deep red, unlike the pink sky.
HEART='r>0.5&&g<0.3&&r>g+0.45&&r>b+0.25'
# The quote's colours: white glyphs in a dark plum rim.
TEXT='(r>0.9&&g>0.9&&b>0.9)||(r<0.45&&g<0.22&&b<0.4&&r>g+0.08&&b>g+0.05)'

# judge_text WHAT FILE_BEFORE T_BEFORE FILE_AFTER T_AFTER: the text's colours
# around the place of the hit grow from the frame before the hit to the frame
# after it, by at least as many pixels as a few short words take.
judge_text() {
  local what=$1 before after nb na xb yb xa ya sb sa
  read -r xb yb sb <<<"$(heart_at "$3")"
  read -r xa ya sa <<<"$(heart_at "$5")"
  if ! on_screen "$xa" "$ya" || ! on_screen "$xb" "$yb"; then
    harness_not_judged "$what shows as text where the heart was hit" "the heart was off the screen (${xb:-?},${yb:-?} / ${xa:-?},${ya:-?})"
    return
  fi
  nb=$(count_where "$(art "$2")" "$(box "$xb" "$yb" 480 240)" "$TEXT")
  na=$(count_where "$(art "$4")" "$(box "$xa" "$ya" 480 240)" "$TEXT")
  harness_check "$what shows as text where the heart was hit ($nb text-coloured pixels around $xb,$yb before the hit, $na around $xa,$ya after)" \
    [ "${na:-0}" -ge $(( ${nb:-0} + 400 )) ]
}

# capture_until_hit K: from launch K on, raw screenshots, two kept in turn,
# until hit K is logged; PREHIT is the last one taken wholly before the hit and PREHIT_AT
# the time it was started.
capture_until_hit() {
  local k=$1 i=0 from to t
  PREHIT= PREHIT_AT= LAUNCH_AT=
  rm -f "$(art prehit_)"*
  harness_wait_log_count "heart launched" "$k" 150000 || return 1
  LAUNCH_AT=$(harness_log_field "heart launched" 2 "$k")
  while [ "$(harness_log_count hit)" -lt "$k" ] && ! path_ended "$LAUNCH_AT" && [ $i -lt 600 ] &&
        harness_shot_timed "prehit_$((i % 2)).ppm"; do
    echo "$SHOT_FROM $SHOT_TO" >"$(art "prehit_$((i % 2)).span")"
    i=$((i + 1))
  done
  harness_wait_log_count hit "$k" 3000 || return 1
  t=$(harness_log_field hit 2 "$k")
  for i in 0 1; do
    [ -f "$(art "prehit_$i.span")" ] || continue
    read -r from to <"$(art "prehit_$i.span")"
    if [ "$to" -lt "$t" ] && [ "$from" -gt "${PREHIT_AT:-0}" ]; then PREHIT=prehit_$i.ppm PREHIT_AT=$from; fi
  done
  [ -n "$PREHIT" ]
}

# path_ended T: a later camera path has started since time T.
path_ended() { tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' -v t="$1" '$1 == "camera" && $3 > t { f = 1 } END { exit !f }'; }
# mean_fps FROM: the mean of the frame rates logged since FROM.
mean_fps() { tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' -v t="$1" '$1 == "fps" && $3 >= t { s += $2; n++ } END { printf "%d", n ? s / n : 0 }'; }
# no_hit WHAT: a path without its hit fails, unless the saver ran so slowly
# that the cupid's animation (one step a frame) could not reach the shot.
no_hit() {
  local fps; fps=$(mean_fps "${LAUNCH_AT:-0}")
  if [ -n "$LAUNCH_AT" ] && [ "$fps" -lt 20 ]; then
    harness_not_judged "$1" "the saver drew only $fps frames a second after the launch"
  else
    harness_fail "$1 (at $fps frames a second)"
  fi
}

# after_hit K FILE: a screenshot once the text of hit K has faded in (1.25 s).
after_hit() {
  local t; t=$(harness_log_field hit 2 "$1")
  wait_heart_after $((t + 1500)) 10000 && harness_shot_timed "$2"
}

FIRST_ACTION=$(tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' '$1 == "camera" && $2 >= 10 { print $2; exit }')
harness_check "the second path is an action path (camera ${FIRST_ACTION:-none})" [ -n "$FIRST_ACTION" ]
if harness_wait_log "heart launched" 30000; then
  T_LAUNCH=$(harness_log_field "heart launched" 2 1)
  # Faded in for 2.5 s of its 3.3 s: clearly visible, still rising.
  if wait_heart_after $((T_LAUNCH + 2500)) 20000 && harness_shot_timed heart_rising.ppm; then
    convert "$(art heart_rising.ppm)" "$(art heart_rising.png)"
    read -r HX HY HS <<<"$(heart_at "$SHOT_FROM")"
    if on_screen "$HX" "$HY"; then
      N_HEART=$(count_where "$(art heart_rising.png)" "$(box "$HX" "$HY" 160 160)" "$HEART")
      N_ALL=$(count_where "$(art heart_rising.png)" ${SCR_W}x${SCR_H}+0+0 "$HEART")
      # Petals elsewhere share the colour, so the heart's place must stand out.
      harness_check "the rising heart shows in its colours where it is ($N_HEART heart-coloured pixels around $HX,$HY, $N_ALL on the screen)" \
        [ "${N_HEART:-0}" -ge 600 -a $(( ${N_HEART:-0} * SCR_W * SCR_H )) -ge $(( 5 * 25600 * ${N_ALL:-1} )) ]
    else
      harness_not_judged "the rising heart shows" "the camera did not look at it (${HX:-?},${HY:-?})"
    fi
  else
    harness_fail "a screenshot of the rising heart"
  fi
fi
if capture_until_hit 1; then
  T_HIT=$(harness_log_field hit 2 1)
  harness_check "the first hit is the user's record (\"$(harness_log_field hit 3 1)\")" [ "$(harness_log_field hit 3 1)" = "$LINE1" ]
  if after_hit 1 hit_user_lines.ppm; then
    convert "$(art hit_user_lines.ppm)" "$(art hit_user_lines.png)"
    convert "$(art "$PREHIT")" "$(art before_hit_1.png)"
    judge_text "the user's lines" before_hit_1.png "$PREHIT_AT" hit_user_lines.png "$SHOT_FROM"
    harness_check "a frame with the text has no magenta pixel" no_magenta "$(art hit_user_lines.png)"
  else
    harness_fail "a screenshot after the first hit"
  fi
else
  no_hit "the heart is hit during the first action path"
fi
ORDER=$(tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' '$1 == "heart launched" || $1 == "shot" || $1 == "hit" { printf "%s,", $1 }' | cut -d, -f1-3)
[ "$(harness_log_count hit)" -ge 1 ] &&
  harness_check "launch, shot and hit come in that order ($ORDER)" [ "$ORDER" = "heart launched,shot,hit" ]

# The FPS value is the number of frames presented in each second: the frames
# that logged the quote between two ticks of the timer, in seconds when the
# quote showed throughout.
FPS_CHECK=$(tr -d '\r' <"$HARNESS_LOG" | awk -F'\t' '
  $1 == "heart at" { n++; if ($5 != 4) bad = 1; next }
  $1 == "fade frame" { bad = 1; next }
  $1 == "fps" { if (seen && !bad && n > 0) { d = $2 - n; if (d < 0) d = -d; if (d > worst) worst = d; k++; pairs = pairs " " $2 "/" n }
                seen = 1; n = 0; bad = 0 }
  END { print k + 0, worst + 0, pairs }')
read -r FPS_SECONDS FPS_WORST FPS_PAIRS <<<"$FPS_CHECK"
if [ "${FPS_SECONDS:-0}" -ge 3 ]; then
  harness_check "the FPS value counts the frames presented in its second (shown/presented:$FPS_PAIRS)" \
    [ "$FPS_WORST" -le 1 ]
else
  harness_not_judged "the FPS value counts the frames presented" "only ${FPS_SECONDS:-0} whole seconds of the quote were logged"
fi

# --- a later hit shows a quotation ----------------------------------------------
if capture_until_hit 2; then
  SECOND=$(harness_log_field hit 3 2 | sed 's/^ *//; s/ *$//')
  is_quote() { [ -n "$1" ] && [ "$1" != "$LINE1" ] && grep -qF -- "$1" "$CONTENT/quotes.txt"; }
  harness_check "a later hit is a quotation (\"$SECOND\")" is_quote "$SECOND"
  if after_hit 2 hit_quote.ppm; then
    convert "$(art hit_quote.ppm)" "$(art hit_quote.png)"
    convert "$(art "$PREHIT")" "$(art before_hit_2.png)"
    judge_text "the quotation" before_hit_2.png "$PREHIT_AT" hit_quote.png "$SHOT_FROM"
  else
    harness_fail "a screenshot after the second hit"
  fi
else
  no_hit "a second action path hits the heart"
fi
rm -f "$(art prehit_)"* "$(art heart_rising.ppm)" "$(art hit_user_lines.ppm)" "$(art hit_quote.ppm)"

# A key ends the run the user's way, so that the saver cleans up after itself.
if harness_still_running "the key that ends the run"; then
  harness_key space
  harness_expect_ended "a key"
fi
harness_finish
