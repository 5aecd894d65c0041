#!/usr/bin/env bash
# Makes the BMP test files from a crop of a sample photo with ImageMagick, derives the
# variants ImageMagick cannot write (top-down rows, 16-bit BI_RGB, masks after a 40-byte
# header, RLE4) with the Python below, and stores ImageMagick's own decoding of every file
# as <name>.ppm: the expected pixels come from an independent decoder.
set -euo pipefail
cd "$(dirname "$0")"
im=/usr/bin/convert
src=$(mktemp --suffix=.ppm)
trap 'rm -f "$src"' EXIT
"$im" ../samples/jpg/Canon_40D.jpg -resize '37x23!' -depth 8 "$src"

"$im" "$src" BMP3:rgb24_v3.bmp
"$im" "$src" BMP2:rgb24_core.bmp
"$im" "$src" BMP:rgb24_v5.bmp
"$im" "$src" -colors 200 -type Palette -compress None BMP3:pal8_v3.bmp
"$im" "$src" -colors 200 -type Palette -compress RLE BMP3:pal8_rle8.bmp
"$im" "$src" -colors 200 -type Palette BMP2:pal8_core.bmp
"$im" "$src" -colors 16 -type Palette BMP3:pal4_v3.bmp
"$im" "$src" -monochrome BMP3:pal1_v3.bmp
"$im" "$src" -monochrome BMP2:pal1_core.bmp
"$im" "$src" -define bmp:subtype=RGB555 BMP:rgb555_bitfields_v5.bmp
"$im" "$src" -define bmp:subtype=RGB565 BMP:rgb565_bitfields_v5.bmp
"$im" "$src" -alpha set -channel A -fx 'i/w' +channel BMP:argb32_bitfields_v5.bmp
"$im" "$src" -alpha set -channel A -fx 'j/h' +channel -define bmp3:alpha=true BMP3:argb32_v3.bmp

python3 - <<'PY'
import struct

def read(name):
    return bytearray(open(name, 'rb').read())

def write(name, data):
    open(name, 'wb').write(bytes(data))

def topdown(source, target):
    d = read(source)
    off = struct.unpack_from('<I', d, 10)[0]
    w, h = struct.unpack_from('<ii', d, 18)
    bpp = struct.unpack_from('<H', d, 28)[0]
    stride = (w * bpp + 31) // 32 * 4
    rows = [d[off + y * stride: off + (y + 1) * stride] for y in range(h)]
    struct.pack_into('<i', d, 22, -h)
    write(target, d[:off] + b''.join(reversed(rows)))

topdown('rgb24_v3.bmp', 'rgb24_topdown.bmp')
topdown('pal8_v3.bmp', 'pal8_topdown.bmp')

# A version-4 header is the first 108 bytes of a version-5 one.
d = read('argb32_bitfields_v5.bmp')
off = struct.unpack_from('<I', d, 10)[0]
v4 = d[:14] + d[14:14 + 108] + d[off:]
struct.pack_into('<I', v4, 2, len(v4))
struct.pack_into('<I', v4, 10, 14 + 108)
struct.pack_into('<I', v4, 14, 108)
write('argb32_v4.bmp', v4)

def info_header(w, h, bpp, compression, image_size, colours):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, compression, image_size, 2835, 2835,
                       colours, 0)

def file_header(total, offset):
    return b'BM' + struct.pack('<IHHI', total, 0, 0, offset)

# 16-bit: the 5-5-5 pixels of the bit-field file as plain BI_RGB, and the 5-6-5 pixels with
# their three masks after a 40-byte header.
for source, target, masks in (('rgb555_bitfields_v5.bmp', 'rgb555_v3.bmp', None),
                              ('rgb565_bitfields_v5.bmp', 'rgb565_bitfields_v3.bmp',
                               (0xF800, 0x07E0, 0x001F))):
    d = read(source)
    off = struct.unpack_from('<I', d, 10)[0]
    w, h = struct.unpack_from('<ii', d, 18)
    pixels = d[off:]
    extra = struct.pack('<III', *masks) if masks else b''
    offset = 14 + 40 + len(extra)
    body = info_header(w, h, 16, 3 if masks else 0, len(pixels), 0) + extra + pixels
    write(target, file_header(14 + len(body), offset) + body)

# 32-bit bit fields in red-green-blue-alpha byte order, masks after a 40-byte header.
d = read('argb32_bitfields_v5.bmp')
off = struct.unpack_from('<I', d, 10)[0]
w, h = struct.unpack_from('<ii', d, 18)
pixels = bytearray(d[off:])
for i in range(0, len(pixels), 4):
    b, g, r, a = pixels[i:i + 4]
    pixels[i:i + 4] = bytes((r, g, b, a))
extra = struct.pack('<III', 0x000000FF, 0x0000FF00, 0x00FF0000)
body = info_header(w, h, 32, 3, len(pixels), 0) + extra + pixels
write('rgba32_bitfields_v3.bmp', file_header(14 + len(body), 14 + 40 + len(extra)) + body)

# RLE4 from the 4-bit file: runs where neighbours repeat, absolute runs elsewhere, with
# end-of-line and end-of-bitmap codes.
d = read('pal4_v3.bmp')
off = struct.unpack_from('<I', d, 10)[0]
w, h = struct.unpack_from('<ii', d, 18)
colours = struct.unpack_from('<I', d, 46)[0]
palette = d[54:54 + 4 * colours]
stride = (w * 4 + 31) // 32 * 4
rle = bytearray()
for y in range(h):
    row = d[off + y * stride: off + (y + 1) * stride]
    px = [(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(w)]
    x = 0
    while x < w:
        n = 1
        while x + n < w and px[x + n] == px[x] and n < 255:
            n += 1
        if n >= 3 or w - x < 3:
            rle += bytes([n, px[x] << 4 | px[x]])
            x += n
            continue
        n = min(w - x, 9)
        chunk = px[x:x + n] + [0]
        rle += bytes([0, n]) + bytes(chunk[i] << 4 | chunk[i + 1] for i in range(0, n, 2))
        if ((n + 1) // 2) % 2:
            rle += b'\0'
        x += n
    rle += b'\0\0'
rle[-2:] = b'\0\1'
offset = 14 + 40 + len(palette)
body = info_header(w, h, 4, 2, len(rle), colours) + palette + rle
write('pal4_rle4.bmp', file_header(14 + len(body), offset) + body)
PY

for f in *.bmp; do "$im" "$f" -depth 8 "ppm:${f%.bmp}.ppm"; done
