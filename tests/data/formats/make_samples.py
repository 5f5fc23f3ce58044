#!/usr/bin/env python3
"""Writes the small sample files of every format but PNG and JPEG that the imagetool tests
and the fuzz corpus use. sample.jpg was written with libjpeg (16 x 8, colour, quality 90)."""
import struct


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


def bmp():
    # 4 x 2, 24 bits, bottom-up, rows padded to 12 bytes.
    rows = [bytes([0, 0, 255] * 4), bytes([255, 0, 0] * 4)]
    pixels = b"".join(rows)
    dib = struct.pack("<IiiHHIIiiII", 40, 4, 2, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = b"BM" + struct.pack("<IHHI", 14 + len(dib) + len(pixels), 0, 0, 14 + len(dib))
    write("sample.bmp", header + dib + pixels)


def dib():
    # 4 x 2, 8-bit indices into four grey entries, top-down.
    table = b"".join(struct.pack("<BBBB", g, g, g, 0) for g in (0, 85, 170, 255))
    pixels = bytes([0, 1, 2, 3, 3, 2, 1, 0])
    header = struct.pack("<IiiHHIIiiII", 40, 4, -2, 1, 8, 0, len(pixels), 0, 0, 4, 0)
    write("sample.dib", header + table + pixels)


def tga():
    # 4 x 2, 32 bits, run-length coded, bottom-up.
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, 4, 2, 32, 8)
    packets = bytes([0x83, 255, 0, 0, 255]) + bytes([0x03]) + bytes([0, 255, 0, 128] * 4)
    write("sample.tga", header + packets)


def ppm():
    write("sample.ppm", b"P6\n# sample\n4 2\n255\n" + bytes([255, 0, 0, 0, 255, 0] * 4))


def dds_header(flags, width, height, depth, levels, pixel_format, caps2):
    header = struct.pack("<IIIIIII", 124, flags, height, width, 0, depth, levels)
    header += b"\0" * 44 + pixel_format + struct.pack("<IIIII", 0x1000, caps2, 0, 0, 0)
    return b"DDS " + header


def dds():
    dxt1 = struct.pack("<II4sIIIII", 32, 4, b"DXT1", 0, 0, 0, 0, 0)
    blocks = bytes(range(8)) * (4 + 1 + 1 + 1)  # 8x8, 4x4, 2x2, 1x1
    write("sample.dds", dds_header(0x21007, 8, 8, 0, 4, dxt1, 0x400000) + blocks)
    argb = struct.pack("<IIIIIIII", 32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
    faces = bytes(range(16)) * 6
    write("sample_cube.dds", dds_header(0x1007, 2, 2, 0, 1, argb, 0xFE00) + faces)
    l8 = struct.pack("<IIIIIIII", 32, 0x20000, 0, 8, 0xFF, 0, 0, 0)
    slices = bytes(range(32)) + bytes(range(4))  # 4x4x2, then 2x2x1
    write("sample_volume.dds", dds_header(0x821007, 4, 4, 2, 2, l8, 0x200000) + slices)


def pfm():
    samples = [0.25, 0.5, 1.0] * 8
    write("sample.pfm", b"PF\n4 2\n-1.0\n" + struct.pack("<24f", *samples))


def hdr():
    # 8 x 2, each scanline run-length coded per component.
    line = bytes([2, 2, 0, 8, 0x88, 128, 0x88, 64, 0x84, 32, 0x84, 16, 0x88, 129])
    write("sample.hdr", b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1.0\n\n-Y 2 +X 8\n" +
          line * 2)


for make in (bmp, dib, tga, ppm, dds, pfm, hdr):
    make()
