#!/usr/bin/env python3
"""Draws the six 16 x 16 weapon type icons of the weapon list as 24-bit BMPs.

Usage:
    tools/make-icons.py                  writes data/*.bmp
    tools/make-icons.py --preview DIR    also writes enlarged PNGs into DIR
    tools/make-icons.py --app-icons      also renders data/icons/quillmarch.svg
                                         into data/icons/quillmarch-<size>.png
                                         (needs rsvg-convert, from librsvg2-bin)

The generated files are committed, so building the program needs none of this.
Only the standard library is used.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "data")
ICONS = os.path.join(DATA, "icons")
APP_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)

PALETTE = {
    ".": (255, 255, 255),  # background: the list shows the bitmaps without a mask
    "k": (40, 40, 52),  # outline
    "w": (236, 241, 248),  # steel highlight
    "s": (178, 189, 206),  # steel
    "S": (108, 119, 140),  # steel shade
    "b": (176, 112, 52),  # wood
    "B": (112, 66, 28),  # wood shade
    "l": (84, 46, 26),  # leather grip
    "y": (232, 182, 40),  # brass
    "Y": (168, 118, 18),  # brass shade
    "r": (198, 44, 44),  # fletching
    "h": (214, 232, 255),  # gem highlight
    "c": (84, 144, 232),  # gem
    "C": (40, 72, 172),  # gem shade
    "g": (150, 150, 150),  # bow string
}

# One row of text per pixel row, top row first.
ICONS_16 = {
    "SS.bmp": [
        "..............kk",
        ".............kwk",
        "............kwsk",
        "...........kwsk.",
        "..........kwsk..",
        ".........kwsk...",
        "........kwsk....",
        "..kk...kwsk.....",
        "..kyk.kwsk......",
        "...kykwsSk......",
        "....kyySk.......",
        "....klYyyk......",
        "...klk.kyYk.....",
        "..klk...kk......",
        ".kyYk...........",
        ".kkk............",
    ],
    "AXE.bmp": [
        "........kkk.....",
        "...kkk.kbbk.....",
        "..kwsskkbbk.....",
        ".kwsssSkbbk.....",
        ".kwsssSSbbkkk...",
        "kwssssSSbbkSSk..",
        "kwssssSSbbkkk...",
        ".kwsssSSbbk.....",
        ".kwsssSkbbk.....",
        "..kwsskkbbk.....",
        "...kkk.kbbk.....",
        ".......kbBk.....",
        ".......klBk.....",
        ".......kllk.....",
        ".......kllk.....",
        "........kk......",
    ],
    "Fencing.bmp": [
        ".............kkk",
        "...........kkwwk",
        "..........kwwssk",
        "..........kwsSSk",
        "...........kSSk.",
        ".........kYkk...",
        "........kbk.....",
        ".......kbk......",
        "......kbk.......",
        ".....kbk........",
        "....kbk.........",
        "...kbk..........",
        "..kBk...........",
        ".kBk............",
        "kBk.............",
        "kk..............",
    ],
    "Mace.bmp": [
        "..........k.....",
        ".........kSk....",
        ".......kkksk.k..",
        "......kwwsssSSk.",
        "....kkwwssssSk..",
        "...kSkwsssssSkkk",
        ".....kssssSSSSk.",
        "......kSSSSSSk..",
        ".....kbkSSkkk...",
        "....kbk.kSk.....",
        "...kbk...k......",
        "..kbk...........",
        ".klk............",
        "klk.............",
        "kk..............",
        "................",
    ],
    "Archery.bmp": [
        "...kk...........",
        "...kbk..........",
        "...gkbk.........",
        "...g.kbk........",
        "...g..kbk.......",
        "...g...kbk..k...",
        "rr.g...kbk..ksk.",
        "rrrBBBBBBBBkswsk",
        "rr.g...kbk..ksk.",
        "...g...kbk..k...",
        "...g..kbk.......",
        "...g.kbk........",
        "...gkbk.........",
        "...kbk..........",
        "...kk...........",
        "................",
    ],
    "Staff.bmp": [
        "..........kkkk..",
        ".........kchcck.",
        "........kchhcCCk",
        "........kccccCCk",
        ".........kcCCCk.",
        "........kYkkkk..",
        ".......kbYk.....",
        "......kbk.......",
        ".....kbk........",
        "....kbk.........",
        "...kbk..........",
        "..kbk...........",
        ".kBk............",
        "kBk.............",
        "kk..............",
        "................",
    ],
}


def pixels_of(rows):
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        raise ValueError("an icon must be 16 rows of 16 pixels")
    return [[PALETTE[ch] for ch in row] for row in rows]


def bmp_bytes(pixels):
    height = len(pixels)
    width = len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):  # BMP rows run bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(body), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835,
                              0, 0)
    return file_header + info_header + bytes(body)


def png_bytes(pixels, scale=1):
    raw = bytearray()
    for row in pixels:
        line = bytearray(b"\0")
        for rgb in row:
            line += bytes(rgb) * scale
        for _ in range(scale):
            raw += line
    width = len(pixels[0]) * scale
    height = len(pixels) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", os.path.relpath(path, ROOT))


def render_app_icons():
    tool = shutil.which("rsvg-convert")
    if not tool:
        sys.exit("make-icons: rsvg-convert is missing (apt-get install librsvg2-bin)")
    svg = os.path.join(ICONS, "quillmarch.svg")
    for size in APP_ICON_SIZES:
        png = subprocess.run([tool, "-w", str(size), "-h", str(size), svg], check=True,
                             stdout=subprocess.PIPE).stdout
        write_if_changed(os.path.join(ICONS, "quillmarch-%d.png" % size), png)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--preview", metavar="DIR", help="write 12x enlarged PNGs into DIR")
    parser.add_argument("--app-icons", action="store_true",
                        help="render the application icon PNGs from the SVG")
    args = parser.parse_args()

    sheet = []
    for name, rows in ICONS_16.items():
        pixels = pixels_of(rows)
        write_if_changed(os.path.join(DATA, name), bmp_bytes(pixels))
        if sheet:
            for row, extra in zip(sheet, pixels):
                row += [(255, 255, 255)] * 2 + extra
        else:
            sheet = [list(row) for row in pixels]
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        edge = [(255, 255, 255)] * len(sheet[0])
        framed = [edge, edge] + sheet + [edge, edge]
        with open(os.path.join(args.preview, "type-icons.png"), "wb") as f:
            f.write(png_bytes(framed, 12))
    if args.app_icons:
        render_app_icons()


if __name__ == "__main__":
    main()
