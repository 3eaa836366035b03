#!/usr/bin/env python3
"""Draws the application icon and writes it as a Windows .ico file.

The picture: three coloured bars (the pixel formats) pointing into a chip (the encoder), on a
rounded blue tile. It is drawn from a few shapes in unit coordinates, sampled several times per
pixel, at every size the .ico holds. Only the standard library is used: the sizes below 32 pixels
are stored as 32-bit bitmaps, the larger ones as PNG (which Windows reads from Vista on, and which
keeps the exe small).

  make_icon.py OUT.ico     write the icon
  make_icon.py --check ICO  exit 1 unless ICO holds exactly the images this script draws

The .ico is committed next to this script, so that building needs no Python; the test suite
runs --check so that the two cannot drift apart.
"""

import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM = 32  # sizes from here on are stored as PNG


def samples(size: int) -> int:
    """Samples per pixel and axis: fewer where pixels are small against the shapes."""
    return 2 if size >= 128 else 4


Colour = tuple[int, int, int]

TILE_TOP: Colour = (0x2A, 0x6F, 0xB0)
TILE_BOTTOM: Colour = (0x14, 0x3A, 0x66)
BAR_COLOURS: tuple[Colour, ...] = ((0xF2, 0x6B, 0x4F), (0x4C, 0xC3, 0x7E), (0xF5, 0xC2, 0x42))
CHIP: Colour = (0xEC, 0xF1, 0xF6)
CHIP_DIE: Colour = (0x1C, 0x46, 0x78)
PIN: Colour = (0xB8, 0xC6, 0xD4)


def inside_rounded_rect(x: float, y: float, left: float, top: float, right: float,
                        bottom: float, radius: float) -> bool:
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def inside_arrow(x: float, y: float, left: float, tip: float, centre: float,
                 half_height: float) -> bool:
    """A bar from left to the arrow head, which ends in a point at tip."""
    head = tip - 1.6 * half_height
    if left <= x <= head:
        return abs(y - centre) <= half_height * 0.62
    if head < x <= tip:
        return abs(y - centre) <= half_height * (tip - x) / (tip - head)
    return False


def colour_at(x: float, y: float) -> tuple[Colour, float] | None:
    """Colour and alpha (0..1) of the picture at a point of the unit square, or None."""
    chip = (0.50, 0.26, 0.88, 0.74)
    if inside_rounded_rect(x, y, 0.56, 0.36, 0.82, 0.64, 0.03):
        return CHIP_DIE, 1.0
    if inside_rounded_rect(x, y, *chip, 0.05):
        return CHIP, 1.0
    for i in range(3):
        pin_x = 0.57 + i * 0.11
        if pin_x <= x <= pin_x + 0.05 and (0.19 <= y < 0.26 or 0.74 < y <= 0.81):
            return PIN, 1.0
    for i, bar in enumerate(BAR_COLOURS):
        if inside_arrow(x, y, 0.13, 0.47, 0.33 + i * 0.17, 0.075):
            return bar, 1.0
    if inside_rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.19):
        t = (y - 0.03) / 0.94
        return tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM)), 1.0
    return None


def render(size: int) -> bytes:
    """Top-down rows of straight (not premultiplied) RGBA pixels."""
    out = bytearray()
    n = samples(size)
    step = 1.0 / (size * n)
    for row in range(size):
        for column in range(size):
            red = green = blue = covered = 0
            for sy in range(n):
                y = (row * n + sy + 0.5) * step
                for sx in range(n):
                    x = (column * n + sx + 0.5) * step
                    hit = colour_at(x, y)
                    if hit is not None:
                        (r, g, b), _ = hit
                        red += r
                        green += g
                        blue += b
                        covered += 1
            if covered:
                out += bytes((red // covered, green // covered, blue // covered,
                              covered * 255 // (n * n)))
            else:
                out += bytes(4)
    return bytes(out)


def png_bytes(size: int, rgba: bytes) -> bytes:
    def chunk(kind: bytes, data: bytes) -> bytes:
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data)))

    stride = size * 4
    raw = b"".join(b"\0" + rgba[row * stride:(row + 1) * stride] for row in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bitmap_bytes(size: int, rgba: bytes) -> bytes:
    """An icon bitmap: header, bottom-up BGRA rows, then the bottom-up 1-bit AND mask."""
    stride = size * 4
    mask_stride = (size + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(range(size)):
        line = rgba[row * stride:(row + 1) * stride]
        mask_line = bytearray(mask_stride)
        for column in range(size):
            r, g, b, a = line[column * 4:column * 4 + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                mask_line[column // 8] |= 0x80 >> (column % 8)
        mask += mask_line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def image_bytes(size: int) -> bytes:
    rgba = render(size)
    return png_bytes(size, rgba) if size >= PNG_FROM else bitmap_bytes(size, rgba)


def ico_bytes() -> bytes:
    images = [image_bytes(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for size, image in zip(SIZES, images):
        edge = size % 256  # 256 is written as 0
        directory += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def decoded_images(ico: bytes) -> dict[int, bytes]:
    """Size to RGBA pixels of every image in an .ico written by this script."""
    _, kind, count = struct.unpack_from("<HHH", ico, 0)
    if kind != 1:
        raise ValueError("not an icon file")
    images = {}
    for i in range(count):
        edge, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        size = edge or 256
        data = ico[offset:offset + length]
        if data.startswith(b"\x89PNG"):
            images[size] = png_pixels(data)
        else:
            images[size] = bitmap_pixels(size, data)
    return images


def png_pixels(png: bytes) -> bytes:
    position, idat, size = 8, b"", 0
    while position < len(png):
        (length,) = struct.unpack_from(">I", png, position)
        kind = png[position + 4:position + 8]
        data = png[position + 8:position + 8 + length]
        if kind == b"IHDR":
            size = struct.unpack_from(">I", data, 0)[0]
        elif kind == b"IDAT":
            idat += data
        position += 12 + length
    raw = zlib.decompress(idat)
    stride = size * 4
    rows = [raw[row * (stride + 1):(row + 1) * (stride + 1)] for row in range(size)]
    if any(line[0] != 0 for line in rows):
        raise ValueError("PNG rows use a filter this script does not write")
    return b"".join(line[1:] for line in rows)


def bitmap_pixels(size: int, bitmap: bytes) -> bytes:
    stride = size * 4
    colour = bitmap[40:40 + stride * size]
    out = bytearray()
    for row in reversed(range(size)):
        line = colour[row * stride:(row + 1) * stride]
        for column in range(size):
            b, g, r, a = line[column * 4:column * 4 + 4]
            out += bytes((r, g, b, a))
    return bytes(out)


def main(arguments: list[str]) -> int:
    if len(arguments) == 1:
        with open(arguments[0], "wb") as file:
            file.write(ico_bytes())
        return 0
    if len(arguments) == 2 and arguments[0] == "--check":
        with open(arguments[1], "rb") as file:
            committed = decoded_images(file.read())
        drawn = {size: render(size) for size in SIZES}
        if committed != drawn:
            stale = sorted(set(committed) ^ set(drawn) |
                           {s for s in set(committed) & set(drawn) if committed[s] != drawn[s]})
            print(f"{arguments[1]} differs from what {sys.argv[0]} draws (sizes {stale}); "
                  f"regenerate it with: python3 {sys.argv[0]} {arguments[1]}")
            return 1
        print(f"{arguments[1]}: {len(drawn)} images, as drawn")
        return 0
    print("usage: make_icon.py OUT.ico | make_icon.py --check ICO", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
