#!/usr/bin/env python3
"""Writes the seeds of the map, text, device and sprite fuzz targets into fuzz/seeds/<target>/,
and the image seeds that declare pictures far beyond any pixel block (fuzz/seeds/image/huge-*).

Each seed is a small input that walks deep into its target: the game's own calls, and a few
that use the less common paths. The byte layout follows fuzz/fuzz_input.h and each target's
own reading order; a seed that no longer matches a changed target is still a valid input,
just a less useful one, so run this again after changing how a target reads its input.
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

EDGES = [0, 1, -1, 0x7FFFFFFF, -0x80000000, 0x7FFFFFFE, -0x7FFFFFFF, 0x3FFFFFFF, -0x40000000,
         0x40000000, 0x8000, 0xFFFF, 0x10000, -0x10000, 1 << 24, -(1 << 24)]


# FuzzInput's readers.
def byte(v):
    return bytes([v & 0xFF])


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def f32(v):
    return struct.pack("<f", v)


def edgy(v):
    """EdgyInt32: a small value, an entry of the edge table, or four raw bytes."""
    if -128 <= v <= 127:
        return b"\x00" + byte(v)
    if v in EDGES:
        return b"\xa0" + byte(EDGES.index(v))
    return b"\xe0" + u32(v)


def flt(v):
    """Float: quarter steps from -32 to 31.75 in one byte, any other value raw."""
    q = v * 4
    if q == int(q) and -128 <= q <= 127:
        return b"\x00" + byte(int(q))
    return b"\xe0" + f32(v)


def fill(data):
    """Fill: a run (its length first) repeated over the buffer."""
    return u16(len(data)) + data


def write(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- image: headers of pictures far larger than a pixel block may be ---------------------

def image_seeds():
    tga = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, 65535, 65535, 32, 8)
    write("image", "huge-rle.tga", tga + bytes([0xFF, 1, 2, 3, 4]) * 200)
    write("image", "huge.ppm", b"P6 100000 100000 255\n" + b"\x01" * 64)
    bmp_info = struct.pack("<IiiHHIIiiII", 40, 60000, -60000, 1, 24, 0, 0, 0, 0, 0, 0)
    write("image", "huge.bmp", b"BM" + struct.pack("<IHHI", 54 + 64, 0, 0, 54) + bmp_info +
          b"\0" * 64)
    write("image", "huge.hdr", b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 60000 +X 60000\n" +
          b"\x02\x02\xea\x60" + b"\x80\x01" * 64)
    write("image", "huge.pfm", b"PF\n60000 60000\n-1.0\n" + b"\0" * 64)


# --- map ---------------------------------------------------------------------------------

def map_seeds():
    os.makedirs(os.path.join(HERE, "seeds", "map"), exist_ok=True)
    shutil.copy(os.path.join(ROOT, "res", "tilemap11.txt"),
                os.path.join(HERE, "seeds", "map", "tilemap11.txt"))
    write("map", "signs-zeros-crlf.txt", b"007 +7 -7\r\n-0 +0\t0012\v\f-2147483648 2147483647\n")
    write("map", "one-line-1500.txt", " ".join(str(i % 40 - 3) for i in range(1500)).encode())
    write("map", "too-large.txt", b"1 2 3 2147483648 5\n")
    write("map", "fraction.txt", b"4 3.5 6\n")
    write("map", "after-last.txt", b" ".join([b"2"] * 2048) + b" 9 x -\n")


# --- text --------------------------------------------------------------------------------

DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM = 0x1, 0x2, 0x4, 0x8
DT_WORDBREAK, DT_SINGLELINE, DT_EXPANDTABS = 0x10, 0x20, 0x40
DT_NOCLIP, DT_CALCRECT, DT_RTLREADING = 0x100, 0x400, 0x20000
ALPHABLEND, SORT_TEXTURE = 0x10, 0x20


def text_call(text, *, wide=False, preload=False, font=0, fmt=0, rect=(0, 0, 200, 60),
              colour=0xFFFFFFFF, sprite=0, sprite_flags=ALPHABLEND, count="all"):
    """One call of the text target; count is 'all', -1, another negative, or a length."""
    kind = (1 if wide else 0) | (2 if preload else 0)
    out = byte(kind) + byte(font) + b"\x00" + u32(fmt)
    out += (b"\x00" + b"".join(edgy(v) for v in rect)) if rect else (b"\xf0" + edgy(0) * 4)
    out += u32(colour) + byte(sprite)
    if sprite == 1:
        out += u32(sprite_flags)
    if wide:
        units = text.encode("utf-16-le")
        out += byte(len(units) // 2) + units
    else:
        out += byte(len(text)) + text
    if count == "all":
        out += byte(2)
    elif count == -1:
        out += byte(0)
    elif count < 0:
        out += byte(1) + edgy(count)
    else:
        out += byte(3) + byte(count)
    return out


def text_seeds():
    scene = b"\x01"
    # The game's two lines, through the font's own sprite.
    write("text", "game-overlay", scene +
          text_call(b"direction: 3 ") +
          text_call(b"By Vy", font=2, rect=(30, 30, 100, 90), colour=0xFFFF0000))
    write("text", "wrap-tabs-lines", scene +
          text_call(b"a\tbb\tccc long words here\nand a second line\r\nthird", font=1,
                    fmt=DT_WORDBREAK | DT_EXPANDTABS | DT_CENTER | DT_VCENTER,
                    rect=(2, 2, 50, 40), colour=0x80FFFF00))
    write("text", "wide-rtl-caller-sprite", scene +
          text_call("\u05e9\u05dc\u05d5\u05dd abc \u0645\u0631\u062d\u0628\u0627 12", wide=True,
                    fmt=DT_RTLREADING | DT_RIGHT | DT_BOTTOM, rect=(0, 0, 64, 64), sprite=1,
                    sprite_flags=ALPHABLEND | SORT_TEXTURE, count=-1))
    write("text", "calcrect-noclip", scene +
          text_call(b"measure me\nand me too", fmt=DT_CALCRECT | DT_CENTER, rect=(10, 10, 20, 20),
                    count=-1) +
          text_call(b"outside", fmt=DT_NOCLIP | DT_SINGLELINE | DT_VCENTER, rect=(-20, 50, 5, 60)) +
          text_call(b"no rect", rect=None))
    write("text", "preload-and-counts", b"\x00" +
          text_call("\u4e2d\u6587 \U0001f600 \u00e9\u0301", wide=True, preload=True) +
          text_call(b"preload eight bits", preload=True, count=7) +
          text_call(b"bad count", count=-5) +
          text_call(b"idle sprite", sprite=2))


# --- device ------------------------------------------------------------------------------

(RS, TSS, SAMP, FVF, DECL, VB, IB, TEX, DRAW, DRAWIDX, DRAWUP, DRAWIDXUP, CLEAR, XFORM,
 VIEWPORT, SCISSOR, SCENE) = range(17)
FVF_SCREEN = 0  # index in the target's table: XYZRHW | DIFFUSE | TEX1
TRIANGLELIST, TRIANGLESTRIP, TRIANGLEFAN = 4, 5, 6


def screen_vertex(x, y, colour, u=0.0, v=0.0):
    return struct.pack("<ffffIff", x, y, 0.5, 1.0, colour, u, v)


def size(v, bound):
    """ReadSize: a value below the reader's bound, in one byte or two as Below reads it."""
    return b"\x00" + (byte(v) if bound <= 256 else u16(v))


