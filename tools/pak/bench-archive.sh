#!/usr/bin/env bash
# Benchmarks of the archive code (figures, not tests):
#  1. decoding: `cordelune-pak extract` against `unar` on one archive of about
#     20 MB, whole-process times in the same run, plus the in-process figure;
#  2. sizes: our best setting against gzip -9 and xz -6 on a text, a PCM and
#     (when assetgen is built) the saver's own asset corpus; audio mode
#     against plain LZ on PCM;
#  3. packing speed at the default setting (-m3).
# Usage: tools/pak/bench-archive.sh [NATIVE_BUILD_DIR]   (default: build/native)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=$(cd "${1:-$ROOT/build/native}" && pwd)/bin
PAK=$BIN/cordelune-pak
BENCH=$BIN/cordelune-pak-bench
for t in "$PAK" "$BENCH"; do [ -x "$t" ] || { echo "missing $t (build the native preset)" >&2; exit 1; }; done
for t in unar gzip xz python3; do command -v $t >/dev/null || { echo "missing $t" >&2; exit 1; }; done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

size() { stat -c %s "$1"; }
mb() { awk -v b="$1" 'BEGIN { printf "%.2f", b / 1e6 }'; }
# Best of three: "wall user+sys" seconds of a command.
timed() {
    local best="" line
    for _ in 1 2 3; do
        /usr/bin/time -f "%e %U %S" -o "$WORK/.time" "$@" >/dev/null 2>&1
        line=$(tail -1 "$WORK/.time")
        best=$(printf '%s\n%s\n' "$best" "$(echo "$line" | awk '{ printf "%.3f %.3f", $1, $2 + $3 }')" |
               awk 'NF { if (!b || $1 < bw) { b = $0; bw = $1 } } END { print b }')
    done
    echo "$best"
}

