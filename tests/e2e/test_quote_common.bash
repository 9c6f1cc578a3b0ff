# Shared by tests/e2e/test_quote_*.sh (sourced after setting HARNESS_SCREEN):
# the saver full screen at the Xvfb size, and after each hit of its first two
# action paths the quote's size on the screen. The text is what the frame
# two seconds after the hit shows as text (white strokes beside a dark rim)
# and the last frame before the hit does not; its box, rows of
# text pixels around the place the log gives for the heart, must give a
# capital height of at least 2 % of the screen height. Screenshots of each
# hit stay in the artifacts (test_quote_<size>/).
# Named .bash so that the test_*.sh glob of CMakeLists.txt leaves it out.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
harness_begin

CONTENT=${CORDELUNE_CONTENT:-$CORDELUNE_BIN/../content}
read -r SCR_W SCR_H <<<"$(sed 's/x/ /; s/x.*//' <<<"$HARNESS_SCREEN")"
LINE1="Meet me where" LINE2="the roses grow" LINE3="at dawn" LINE4="Yours, Ada"
harness_reg_clear
harness_reg_set ShowFPS=1 ShowTime=1 ExitOnMouseMove=1
harness_reg_user_text "$LINE1" "$LINE2" "$LINE3" "$LINE4"

art() { echo "$HARNESS_ARTIFACTS/$1"; }
# heart_at T: "x y state" of the last frame presented at or before T that
# showed the heart or its quote.
heart_at() { harness_log_lines | awk -F'\t' -v t="$1" '$1 == "heart at" && $2 <= t { p = $3 " " $4 " " $5 } END { print p }'; }
# wait_frame_after T MS: until a frame at or after T showed the heart or quote.
wait_frame_after() {
  local start; start=$(harness_now_ms)
  until harness_log_lines | awk -F'\t' -v t="$1" '$1 == "heart at" && $2 >= t { f = 1 } END { exit !f }'; do
    harness_saver_alive || return 2
    [ $(( $(harness_now_ms) - start )) -ge "$2" ] && return 1
    sleep 0.05
  done
}
# path_start T: the start time of the camera path current at time T.
path_start() { harness_log_lines | awk -F'\t' -v t="$1" '$1 == "camera" && $3 <= t { s = $3 } END { print s }'; }
mean_fps() { harness_log_lines | awk -F'\t' -v t="$1" '$1 == "fps" && $3 >= t { s += $2; n++ } END { printf "%d", n ? s / n : 0 }'; }
# lines_of FIRST: how many text lines the quote whose first line is FIRST has.
lines_of() {
  if [ "$1" = "$LINE1" ]; then echo 4; return; fi
  tr -d '\r' <"$CONTENT/quotes.txt" | tr '\n' ' ' | sed 's/%/\n/g' |
    awk -v first="$1" '{ n = split($0, l, "&"); t = l[1]; gsub(/^ +| +$/, "", t); gsub(/  +/, " ", t)
                          if (t == first) { c = 0; for (i = 1; i <= n; i++) { s = l[i]; gsub(/ /, "", s); if (s != "") c++ }; print c; exit } }'
}

# judge_hit K: the Kth hit of the run.
judge_hit() {
  local k=$1 i=0 from to t0 hit first lines prehit= prehit_at=0 due launch fps x y st
  harness_wait_log_count "heart launched" "$k" 150000 || { harness_fail "heart $k is launched"; return; }
  launch=$(harness_log_field "heart launched" 2 "$k")
  t0=$(path_start "$launch")
  # Screenshots until the hit, three kept in turn (the hit reaches the log a
  # little after it happens): the last one wholly before it.
  rm -f "$(art prehit_)"*
  while [ "$(harness_log_count hit)" -lt "$k" ] && [ $i -lt 900 ] && harness_shot_timed "prehit_$((i % 3)).ppm"; do
    echo "$SHOT_FROM $SHOT_TO" >"$(art "prehit_$((i % 3)).span")"
    i=$((i + 1))
    [ $(( $(harness_saver_clock_ms) - t0 )) -gt $((800 * 33)) ] && break  # the path is over
  done
  if ! harness_wait_log_count hit "$k" 3000; then
    fps=$(mean_fps "$launch")
    if [ "$fps" -lt 20 ]; then harness_not_judged "hit $k: the quote's size" "no hit: the saver drew $fps frames a second"
    else harness_fail "heart $k is hit during its action path (at $fps frames a second)"; fi
    return
  fi
  hit=$(harness_log_field hit 2 "$k")
  first=$(harness_log_field hit 3 "$k" | sed 's/^ *//; s/ *$//')
  for i in 0 1 2; do
    [ -f "$(art "prehit_$i.span")" ] || continue
    read -r from to <"$(art "prehit_$i.span")"
    if [ "$to" -lt "$hit" ] && [ "$from" -gt "$prehit_at" ]; then prehit=prehit_$i.ppm prehit_at=$from; fi
  done
  # Two seconds after the hit, and the camera at its reading place (key 270).
  due=$((hit + 2000))
  [ $due -lt $((t0 + 270 * 33)) ] && due=$((t0 + 270 * 33))
  if [ -z "$prehit" ]; then
    harness_not_judged "hit $k: the quote's size" "no screenshot before the hit"; return
  fi
  if [ $due -gt $((t0 + 740 * 33)) ]; then
    harness_not_judged "hit $k: the quote's size" "the hit came $(( (hit - t0) / 1000 )) s into its path, too late to read it there"; return
  fi
  wait_frame_after "$due" 20000 && harness_shot_timed "quote_$k.ppm" || { harness_fail "hit $k: a screenshot of the quote"; return; }
  if [ "$SHOT_TO" -gt $((t0 + 740 * 33)) ]; then
    harness_not_judged "hit $k: the quote's size" "the screenshot came after its path's cross-fade began"; return
  fi
  read -r x y st <<<"$(heart_at "$SHOT_FROM")"
  convert "$(art "$prehit")" "$(art "before_hit_$k.png")"
  convert "$(art "quote_$k.ppm")" "$(art "quote_$k.png")"
  lines=$(lines_of "$first")
  # 8 bits a channel for the measurement, whatever import wrote.
  convert "$(art "$prehit")" -depth 8 "$(art before.ppm)"
  convert "$(art "quote_$k.ppm")" -depth 8 "$(art after.ppm)"
  read -r box_w box_h cap <<<"$(text_box "$(art before.ppm)" "$(art after.ppm)" "${x:--1}" "${y:--1}" "${lines:-0}")"
  rm -f "$(art before.ppm)" "$(art after.ppm)"
  echo "hit $k: \"$first\" ($lines lines) at $x,$y: box ${box_w}x$box_h, capitals $cap px" >>"$(art sizes.txt)"
  harness_check "hit $k: the quote (\"$first\", ${lines:-?} lines) is ${box_w}x$box_h pixels, capitals about $cap px ($(awk -v c="$cap" -v h=$SCR_H 'BEGIN { printf "%.2f", 100 * c / h }') % of $SCR_H), at least 2 %" \
    awk -v c="$cap" -v h=$SCR_H -v n="${lines:-0}" 'BEGIN { exit !(n > 0 && c >= 0.02 * h) }'
  rm -f "$(art prehit_)"* "$(art "quote_$k.ppm")"
}