def count(n):
    return b"\x00" + byte(n)


def op_set_fvf(index):
    return byte(FVF) + byte(1) + byte(index)


def op_vertex_buffer(data, stream=0, offset=0, stride=28):
    # length, usage WRITEONLY, fvf 0, pool MANAGED, contents, stream, offset, stride
    return (byte(VB) + size(len(data), 0x4000) + byte(1) + byte(1) + byte(1) + fill(data) +
            byte(stream) + size(offset, 64) + size(stride, 64))


def op_texture(stage=0, fmt=0, w=8, h=8, levels=1, texels=b"\xff\x00\x00\xff\x00\xff\x00\xff"):
    out = byte(TEX) + byte(stage) + byte(1) + byte(fmt) + byte(w - 1) + byte(h - 1) + byte(levels)
    return out + fill(texels) * max(levels, 1)


def quad(left, top, right, bottom, colours):
    return b"".join(screen_vertex(x, y, c, u, v) for (x, y, u, v), c in zip(
        [(left, top, 0, 0), (right, top, 1, 0), (right, bottom, 1, 1), (left, bottom, 0, 1)],
        colours))


def device_seeds():
    colours = [0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF]
    write("device", "fan-from-buffer-textured",
          op_set_fvf(FVF_SCREEN) + op_vertex_buffer(quad(2, 2, 30, 28, colours)) + op_texture() +
          byte(DRAW) + byte(TRIANGLEFAN) + size(0, 64) + count(2))
    tri = screen_vertex(1, 1, 0xFF00FF00) + screen_vertex(31, 4, 0x80FF00FF) + \
        screen_vertex(8, 30, 0xFFFFFF00)
    # alpha blending on, then a list from user memory
    write("device", "list-up-blended",
          byte(RS) + byte(27) + byte(0) + byte(1) +        # ALPHABLENDENABLE = 1
          byte(RS) + byte(19) + byte(0) + byte(5) +        # SRCBLEND = SRCALPHA
          byte(RS) + byte(20) + byte(0) + byte(6) +        # DESTBLEND = INVSRCALPHA
          op_set_fvf(1) + byte(DRAWUP) + byte(TRIANGLELIST) + u16(28) + count(1) + fill(tri))
    indices = struct.pack("<6H", 0, 1, 2, 2, 3, 0)
    write("device", "indexed-from-buffers",
          op_set_fvf(FVF_SCREEN) + op_vertex_buffer(quad(0, 0, 32, 32, colours)) +
          byte(IB) + size(len(indices), 0x4000) + byte(0) + fill(indices) + byte(1) +
          byte(SAMP) + byte(0) + byte(5) + byte(0) + byte(1) +  # MAGFILTER = POINT
          op_texture(fmt=23, w=8, h=8, levels=2, texels=b"\x00\xf8\xff\xff\xaa\x55\xaa\x55") +
          byte(DRAWIDX) + byte(TRIANGLELIST) + edgy(0) + size(0, 64) + size(4, 256) +
          size(0, 256) + count(2))
    # an untransformed triangle through a declaration, with a projection
    decl = (byte(3) +
            byte(0) + byte(1) + byte(0) + byte(2) + byte(0) + byte(0) + byte(0) +    # FLOAT3 POSITION
            byte(0) + byte(1) + byte(3) + byte(4) + byte(0) + byte(10) + byte(0) +   # COLOR at 12
            byte(0) + byte(1) + byte(4) + byte(1) + byte(0) + byte(5) + byte(0))     # FLOAT2 at 16
    tri3 = struct.pack("<fffIff", -1, -1, 0.5, 0xFFFF0000, 0, 0) + \
        struct.pack("<fffIff", 1, -1, 0.5, 0xFF00FF00, 1, 0) + \
        struct.pack("<fffIff", 0, 1, 0.5, 0xFF0000FF, 0, 1)
    scale = b"\x00" + b"".join(flt(v) for v in
                               [0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1, 0, 0, 0, 0.25, 1])
    write("device", "declaration-transformed",
          byte(DECL) + decl + byte(RS) + byte(137) + byte(0) + byte(0) +  # LIGHTING off
          byte(XFORM) + byte(2) + scale +
          byte(DRAWUP) + byte(TRIANGLELIST) + u16(24) + count(1) + fill(tri3))
    write("device", "clear-viewport-scissor",
          byte(CLEAR) + byte(2) + edgy(0) + edgy(0) + edgy(16) + edgy(16) +
          edgy(8) + edgy(8) + edgy(-0x80000000) + edgy(0x7FFFFFFF) +
          byte(7) + byte(1) + byte(0) + u32(0xFF336699) + flt(1) + u32(0) +
          byte(VIEWPORT) + edgy(4) + edgy(4) + edgy(20) + edgy(20) + flt(0) + flt(1) +
          byte(SCISSOR) + edgy(2) + edgy(2) + edgy(30) + edgy(12) +
          byte(RS) + byte(174) + byte(0) + byte(1) +  # SCISSORTESTENABLE
          byte(CLEAR) + byte(0) + byte(1) + byte(0) + u32(0xFFFFFFFF) + flt(0) + u32(0))
    idx32 = struct.pack("<4I", 0, 1, 2, 3)
    write("device", "indexed-up-strip",
          op_set_fvf(FVF_SCREEN) + op_texture(fmt=19, w=4, h=4) +
          byte(DRAWIDXUP) + byte(TRIANGLESTRIP) + byte(1) + byte(0) + u16(4) + u16(28) +
          count(2) + fill(idx32) + fill(quad(4, 4, 28, 28, colours)))


