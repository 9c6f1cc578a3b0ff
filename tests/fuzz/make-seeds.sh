#!/usr/bin/env bash
# Regenerates the seed corpora of the parser fuzz targets (all but the archive
# ones, see make-archive-seeds.sh) from our own generated content and small
# hand-made edge cases:
#   tests/fuzz/make-seeds.sh build/native/bin
# Needs the native host tools (assetgen, soundgen, cordelune-pak), python3,
# ImageMagick (convert) and sox.
set -euo pipefail
BIN=$(cd "${1:?folder of the native host tools}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

"$BIN/assetgen" --res "$ROOT/res" --out content >/dev/null
"$BIN/soundgen" --out content >/dev/null
entry() { "$BIN/cordelune-pak" extract content/media.rar "$1" -o "$2" >/dev/null; }

fresh() { rm -rf "$HERE/corpus/$1"; mkdir -p "$HERE/corpus/$1"; echo "$HERE/corpus/$1"; }

# --- meshes and camera paths ---------------------------------------------------
D=$(fresh fuzz_mesh)
for m in glow cloud1 arrow sky; do entry "$m.MODEL" "$D/$m.model"; done
D=$(fresh fuzz_camera_path)
entry camera_action_1.MODEL "$D/camera_action_1.model"
python3 - "$HERE/corpus" <<'PY'
import struct, sys, os
c = sys.argv[1]
def put(d, name, data): open(os.path.join(c, d, name), 'wb').write(data)
f = lambda *v: struct.pack('<%df' % len(v), *v)
u = lambda *v: struct.pack('<%dI' % len(v), *v)
h = lambda *v: struct.pack('<%dH' % len(v), *v)
# F frames of V positions, T texture coordinates, C corners, N triangles.
def mesh(frames, tex, corners, tris):
    out = u(len(frames))
    for fr in frames: out += u(len(fr)) + b''.join(f(*p) for p in fr)
    out += u(len(tex)) + b''.join(f(*t) for t in tex)
    out += u(len(corners)) + b''.join(h(*x) for x in corners)
    out += u(len(tris)) + b''.join(h(*t) for t in tris)
    return out
tri = [(0, 0, 0), (1, 0, 0), (0, 1, 0)]
put('fuzz_mesh', 'one-triangle.model', mesh([tri], [(0, 0), (1, 0), (0, 1)], [(0, 0), (1, 1), (2, 2)], [(0, 1, 2)]))
put('fuzz_mesh', 'two-frames.model', mesh([tri, [(x, y, z + 1) for x, y, z in tri]], [(0, 0)], [(0, 0), (1, 0), (2, 0)], [(0, 1, 2), (2, 1, 0)]))
put('fuzz_mesh', 'no-triangles.model', mesh([tri], [], [], []))
put('fuzz_mesh', 'index-too-big.model', mesh([tri], [(0, 0)], [(3, 0)], [(0, 0, 0)]))
put('fuzz_mesh', 'frame-sizes-differ.model', u(2) + u(1) + f(0, 0, 0) + u(2) + f(0, 0, 0, 1, 1, 1) + u(0, 0, 0))
put('fuzz_mesh', 'huge-counts.model', u(0xFFFFFFFF) + u(0x40000000) + f(1, 2, 3))
put('fuzz_mesh', 'zero-frames.model', u(0, 0, 0, 0))
keys = lambda k: u(k) + b''.join(f(i, 2 * i, 3 * i, 1, 0, 0) for i in range(k))
put('fuzz_camera_path', 'one-key.model', keys(1))
put('fuzz_camera_path', 'twenty-keys.model', keys(20))
put('fuzz_camera_path', 'no-keys.model', u(0))
put('fuzz_camera_path', 'count-beyond-data.model', keys(3)[:-4])
put('fuzz_camera_path', 'huge-count.model', u(0xFFFFFFFF) + f(1, 2, 3, 4, 5, 6))
PY

# --- textures: two argument bytes, then a TGA or JPEG ----------------------------
D=$(fresh fuzz_texture)
seed() { { printf "$1"; cat "$2"; } >"$D/$3"; }
entry 1.tga t32.tga
entry nebo_gradient.tga sky.tga
convert t32.tga -resize 13x7! -alpha off -type TrueColor t24.tga
convert sky.tga -resize 24x10! -quality 80 baseline.jpg
convert sky.tga -resize 17x9! -interlace JPEG -quality 70 progressive.jpg
convert t32.tga -resize 16x16! -alpha off -sampling-factor 2x2 -define jpeg:restart-interval=1 restart.jpg
convert t32.tga -resize 9x5! -colorspace Gray grey.jpg
seed '\x00\x00' t32.tga rgba32-default.bin
seed '\x22\x02' t24.tga rgb24-asked-nonpow2.bin
seed '\x11\x03' sky.tga sky-levels.bin
seed '\x00\x00' baseline.jpg baseline-default.bin
seed '\x44\x01' progressive.jpg progressive-one-level.bin
seed '\x66\x04' restart.jpg restart-from-file.bin
seed '\x55\x02' grey.jpg grey-asked-size.bin
python3 - "$D" <<'PY'
import struct, sys, os
d = sys.argv[1]
def tga(w, h, bits, pixels, footer=False, idlen=0):
    out = bytes([idlen, 0, 2]) + bytes(9) + struct.pack('<HHBB', w, h, bits, 8 if bits == 32 else 0)
    out += b'I' * idlen + pixels
    if footer: out += bytes(8) + b'TRUEVISION-XFILE.\0'
    return out
open(os.path.join(d, 'tga-footer.bin'), 'wb').write(b'\x00\x00' + tga(3, 2, 32, bytes(range(24)), True, 5))
open(os.path.join(d, 'tga-1x1.bin'), 'wb').write(b'\x33\x05' + tga(1, 1, 24, b'\x10\x20\x30'))
open(os.path.join(d, 'tga-truncated.bin'), 'wb').write(b'\x00\x00' + tga(4, 4, 24, bytes(20)))
open(os.path.join(d, 'tga-4096-wide.bin'), 'wb').write(b'\x00\x00' + tga(4096, 1, 24, bytes(4096 * 3)))
PY

# --- text files -----------------------------------------------------------------------
D=$(fresh fuzz_defaults)
cp content/def_settings.txt "$D/shipped.txt"
printf 'Music = TRUE ;x\rMW\t= 8 00;\rno equals sign\r\r;comment\r  \t \rMusicVolume = -2147483649;\r' >"$D/cr-lines.txt"
printf 'ShowFPS=true;\nShowTime=false;\nlone=LF\r\n\xcf\xf0\xe8\xe2\xe5\xf2=1\r\n' >"$D/lf-and-cp1251.txt"
python3 -c "import sys; sys.stdout.write(''.join('k%d=%d;\r\n' % (i, i) for i in range(120)))" >"$D/too-many-pairs.txt"
D=$(fresh fuzz_localization)
cp content/localization.txt "$D/shipped.txt"
printf '\xef\xbb\xbf#About#\r\nAb\xc3\xbcut\r\n#about_window_text#\r\na%%b%%%%c%%d%%e%%f%%g%%h%%i\r\n#last#' >"$D/bom-crlf.txt"
printf '#bad#\n\x80\xbf\xf0\x9f\x98\x80\xe2\x82\n#cut#\n\xc3' >"$D/invalid-utf8.txt"
printf '#\n##\n#a\n' >"$D/short-keys.txt"
D=$(fresh fuzz_quotes)
head -c 1500 content/quotes.txt >"$D/shipped-start.txt"
printf ' one two &\n three & %%\n' >"$D/one-quote.txt"
python3 -c "import sys; sys.stdout.write('w' * 300 + ' & ' + ('word ' * 20 + '& ') * 8 + '%\n')" >"$D/long-token-many-lines.txt"
printf 'unfinished & line\n' >"$D/unfinished.txt"
printf '%% %% & %% &&&' >"$D/markers-only.txt"
D=$(fresh fuzz_command_line)
printf '"C:\\Windows\\Cordelune.scr" /s' >"$D/saver.txt"
printf 'Cordelune.scr /p 123456' >"$D/preview.txt"
printf 'Cordelune.scr /c:1234' >"$D/config.txt"
printf '"unterminated /a -77' >"$D/password.txt"
printf 'x -T' >"$D/test.txt"
printf 'x /' >"$D/bare-slash.txt"
printf 'x /p 99999999999999999999999' >"$D/huge-number.txt"
D=$(fresh fuzz_user_text)
printf 'First line\r\nSecond line\r\nThird line' >"$D/three-lines.txt"
python3 -c "import sys; sys.stdout.write('L' * 70 + '\r\n' + 'short\r\n\r\nfourth\rfifth\n')" >"$D/long-and-extra.txt"
printf 'a\0b\r\nc' >"$D/nul.txt"

# --- registry values: presence bits, thirteen DWORDs, then a stored text ------------
D=$(fresh fuzz_registry_values)
python3 - "$D" <<'PY'
import struct, sys, os
d = sys.argv[1]
def seed(name, present, values, text):
    open(os.path.join(d, name), 'wb').write(struct.pack('<H', present) + struct.pack('<13I', *values) + text)
seed('written.bin', 0x1FFF, [2, 1, 2, 1, 2, 2, 47, 1, 768, 1024, 32, 0, 5], b'Roses are red' + bytes(167))
seed('absent.bin', 0, [0] * 13, b'')
seed('odd-values.bin', 0x1555, [0, 3, 0xFFFFFFFF, 2, 0x80000000, 1, 0xFFFFFFFF, 7, 0x7FFFFFFF, 0, 16, 0xFFFFFFFF, 0xFFFFFFFF], b'x' * 200)
PY

# --- audio --------------------------------------------------------------------------
# corpus/ogg: encoder output at the edges of what the library accepts and
# beyond, and one of the saver's effects.
D=$(fresh ogg)
cp content/shot.ogg "$D/shot.ogg"
sox -n -r 8000 -c 1 -C 0 "$D/mono8k.ogg" synth 0.25 sine 440
sox -n -r 48000 -c 2 -C 0 "$D/stereo48k.ogg" synth 0.25 sine 440 sine 660
sox -n -r 44100 -c 3 -C 0 "$D/three.ogg" synth 0.1 sine 440 2>/dev/null
sox -n -r 96000 -c 1 -C 0 "$D/mono96k.ogg" synth 0.1 sine 440
sox -n -r 7000 -c 1 -C 0 "$D/mono7k.ogg" synth 0.1 sine 440
D=$(fresh fuzz_resampler)
python3 - "$D" <<'PY'
import math, struct, sys, os
d = sys.argv[1]
def pcm(n, hz, rate): return b''.join(struct.pack('<hh', int(9000 * math.sin(2 * math.pi * hz * i / rate)), int(-5000 * math.sin(2 * math.pi * hz * i / rate))) for i in range(n))
code = {8000: 0, 11025: 1, 22050: 2, 44100: 3, 48000: 4, 7999: 5}
def seed(name, rin, rout, n):
    open(os.path.join(d, name), 'wb').write(struct.pack('<HH', code[rin], code[rout]) + pcm(n, 440, rin))
seed('8k-to-44k.bin', 8000, 44100, 400)
seed('48k-to-44k.bin', 48000, 44100, 600)
seed('22k-to-8k.bin', 22050, 8000, 300)
seed('equal.bin', 44100, 44100, 50)
seed('outside.bin', 7999, 44100, 20)
PY
du -sh "$HERE/corpus"/* | sort -k2
