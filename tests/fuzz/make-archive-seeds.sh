#!/usr/bin/env bash
# Regenerates the seed archives of the archive fuzz targets with our own
# writer:  tests/fuzz/make-archive-seeds.sh build/native/bin/cordelune-pak
set -euo pipefail
PAK=${1:?path to cordelune-pak}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

python3 - <<'PY'
import math
open('text.txt', 'w').write(('love and the sky, ' * 7 + 'a heart drifts over the night.\n') * 6)
open('stereo.raw', 'wb').write(bytes(
    int(128 + (90 if c == 0 else 50) * math.sin(i / (7.0 if c == 0 else 3.0))) & 255
    for i in range(400) for c in (0, 1)))
pcm16 = bytearray()
for i in range(500):
    for v in (int(9000 * math.sin(i / 5.0)), int(4000 * math.sin(i / 11.0))):
        pcm16 += (v & 0xFFFF).to_bytes(2, 'little')
open('pcm16.raw', 'wb').write(bytes(pcm16))
open('tiny.bin', 'wb').write(b'foo\n')
open('empty.bin', 'wb').close()
open('image.tga', 'wb').write(bytes([0, 0, 2] + [0] * 9 + [16, 0, 8, 0, 32, 8]) +
                              bytes((x * 16 + y) & 255 for y in range(8) for x in range(16) for _ in range(4)))
PY

OUT="$HERE/corpus/archive"
mkdir -p "$OUT"
rm -f "$OUT"/*.rar
"$PAK" pack "$OUT/stored.rar" text.txt tiny.bin empty.bin -m0
"$PAK" pack "$OUT/fastest.rar" text.txt image.tga -m1
"$PAK" pack "$OUT/normal.rar" text.txt tiny.bin -m3
"$PAK" pack "$OUT/best.rar" text.txt image.tga -m5
"$PAK" pack "$OUT/audio8.rar" stereo.raw -m3 --audio on
"$PAK" pack "$OUT/audio16.rar" pcm16.raw -m3 --audio on
"$PAK" pack "$OUT/solid.rar" text.txt image.tga tiny.bin -m3 --solid
"$PAK" pack "$OUT/digits.rar" image.tga tiny.bin -m1 -p "MQ P5P ZZ" --dir Digits
"$PAK" pack "$OUT/enciphered-solid.rar" text.txt stereo.raw -m3 --solid -p "MQ P5P ZZ"
"$PAK" pack "$OUT/enciphered-stored.rar" text.txt -m0 -p "MQ P5P ZZ"
cp "$HERE/../data/rar2-unix-owner.rar" "$OUT/"  # made by a real RAR 2.x archiver

# The stream target takes [unpacked size / 4, 16 bits][choice][packed data].
STREAM="$HERE/corpus/fuzz_archive_stream"
mkdir -p "$STREAM"
rm -f "$STREAM"/*.bin
python3 - "$OUT" "$STREAM" <<'PY'
import struct, sys, os
src, dst = sys.argv[1], sys.argv[2]
for name in ('normal', 'best', 'audio8', 'audio16', 'fastest'):
    a = open(os.path.join(src, name + '.rar'), 'rb').read()
    pos = 20
    head, pack, unp = struct.unpack_from('<HII', a, pos + 5)
    data = a[pos + head:pos + head + pack]
    open(os.path.join(dst, name + '.bin'), 'wb').write(struct.pack('<HB', (unp + 3) // 4, 0) + data)
PY
ls -l "$OUT" "$STREAM"