# --- sprite ------------------------------------------------------------------------------

BEGIN, DRAW1, DRAWN, FLUSH, END, SETXFORM, WORLDVIEW, GETXFORM, LOSS, SPRITE_SCENE = \
    0, 2, 4, 5, 6, 7, 8, 9, 10, 11
OBJECTSPACE, BILLBOARD, SORT_FRONTTOBACK, SORT_BACKTOFRONT = 0x4, 0x8, 0x40, 0x80


def sprite_texture(fmt=0, w=4, h=4, levels=1, texels=b"\x10\x20\x30\xff\xff\xee\xdd\x80"):
    return byte(fmt) + byte(w - 1) + byte(h - 1) + byte(levels) + fill(texels) * max(levels, 1)


def begin(flags):
    return byte(BEGIN) + byte(0) + byte(flags)


def draw(texture=0, source=None, center=None, position=(0, 0, 0), step=(0, 0, 0),
         colour=0xFFFFFFFF, times=1):
    out = byte(DRAW1) if times == 1 else byte(DRAWN) + u16(times - 1)
    out += byte(texture)
    out += byte(1 if source else 0) + b"".join(edgy(v) for v in (source or (0, 0, 0, 0)))
    out += byte(1 if center else 0) + b"".join(flt(v) for v in (center or (0, 0, 0)))
    out += byte(0) + b"".join(flt(v) for v in position)
    out += b"".join(flt(v) for v in step) + u32(colour)
    return out


