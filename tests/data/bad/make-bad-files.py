#!/usr/bin/env python3
"""Writes the hostile image files beside this script. Each is named after what
it breaks; the imaging and writer tests expect every one to be refused."""
import os
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def png_chunk(kind, body, crc=None):
    crc = zlib.crc32(kind + body) if crc is None else crc
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc & 0xFFFFFFFF)


def png(width, height, rows, bad_crc=False):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)
    idat = zlib.compress(rows)
    crc = (zlib.crc32(b"IDAT" + idat) ^ 1) if bad_crc else None
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", idat, crc)
            + png_chunk(b"IEND", b""))


def grey_rows(width, height):
    return b"".join(b"\x00" + bytes((x * 7 + y) & 255 for x in range(width)) for y in range(height))


def tiff(width, height, strip, byte_counts=None, next_ifd=0, strips=1, offset=8):
    """Little-endian 8-bit grey TIFF with its pixels right after the header,
    listed as `strips` strips (0 or 1) at `offset`."""
    entries = [
        (256, 4, 1, width), (257, 4, 1, height), (258, 3, 1, 8), (259, 3, 1, 1),
        (262, 3, 1, 1), (273, 4, strips, offset * strips), (277, 3, 1, 1), (278, 4, 1, height),
        (279, 4, strips, (len(strip) if byte_counts is None else byte_counts) * strips),
    ]
    ifd_offset = 8 + len(strip) + (len(strip) & 1)
    out = b"II*\x00" + struct.pack("<I", ifd_offset) + strip + b"\x00" * (len(strip) & 1)
    out += struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        packed = struct.pack("<H", value) + b"\x00\x00" if kind == 3 else struct.pack("<I", value)
        out += struct.pack("<HHI", tag, kind, count) + packed
    out += struct.pack("<I", ifd_offset if next_ifd == "self" else next_ifd)
    return out


def gif(width, height, lzw_min, data, frames=1):
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0)
    out += b"\x00\x00\x00\xff\xff\xff"  # two-colour global map
    for _ in range(frames):
        out += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + bytes([lzw_min])
        for i in range(0, len(data), 255):
            block = data[i:i + 255]
            out += bytes([len(block)]) + block
        out += b"\x00"
    return out + b";"


def bmp(width, height, declared_height, bits=24):
    row = (width * bits + 31) // 32 * 4
    pixels = b"\x80" * row * height
    info = struct.pack("<IiiHHIIiiII", 40, width, declared_height, 1, bits, 0, 0, 2835, 2835, 0, 0)
    head = b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54)
    return head + info + pixels


def jpeg_half():
    ppm = b"P6 64 64 255\n" + bytes((i * 13) & 255 for i in range(64 * 64 * 3))
    data = subprocess.run(["cjpeg", "-quality", "75"], input=ppm, capture_output=True,
                          check=True).stdout
    return data[: len(data) // 2]


def main():
    write("truncated-half.jpg", jpeg_half())
    write("jpeg-header-only.jpg", b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    write("bad-crc.png", png(32, 16, grey_rows(32, 16), bad_crc=True))
    write("truncated-idat.png", png(32, 16, grey_rows(32, 16))[:60])
    write("huge-dimensions.png", png(1000000, 1000000, grey_rows(4, 1)))
    write("huge-size.tif", tiff(4000000000, 4000000000, b"\x00" * 16))
    write("huge-but-allowed-size.tif", tiff(60000, 60000, b"\x00" * 16))
    write("truncated-strip.tif", tiff(64, 64, b"\x55" * (64 * 64))[: 8 + 1000])
    write("strip-beyond-end.tif", tiff(64, 64, b"\x55" * 64, byte_counts=64 * 64))
    write("ifd-loop.tif", tiff(8, 8, b"\x00" * 64, next_ifd="self"))
    write("no-strips.tif", tiff(64, 64, b"\x55" * (64 * 64), strips=0))
    write("empty-strip.tif", tiff(64, 64, b"\x55" * (64 * 64), byte_counts=0, offset=0))
    write("bad-lzw.gif", gif(16, 16, 2, bytes([0xFF, 0xFF, 0xFF, 0xFF, 0x0F] * 8)))
    write("bad-lzw-code-size.gif", gif(16, 16, 13, b"\x00" * 16))
    write("truncated-frame.gif", gif(64, 64, 2, b"\x04" * 40)[:-20])
    write("no-frames.gif", b"GIF89a" + struct.pack("<HHBBB", 8, 8, 0, 0, 0) + b";")
    write("lying-header.bmp", bmp(32, 8, 800))
    write("huge-width.bmp", bmp(4, 4, 4)[:18] + struct.pack("<i", 0x7FFFFFFF) + bmp(4, 4, 4)[22:])
    write("cut-pixels.bmp", bmp(32, 32, 32)[:200])


if __name__ == "__main__":
    main()