# text_box BEFORE AFTER X Y LINES: "width height capitals" in pixels of the
# quote in AFTER. Text pixels: white strokes beside their dark rim in AFTER,
# not so in BEFORE, in the part of the screen where the quote stands above
# the heart; the box holds the group of rows with at least a few of them
# (loose petals and sparkles are single pixels). The capitals follow from the
# box: rows are 118/62 units apart, a glyph's ink from its capitals' top to
# its descenders' foot spans 55 of the 63 rows of the glyph box, and the
# capitals 44 of them.
text_box() {
  python3 - "$@" "$SCR_W" "$SCR_H" <<'PY'
import sys
before, after, x, y, lines, w, h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]), int(sys.argv[7])
def pixels(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace(): pos += 1
        start = pos
        while not data[pos:pos + 1].isspace(): pos += 1
        fields.append(data[start:pos])
    return int(fields[1]), int(fields[2]), data[pos + 1:]
bw, bh, b = pixels(before)
aw, ah, a = pixels(after)
def luma(p, xx, yy):
    i = 3 * (yy * aw + xx)
    return 0.299 * p[i] + 0.587 * p[i + 1] + 0.114 * p[i + 2]
# A stroke: a white pixel with its dark rim within two pixels. The lit edges
# of clouds are near white too, but soft.
def text(p, xx, yy):
    i = 3 * (yy * aw + xx)
    if not (p[i] > 215 and p[i + 1] > 215 and p[i + 2] > 215): return False
    l = luma(p, xx, yy)
    return any(luma(p, xx + dx, yy + dy) < l - 60 for dx in (-2, 0, 2) for dy in (-2, 0, 2)
               if 0 <= xx + dx < aw and 0 <= yy + dy < ah)
# The quote stands above the heart: half the screen wide either side, from a
# third of the screen above it to a tenth below.
x0, x1 = max(0, x - w // 2), min(aw, x + w // 2)
y0, y1 = max(0, y - h // 3), min(ah, y + h // 10)
if x < 0 or y < 0 or x0 >= x1 or y0 >= y1 or (bw, bh) != (aw, ah):
    print(0, 0, 0); sys.exit()
found = set()
for yy in range(y0, y1):
    for xx in range(x0, x1):
        if text(a, xx, yy) and not text(b, xx, yy):
            found.add((xx, yy))
rows = {}
for xx, yy in found:
    rows[yy] = rows.get(yy, 0) + 1
# The quote's lines follow each other closer than 4 % of the screen height
# (at the reading distance a line takes about 4 %, its strokes most of it);
# the cupid, petals or a cloud's bright edge elsewhere make groups of their
# own. The group with the most text pixels is the quote.
gap = max(3, h * 4 // 100)
groups, run = [], []
for yy in sorted(k for k, n in rows.items() if n >= 3):
    if run and yy - run[-1] > gap:
        groups.append(run); run = []
    run.append(yy)
if run: groups.append(run)
if not groups or lines <= 0:
    print(0, 0, 0); sys.exit()
best = max(groups, key=lambda g: sum(rows[r] for r in g))
top, bottom = best[0], best[-1]
cols = {}
for xx, yy in found:
    if top <= yy <= bottom: cols[xx] = cols.get(xx, 0) + 1
rx = sorted(k for k, n in cols.items() if n >= 2)
height = bottom - top + 1
pitch = height / (lines - 1 + 55 / 63)
print(rx[-1] - rx[0] + 1 if rx else 0, height, round(pitch * 44 / 63, 1))
PY
}

harness_run_saver "$HARNESS_SAVER_SCR" /s
if ! harness_wait_log "first frame" 90000; then
  harness_fail "the scene starts (first frame logged)"
  harness_finish
fi
harness_pass "the scene starts (first frame logged)"
for k in 1 2; do
  harness_saver_alive || break
  judge_hit "$k"
done
if harness_still_running "the key that ends the run"; then
  harness_key space
  harness_wait_exit 10000 || harness_kill_saver
fi
harness_finish
