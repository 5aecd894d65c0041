#!/usr/bin/env python3
"""Regenerates the TIFF reader's test files and expected pixels.

Needs libtiff-tools (tiffcp, tiff2rgba, tiff2bw, tiffmedian, tiffdither, raw2tiff); the
tests themselves only read what this writes. Expected pixels come from tiff2rgba, an
independent decoder, and are stored as the CRC-32 of the RGB bytes, rows top to bottom.
Run from this folder: ./make_expected.py
"""
import os
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.dirname(HERE)
SAMPLES = os.path.join(DATA, "samples", "tiff")


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def read_rgba(path):
    """Pixels of an uncompressed, chunky 8-bit RGBA file as written by tiff2rgba."""
    data = open(path, "rb").read()
    order = ">" if data[:2] == b"MM" else "<"
    (ifd,) = struct.unpack(order + "I", data[4:8])
    (count,) = struct.unpack(order + "H", data[ifd:ifd + 2])
    tags = {}
    for i in range(count):
        tag, kind, n, value = struct.unpack(order + "HHII", data[ifd + 2 + 12 * i:ifd + 14 + 12 * i])
        if kind not in (3, 4):
            continue
        size = 2 if kind == 3 else 4
        if n * size <= 4:
            raw = data[ifd + 10 + 12 * i:ifd + 14 + 12 * i]
            values = struct.unpack(order + ("H" if size == 2 else "I") * n, raw[:n * size])
        else:
            values = struct.unpack(order + ("H" if size == 2 else "I") * n, data[value:value + n * size])
        tags[tag] = values
    width, height, samples = tags[256][0], tags[257][0], tags[277][0]
    assert tags.get(259, (1,))[0] == 1 and samples in (3, 4)
    pixels = b"".join(data[o:o + c] for o, c in zip(tags[273], tags[279]))
    rgb = bytearray()
    for p in range(width * height):
        rgb += pixels[p * samples:p * samples + 3]
    return width, height, bytes(rgb)


def expected_line(relative):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "rgba.tif")
        run("tiff2rgba", "-c", "none", os.path.join(DATA, relative), out)
        width, height, rgb = read_rgba(out)
    return f"{relative} {width} {height} {zlib.crc32(rgb):08x}"