echo "== corpora"
{ cat /usr/share/common-licenses/* 2>/dev/null || true
  find /usr/lib/python3* -name '*.py' 2>/dev/null | sort | xargs cat 2>/dev/null || true; } | head -c 8000000 > text.txt
python3 - <<'PY'
import math, random, array
random.seed(7)
# 30 s of 16-bit stereo at 44.1 kHz: decaying plucked notes over a soft pad.
rate, n = 44100, 44100 * 30
notes = [220.0 * 2 ** (k / 12) for k in (0, 3, 7, 10, 12, 15, 19, 22)]
out = array.array('h')
ph = [0.0] * 4
for i in range(n):
    t = i / rate
    k = int(t * 4) % len(notes)
    f = notes[k]
    env = math.exp(-(t * 4 % 1.0) * 4)
    l = 0.35 * env * math.sin(2 * math.pi * f * t) + 0.12 * math.sin(2 * math.pi * 110 * t)
    r = 0.30 * env * math.sin(2 * math.pi * f * 1.5 * t + 0.3) + 0.12 * math.sin(2 * math.pi * 110.5 * t)
    l += random.gauss(0, 0.003); r += random.gauss(0, 0.003)
    out.append(int(max(-1, min(1, l)) * 32000)); out.append(int(max(-1, min(1, r)) * 32000))
open('pcm16.raw', 'wb').write(out.tobytes())
# 40 s of 8-bit mono at 22.05 kHz: speech-like formants with noise.
b = bytearray()
for i in range(22050 * 40):
    t = i / 22050
    v = (0.4 * math.sin(2 * math.pi * 140 * t) * (0.6 + 0.4 * math.sin(2 * math.pi * 3 * t))
         + 0.2 * math.sin(2 * math.pi * 700 * t + math.sin(t)) + random.gauss(0, 0.03))
    b.append(int(128 + max(-1, min(1, v)) * 120) & 255)
open('pcm8.raw', 'wb').write(bytes(b))
PY
cat pcm16.raw pcm8.raw > pcm.raw
mkdir -p assets
if [ -x "$BIN/assetgen" ] && "$BIN/assetgen" --res "$ROOT/res" --out gen >/dev/null 2>&1 && [ -f gen/media.rar ]; then
    "$PAK" list gen/media.rar | awk 'NR > 2 { print $NF }' | while read -r e; do
        "$PAK" extract gen/media.rar "$e" -o "assets/$e"
    done
    for f in gen/*; do [ -f "$f" ] || continue; case "$f" in *.rar) ;; *) cp "$f" assets/ ;; esac; done
fi
echo "text $(mb $(size text.txt)) MB, PCM $(mb $(size pcm.raw)) MB, assets $(mb $(du -cb assets/* 2>/dev/null | tail -1 | cut -f1)) MB"

echo
echo "== 1. decoding (one archive, one entry)"
head -c 26000000 <(cat text.txt text.txt text.txt text.txt) > mix.dat
cat pcm16.raw pcm16.raw >> mix.dat
head -c 6000000 /dev/urandom >> mix.dat
"$PAK" pack mix.rar mix.dat -m3
echo "archive $(mb $(size mix.rar)) MB packed, $(mb $(size mix.dat)) MB unpacked"
mkdir -p u
read -r ow oc < <(timed sh -c "'$PAK' extract mix.rar mix.dat > out.dat")
read -r uw uc < <(timed unar -q -f -D -o u mix.rar)
cmp -s out.dat mix.dat && cmp -s u/mix.dat mix.dat || { echo "extraction differs!" >&2; exit 1; }
awk -v s="$(size mix.dat)" -v ow="$ow" -v oc="$oc" -v uw="$uw" -v uc="$uc" 'BEGIN {
    printf "cordelune-pak extract: %.3f s wall, %.3f s CPU (%.1f MB/s wall)\n", ow, oc, s / ow / 1e6
    printf "unar:                  %.3f s wall, %.3f s CPU (%.1f MB/s wall)\n", uw, uc, s / uw / 1e6
    printf "ratio unar/ours: %.2f wall, %.2f CPU\n", uw / ow, uc / oc }'
echo "in-process: $("$BENCH" mix.rar -n 3)"

echo
echo "== 2. sizes (bytes)"
printf "%-8s %10s %10s %10s %10s %10s %10s\n" corpus input "ours -m5" "ours -m3" "gzip -9" "xz -6" "ours/gzip"
row() {
    local name=$1; shift
    local in=$1 best=$2 def=$3 gz=$4 xzs=$5
    printf "%-8s %10d %10d %10d %10d %10d %10.3f\n" "$name" "$in" "$best" "$def" "$gz" "$xzs" \
        "$(awk -v a="$best" -v b="$gz" 'BEGIN { print a / b }')"
}
for c in text pcm; do
    f=$c.txt; [ $c = pcm ] && f=pcm.raw
    "$PAK" pack b5.rar "$f" -m5
    "$PAK" pack b3.rar "$f" -m3
    row $c "$(size $f)" "$(size b5.rar)" "$(size b3.rar)" "$(gzip -9 -c $f | wc -c)" "$(xz -6 -c $f | wc -c)"
done
if ls assets/* >/dev/null 2>&1; then
    tar -cf assets.tar -C assets .
    "$PAK" pack b5.rar assets/* -m5 --solid
    "$PAK" pack b3.rar assets/* -m3
    row assets "$(size assets.tar)" "$(size b5.rar)" "$(size b3.rar)" "$(gzip -9 -c assets.tar | wc -c)" "$(xz -6 -c assets.tar | wc -c)"
    echo "(assets: ours -m5 solid, -m3 not solid; gzip and xz of a tar)"
fi
for mode in auto on off; do "$PAK" pack "pcm-$mode.rar" pcm.raw -m5 --audio $mode; done
echo "PCM, ours -m5: audio auto $(size pcm-auto.rar), on $(size pcm-on.rar), off (plain LZ) $(size pcm-off.rar)"

echo
echo "== 3. packing speed at the default setting (-m3)"
for f in text.txt pcm.raw mix.dat; do
    read -r w c < <(timed "$PAK" pack p.rar "$f")
    awk -v s="$(size $f)" -v w="$w" -v c="$c" -v f="$f" \
        'BEGIN { printf "%-9s %7.2f MB: %.3f s wall, %.3f s CPU: %.1f MB/s wall, %.1f MB/s CPU\n", f, s / 1e6, w, c, s / w / 1e6, s / c / 1e6 }'
done
echo "(load average: $(cut -d' ' -f1-3 /proc/loadavg))"