def matrix(values):
    return b"\x00" + b"".join(flt(v) for v in values)


def sprite_seeds():
    write("sprite", "game-frame",
          sprite_texture() + begin(ALPHABLEND) +
          draw(0, position=(10, 10, 0)) +
          draw(1, source=(1, 1, 3, 4), center=(1, 1, 0), position=(20, 5, 0), colour=0x80FF8040) +
          draw(0, source=(-4, -4, 40, 40), position=(-2, 30, 0.5)) + byte(END))
    write("sprite", "many-sorted-wrapping",
          sprite_texture(fmt=23, w=8, h=8, levels=2) + begin(ALPHABLEND | SORT_TEXTURE) +
          draw(0, position=(0, 0, 0), step=(0.25, 0.25, 0), times=2500) +
          draw(1, position=(0, 31, 0), step=(0.25, -0.25, 0), times=2500) + byte(FLUSH) +
          draw(0, times=200) + byte(END) + begin(SORT_BACKTOFRONT) +
          draw(1, position=(5, 5, 1), step=(0, 0, -0.25), times=100) + byte(END))
    write("sprite", "billboard-transforms",
          sprite_texture(fmt=19) +
          byte(SETXFORM) + matrix([0.5, 0.25, 0, 0, -0.25, 0.5, 0, 0, 0, 0, 1, 0, 8, 4, 0, 1]) +
          byte(1) +
          byte(WORLDVIEW) + b"\x01" + matrix([1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0,
                                                       0, 0, 5, 1]) + byte(1) +
          begin(BILLBOARD | SORT_FRONTTOBACK | ALPHABLEND) +
          draw(0, center=(2, 2, 0), position=(0, 0, 2), step=(0.5, 0, 0.25), times=12) +
          byte(GETXFORM) + byte(0) + byte(END) + begin(OBJECTSPACE) + draw(1) + byte(END))
    write("sprite", "device-loss-mid-batch",
          sprite_texture(fmt=1, w=2, h=2) + begin(ALPHABLEND) + draw(0, position=(3, 3, 0)) +
          byte(LOSS) + byte(1) + byte(LOSS) + byte(0) + begin(0x3) + draw(1) + byte(FLUSH) +
          byte(END) + byte(SPRITE_SCENE) + byte(0) + begin(ALPHABLEND) + draw(0, times=10) +
          byte(END))


if __name__ == "__main__":
    image_seeds()
    map_seeds()
    text_seeds()
    device_seeds()
    sprite_seeds()