def ycbcr_file(path, width, height, h, v):
    """An uncompressed little-endian YCbCr file with h x v subsampling, built by hand since
    no tool at hand writes one; its pixels are checked against tiff2rgba all the same."""
    blocks_x, blocks_y = -(-width // h), -(-height // v)
    pixels = bytearray()
    for by in range(blocks_y):
        for bx in range(blocks_x):
            pixels += bytes((40 + 23 * (bx * h + dx) + 17 * (by * v + dy)) % 236 + 16
                            for dy in range(v) for dx in range(h))
            pixels += bytes(((60 + 37 * bx + 11 * by) % 200 + 28, (200 - 29 * bx + 13 * by) % 200 + 28))
    entries = [(256, 3, 1, width), (257, 3, 1, height), (258, 3, 3, 0), (259, 3, 1, 1),
               (262, 3, 1, 6), (273, 4, 1, 0), (277, 3, 1, 3), (278, 3, 1, height),
               (279, 4, 1, len(pixels)), (530, 3, 2, h | (v << 16))]
    ifd = 8
    bits_at = ifd + 2 + 12 * len(entries) + 4
    pixels_at = bits_at + 6
    out = bytearray(b"II*\0" + struct.pack("<I", ifd) + struct.pack("<H", len(entries)))
    for tag, kind, count, value in entries:
        value = {258: bits_at, 273: pixels_at}.get(tag, value)
        out += struct.pack("<HHI", tag, kind, count)
        out += struct.pack("<HH", value, 0) if kind == 3 and count == 1 else struct.pack("<I", value)
    out += struct.pack("<I", 0) + struct.pack("<HHH", 8, 8, 8) + pixels
    open(path, "wb").write(out)


def raw_file(path, width, height, bands, photometric, kind, compression, value):
    raw = os.path.join(HERE, "raw.tmp")
    fmt = "<H" if kind == "short" else "<B"
    with open(raw, "wb") as f:
        for y in range(height):
            for x in range(width):
                for c in range(bands):
                    f.write(struct.pack(fmt, value(x, y, c)))
    run("raw2tiff", "-w", str(width), "-l", str(height), "-b", str(bands), "-d", kind, "-p",
        photometric, "-c", compression, "-r", "3", raw, path)
    os.remove(raw)


def main():
    os.chdir(HERE)
    arbitro = os.path.join(SAMPLES, "Arbitro.tiff")
    # One small real picture (RGB with an associated alpha) through every scheme and order.
    run("tiffcp", "-L", "-c", "none", "-r", "5", arbitro, "arbitro-none-le.tiff")
    run("tiffcp", "-B", "-c", "packbits", "-r", "7", arbitro, "arbitro-packbits-be.tiff")
    run("tiffcp", "-L", "-c", "zip:2", arbitro, "arbitro-deflate-le.tiff")
    run("tiffcp", "-B", "-c", "zip", "-r", "4", arbitro, "arbitro-deflate-be.tiff")
    run("tiffcp", "-L", "-c", "lzw", "-r", "16", arbitro, "arbitro-lzw-le.tiff")
    run("tiffcp", "-p", "separate", "-c", "lzw", arbitro, "arbitro-planar.tiff")
    run("tiffcp", "-t", "-w", "16", "-l", "16", "-c", "lzw", arbitro, "arbitro-tiled.tiff")
    with tempfile.TemporaryDirectory() as tmp:
        rgb = os.path.join(tmp, "rgb.tif")
        grey = os.path.join(tmp, "grey.tif")
        run("tiff2rgba", "-n", "-c", "none", arbitro, rgb)
        run("tiffcp", "-c", "jpeg", "-r", "16", rgb, "arbitro-jpeg.tiff")
        run("tiff2bw", rgb, grey)
        run("tiffcp", "-B", "-c", "lzw:2", grey, "grey8-lzw-predicted-be.tiff")
        run("tiffmedian", "-c", "packbits", rgb, "palette8-packbits.tiff")
        run("tiffdither", "-c", "packbits", grey, "bilevel-packbits.tiff")
        run("tiffcp", "-c", "g4", "bilevel-packbits.tiff", "bilevel-g4.tiff")
    ycbcr_file("ycbcr-22.tiff", 7, 5, 2, 2)
    ycbcr_file("ycbcr-21.tiff", 9, 3, 2, 1)
    # Samples whose values the tests compute from the same formulas.
    raw_file("rgb16-lzw-predicted.tiff", 13, 7, 3, "rgb", "short", "lzw:2",
             lambda x, y, c: (x * 4099 + y * 30011 + c * 12007) & 0xFFFF)
    raw_file("cmyk-deflate.tiff", 11, 6, 4, "cmyk", "byte", "zip",
             lambda x, y, c: (x * 23 + y * 41 + c * 67) & 0xFF)
    raw_file("cielab-none.tiff", 9, 5, 3, "cielab", "byte", "none",
             lambda x, y, c: (x * 29 + y * 53 + c * 97) & 0xFF)

    checked = [os.path.join("samples", "tiff", n) for n in sorted(os.listdir(SAMPLES))
               if n.endswith(".tiff")]
    checked += [os.path.join("tiff-expected", n) for n in
                ("arbitro-none-le.tiff", "arbitro-packbits-be.tiff", "arbitro-deflate-le.tiff",
                 "arbitro-deflate-be.tiff", "arbitro-lzw-le.tiff", "grey8-lzw-predicted-be.tiff",
                 "palette8-packbits.tiff", "bilevel-packbits.tiff", "ycbcr-22.tiff",
                 "ycbcr-21.tiff")]
    with open("expected.txt", "w") as f:
        f.write("# file (under tests/data), width, height, CRC-32 of the RGB rows; from tiff2rgba\n")
        for relative in checked:
            f.write(expected_line(relative) + "\n")


if __name__ == "__main__":
    main()
